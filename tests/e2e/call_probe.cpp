// A stand-in for a call program: it only runs until it is ended. The hold test names it in
// the microphone's ConsentStore entry, as Windows names a desktop program in a call.
#include <windows.h>

int main() {
    ::Sleep(INFINITE);
    return 0;
}
