#include "desktop/hook_thread.h"

namespace rest {

bool HookThread::install(int type, HOOKPROC procedure) {
    remove();
    m_type = type;
    m_procedure = procedure;
    m_ready.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_ready) return false;
    m_thread.reset(::CreateThread(nullptr, 0, &run, this, 0, &m_threadId));
    if (!m_thread) {
        m_threadId = 0;
        return false;
    }
    // Keys wait for it: it goes before the program's other threads.
    ::SetThreadPriority(m_thread.get(), THREAD_PRIORITY_HIGHEST);
    // Either the hook is in (or failed), or the thread is gone.
    HANDLE either[] = {m_ready.get(), m_thread.get()};
    ::WaitForMultipleObjects(2, either, FALSE, INFINITE);
    if (m_hook) return true;
    remove();
    return false;
}

void HookThread::remove() {
    if (m_thread) {
        // The thread made its queue before it signalled, so the message cannot be lost.
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread.get(), INFINITE);
    }
    m_thread.reset();
    m_ready.reset();
    m_threadId = 0;
    m_hook = nullptr;
}

DWORD WINAPI HookThread::run(void* param) {
    auto* self = static_cast<HookThread*>(param);
    MSG msg;
    ::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue, for WM_QUIT
    fw::Hook hook(::SetWindowsHookExW(self->m_type, self->m_procedure, ::GetModuleHandleW(nullptr), 0));
    self->m_hook = hook.get();
    ::SetEvent(self->m_ready.get());
    if (!hook) return 1;
    // The hook is called from inside GetMessageW; nothing else ever comes.
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}

}  // namespace rest
