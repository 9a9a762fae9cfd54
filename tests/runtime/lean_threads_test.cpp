// Guarded statics raced from several threads, exceptions in two threads at once, a thread
// that used one ending, and a key's destructor run when its thread ends.
#include <windows.h>

#include <cstdio>

extern "C" int pthread_key_create(unsigned* key, void (*destructor)(void*));
extern "C" int pthread_setspecific(unsigned key, const void* value);
extern "C" void* pthread_getspecific(unsigned key);

namespace {

int g_failures = 0;
void check(bool ok, const char* what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

HANDLE g_start;  // a manual-reset event: the threads of one round begin together
LONG g_constructed = 0;
struct Slow {
    Slow()
    {
        ::InterlockedIncrement(&g_constructed);
        ::Sleep(50);  // the other threads arrive meanwhile and wait for it
    }
};
Slow* shared()
{
    static Slow slow;
    return &slow;
}

DWORD WINAPI raceStatic(void* out)
{
    ::WaitForSingleObject(g_start, INFINITE);
    *static_cast<Slow**>(out) = shared();
    return 0;
}

// Each exception caught, and one thrown again from inside its handler: the exit code counts them.
DWORD WINAPI throwMany(void*)
{
    ::WaitForSingleObject(g_start, INFINITE);
    DWORD caught = 0;
    for (int i = 0; i < 1000; ++i) {
        try {
            throw i;
        } catch (int thrown) {
            try {
                throw thrown + 1;
            } catch (int again) {
                caught += again == i + 1 ? 1 : 0;
            }
        }
    }
    return caught;
}

LONG g_destroyed = 0;
unsigned g_key;
void countDestroyed(void* value) { ::InterlockedIncrement(static_cast<LONG*>(value)); }
DWORD WINAPI setKey(void*) { return pthread_setspecific(g_key, &g_destroyed); }

// Starts the threads of one round at once and returns when all have ended.
void runTogether(LPTHREAD_START_ROUTINE body, void* (&arguments)[6], int count, DWORD* exitCodes)
{
    HANDLE threads[6];
    ::ResetEvent(g_start);
    for (int i = 0; i < count; ++i) {
        threads[i] = ::CreateThread(nullptr, 0, body, arguments[i], 0, nullptr);
    }
    ::SetEvent(g_start);
    ::WaitForMultipleObjects(count, threads, TRUE, INFINITE);
    for (int i = 0; i < count; ++i) {
        ::GetExitCodeThread(threads[i], &exitCodes[i]);
        ::CloseHandle(threads[i]);
    }
}

}  // namespace

int main()
{
    g_start = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Slow* seen[6] = {};
    void* slots[6] = {&seen[0], &seen[1], &seen[2], &seen[3], &seen[4], &seen[5]};
    DWORD codes[6];
    runTogether(raceStatic, slots, 6, codes);
    check(g_constructed == 1, "a static constructed once for six threads");
    for (Slow* one : seen) {
        check(one == shared(), "every thread sees the one static");
    }

    runTogether(throwMany, slots, 2, codes);
    check(codes[0] == 1000 && codes[1] == 1000, "every exception caught in two threads at once");

    check(pthread_key_create(&g_key, countDestroyed) == 0, "a key with a destructor");
    runTogether(setKey, slots, 1, codes);
    check(codes[0] == 0 && g_destroyed == 1, "the key's destructor ran once when its thread ended");
    check(pthread_getspecific(g_key) == nullptr, "another thread's value is its own");

    ::SetLastError(ERROR_ACCESS_DENIED);
    try {
        throw 1;
    } catch (int) {
        check(::GetLastError() == ERROR_ACCESS_DENIED, "a handler reads the failed call's error");
    }
    return g_failures;
}
