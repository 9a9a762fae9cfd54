// A low-level hook on a thread of its own. Windows calls a low-level hook on the thread that
// installed it, between that thread's messages, and every key of the desktop waits for its
// answer; past the system's LowLevelHooksTimeout it goes on without it and, after a few
// such times, silently removes the hook. The program's window thread is busy exactly when a
// rest opens and ends (the sound device, the monitors' pictures, the shell's taskbars, the
// day file), so the hook gets a thread that does nothing else and answers at once.
#pragma once

#include <windows.h>

#include "framework/handles.h"

namespace rest {

class HookThread {
public:
    HookThread() = default;
    // Removes the hook and joins the thread.
    ~HookThread() { remove(); }
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    // Starts the thread and returns once it has installed `procedure` as a hook of `type`
    // (WH_KEYBOARD_LL, WH_MOUSE_LL) or failed to. A hook already there goes first. The
    // procedure runs on that thread: whatever it reads must be safe to read from there.
    bool install(int type, HOOKPROC procedure);
    // Ends the thread's message loop, which removes the hook, and waits for the thread.
    void remove();

    HHOOK hook() const { return m_hook; }
    DWORD threadId() const { return m_threadId; }

private:
    static DWORD WINAPI run(void* param);

    int m_type = 0;
    HOOKPROC m_procedure = nullptr;
    HHOOK m_hook = nullptr;  // written by the thread before it signals m_ready
    fw::KernelHandle m_ready;
    fw::KernelHandle m_thread;
    DWORD m_threadId = 0;
};

}  // namespace rest
