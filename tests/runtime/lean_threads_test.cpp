// Guarded statics raced from several threads, exceptions in two threads at once that then
// end, and a key's destructor run when its thread ends.
#include <windows.h>

#include <cstdio>

extern "C" int pthread_key_create(unsigned* key, void (*destructor)(void*));
extern "C" int pthread_setspecific(unsigned key, const void* value);
extern "C" void* pthread_getspecific(unsigned key);

namespace {

int g_failures = 0;
void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

LONG g_constructed = 0;
struct Slow {
    Slow()
    {
        ::InterlockedIncrement(&g_constructed);
        ::Sleep(50);  // widens the window in which the other threads wait for it
    }
};
DWORD WINAPI raceStatic(void* seen) {
    static Slow slow;
    *static_cast<Slow**>(seen) = &slow;
    return 0;
}

// The exit code counts the exceptions caught, each thrown again from inside its handler.
DWORD WINAPI throwMany(void*) {
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

unsigned g_key;
LONG g_destroyed = 0;
void countDestroyed(void* counter) { ::InterlockedIncrement(static_cast<LONG*>(counter)); }
DWORD WINAPI setKey(void*) { return pthread_setspecific(g_key, &g_destroyed); }

// Runs `body` on `count` threads at once (the n-th with arguments[n]); returns their exit
// codes once all have ended.
void runTogether(LPTHREAD_START_ROUTINE body, int count, void* const* arguments, DWORD* codes) {
    HANDLE threads[6];
    for (int i = 0; i < count; ++i) {
        threads[i] = ::CreateThread(nullptr, 0, body, arguments[i], CREATE_SUSPENDED, nullptr);
    }
    for (int i = 0; i < count; ++i) {
        ::ResumeThread(threads[i]);
    }
    ::WaitForMultipleObjects(count, threads, TRUE, INFINITE);
    for (int i = 0; i < count; ++i) {
        ::GetExitCodeThread(threads[i], &codes[i]);
        ::CloseHandle(threads[i]);
    }
}

}  // namespace

int main() {
    Slow* seen[6] = {};
    void* const slots[6] = {&seen[0], &seen[1], &seen[2], &seen[3], &seen[4], &seen[5]};
    DWORD codes[6];
    runTogether(raceStatic, 6, slots, codes);
    check(g_constructed == 1, "a static constructed once for six threads");
    for (Slow* one : seen) {
        check(one != nullptr && one == seen[0], "every thread sees the one static");
    }

    runTogether(throwMany, 2, slots, codes);
    check(codes[0] == 1000 && codes[1] == 1000, "every exception caught in two threads at once");

    check(pthread_key_create(&g_key, countDestroyed) == 0, "a key with a destructor");
    runTogether(setKey, 1, slots, codes);
    check(codes[0] == 0 && g_destroyed == 1, "the key's destructor ran once when its thread ended");

    ::SetLastError(ERROR_ACCESS_DENIED);
    try {
        throw 1;
    } catch (int) {
        check(::GetLastError() == ERROR_ACCESS_DENIED, "a handler reads the failed call's error");
    }
    return g_failures;
}
