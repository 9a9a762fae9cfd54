#include "pipe_client.h"

#include "control/pipe_identity.h"
#include "framework/handles.h"

namespace kivctl {
namespace {

// How long a busy pipe (the program serving other requests) is waited for, in all: longer
// than the program takes for one at the most (its window's 10 s, 2 s for the client to
// hang up) and a few waiting their turn.
constexpr DWORD kBusyWaitMs = 20000;

// The pipe, or null with `busy` telling whether it was there but never free.
HANDLE openPipe(const wchar_t* name, bool& busy) {
    busy = false;
    const DWORD start = ::GetTickCount();
    for (;;) {
        // Identification only: the server may learn who we are, never act as us.
        HANDLE h = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD error = ::GetLastError();
        const DWORD waited = ::GetTickCount() - start;
        busy = error == ERROR_PIPE_BUSY;
        if (!busy || waited >= kBusyWaitMs) return nullptr;
        ::WaitNamedPipeW(name, kBusyWaitMs - waited);
    }
}

}  // namespace

Outcome exchange(const control::Bytes& request, control::Bytes& answer) {
    answer.clear();
    const std::vector<BYTE> me = control::currentUserSid();
    const control::WideText name = control::currentPipeName();
    if (me.empty() || name.empty()) return Outcome::NoRunningCopy;
    bool busy = false;
    fw::KernelHandle pipe(openPipe(name.data(), busy));
    if (!pipe) return busy ? Outcome::Busy : Outcome::NoRunningCopy;
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(pipe.get(), &server) || !control::runsAs(server, me) ||
        !control::atTrustedLevel(server))
        return Outcome::Stranger;

    DWORD written = 0;
    if (!::WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr) ||
        written != request.size())
        return Outcome::Broken;
    char buffer[512];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(pipe.get(), buffer, sizeof buffer, &read, nullptr) || read == 0) return Outcome::Broken;
        for (DWORD i = 0; i < read; ++i) {
            if (buffer[i] == '\n') return Outcome::Answered;
            answer.push_back(buffer[i]);
        }
        if (answer.size() > control::kMaxResponseBytes) return Outcome::Broken;
    }
}

}  // namespace kivctl
