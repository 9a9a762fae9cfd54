// The C++ runtime's thread hooks over Windows' own primitives, for the shipped program and
// DLL only (the tests link the real threads library; tests/runtime runs these).
//
// The runtime is built for POSIX threads and calls ten pthread functions: guarded statics
// (a once, a mutex, a condition), the exception allocator's emergency pool (a mutex), the
// unwinder's frame tables (a once, a mutex) and thread-local variables (a once, a mutex and
// a key whose destructor frees a thread's block when the thread ends). Taking them from the
// static threads library brings its thread creation, cancellation, read-write locks and
// spin locks with them, about 32 KB of the program and as much of the DLL; the program
// starts its threads with CreateThread. Here they are a few lines each. A shipped file that
// needs anything more of that library links one of its members, and its size test, which
// reads the link map, fails.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

// The C runtime's table of TLS destructors: its TLS callback runs each one for the
// thread's non-null value when a thread ends, also in a DLL (whose callback goes away with
// it, where a fiber-local callback would be left pointing into an unloaded DLL).
extern "C" int __mingwthr_key_dtor(DWORD key, void (*destructor)(void*));

namespace {

// The runtime's mutex and condition words hold a static initialiser until first use:
// -1 (normal), -2 (error-checking), -3 (recursive), and -1 for a condition. Every mutex is
// recursive here: the runtime relies neither on a relock deadlocking nor on the check.
bool isStaticInitializer(intptr_t word) { return word >= -3 && word <= -1; }

CRITICAL_SECTION* newSection() {
    auto* section = static_cast<CRITICAL_SECTION*>(std::malloc(sizeof(CRITICAL_SECTION)));
    if (section) {
        ::InitializeCriticalSection(section);
    }
    return section;
}

void deleteSection(CRITICAL_SECTION* section) {
    ::DeleteCriticalSection(section);
    std::free(section);
}

CONDITION_VARIABLE* newVariable() {
    auto* variable = static_cast<CONDITION_VARIABLE*>(std::malloc(sizeof(CONDITION_VARIABLE)));
    if (variable) {
        ::InitializeConditionVariable(variable);
    }
    return variable;
}

void deleteVariable(CONDITION_VARIABLE* variable) { std::free(variable); }

// The object a word names, created on first use (nullptr when out of memory). Two threads
// may create one at once: the first to publish it wins, the other deletes its own.
template <typename T>
T* objectIn(intptr_t* word, T* (*create)(), void (*discard)(T*)) {
    intptr_t seen = __atomic_load_n(word, __ATOMIC_ACQUIRE);
    if (!isStaticInitializer(seen)) {
        return reinterpret_cast<T*>(seen);
    }
    T* mine = create();
    if (mine && !__atomic_compare_exchange_n(word, &seen, reinterpret_cast<intptr_t>(mine), false,
                                             __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
        discard(mine);
        return reinterpret_cast<T*>(seen);
    }
    return mine;
}

BOOL CALLBACK runOnce(PINIT_ONCE, PVOID routine, PVOID*) {
    (*static_cast<void (**)()>(routine))();
    return TRUE;
}

}  // namespace

extern "C" {

// The attributes are ignored: the runtime passes none.
int pthread_mutex_init(intptr_t* mutex, const void*) {
    CRITICAL_SECTION* section = newSection();
    if (!section) {
        return ENOMEM;
    }
    *mutex = reinterpret_cast<intptr_t>(section);
    return 0;
}

int pthread_mutex_destroy(intptr_t* mutex) {
    if (!isStaticInitializer(*mutex)) {
        deleteSection(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    }
    // The emergency pool's mutex is destroyed at exit; an exception thrown after that (a
    // later static destructor's) creates it again instead of entering freed memory.
    *mutex = -1;
    return 0;
}

int pthread_mutex_lock(intptr_t* mutex) {
    CRITICAL_SECTION* section = objectIn(mutex, newSection, deleteSection);
    if (!section) {
        return ENOMEM;
    }
    ::EnterCriticalSection(section);
    return 0;
}

int pthread_mutex_unlock(intptr_t* mutex) {
    if (isStaticInitializer(*mutex)) {
        return EPERM;  // never locked
    }
    ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(*mutex));
    return 0;
}

int pthread_cond_wait(intptr_t* cond, intptr_t* mutex) {
    CONDITION_VARIABLE* variable = objectIn(cond, newVariable, deleteVariable);
    if (!variable) {
        return ENOMEM;
    }
    // The caller holds the mutex, so its critical section exists.
    auto* section = reinterpret_cast<CRITICAL_SECTION*>(*mutex);
    return ::SleepConditionVariableCS(variable, section, INFINITE) ? 0 : EINVAL;
}

int pthread_cond_broadcast(intptr_t* cond) {
    const intptr_t word = __atomic_load_n(cond, __ATOMIC_ACQUIRE);
    if (!isStaticInitializer(word)) {  // a condition never waited on has nobody to wake
        ::WakeAllConditionVariable(reinterpret_cast<CONDITION_VARIABLE*>(word));
    }
    return 0;
}

// A once word starts at 0, as a fresh INIT_ONCE does, and is as wide.
int pthread_once(long* once, void (*routine)()) {
    static_assert(sizeof(INIT_ONCE) == sizeof(long), "a once word holds an INIT_ONCE");
    return ::InitOnceExecuteOnce(reinterpret_cast<PINIT_ONCE>(once), runOnce, &routine, nullptr) ? 0 : EINVAL;
}

int pthread_key_create(unsigned* key, void (*destructor)(void*)) {
    const DWORD index = ::TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) {
        return EAGAIN;
    }
    if (destructor && __mingwthr_key_dtor(index, destructor) != 0) {
        ::TlsFree(index);
        return ENOMEM;
    }
    *key = index;
    return 0;
}

void* pthread_getspecific(unsigned key) {
    // TlsGetValue clears the thread's last error, and the runtime comes here on its way
    // into a catch: the handler may yet read the error of the call that failed.
    const DWORD error = ::GetLastError();
    void* value = ::TlsGetValue(key);
    ::SetLastError(error);
    return value;
}

int pthread_setspecific(unsigned key, const void* value) {
    return ::TlsSetValue(key, const_cast<void*>(value)) ? 0 : EINVAL;
}

}  // extern "C"
