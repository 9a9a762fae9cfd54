// The control pipe: the running copy serves one named pipe for this user and session, on a
// thread of its own, and hands each request to the window thread with a posted message, so
// the tick never waits for a client. One request line in, one response line out; a line
// above 4 KB, or one that is not a request, is answered with an error and the connection
// closed; a few requests a second at most, the rest wait.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "control/control_protocol.h"
#include "framework/handles.h"

namespace control {

// The calls that decide who may use the pipe, replaceable so tests see what the server
// asks of Windows (Wine keeps one user and enforces no DACL between users).
using CreateNamedPipeFunction = HANDLE(WINAPI*)(LPCWSTR name, DWORD openMode, DWORD pipeMode, DWORD maxInstances,
                                                DWORD outSize, DWORD inSize, DWORD timeout,
                                                LPSECURITY_ATTRIBUTES security);
// Installs `fn` (null: the system's) and returns the one it replaces.
CreateNamedPipeFunction setCreateNamedPipeFunction(CreateNamedPipeFunction fn);

// One request on its way to the window thread and its answer on the way back. The window
// calls answer() exactly once; the object lives until both sides have let go of it (the
// pipe's thread may have given up waiting, or the window may never get the message).
class Exchange {
public:
    const Request& request() const { return m_request; }
    void answer(Bytes response);
    // Each of the two sides lets go once; the last one deletes it.
    void release() {
        if (::InterlockedDecrement(&m_holders) == 0) delete this;
    }

private:
    friend class PipeServer;
    Exchange() = default;
    ~Exchange() = default;
    LONG m_holders = 2;
    Request m_request;
    Bytes m_response;
    fw::KernelHandle m_answered;  // an event, set by answer()
};

struct ExchangeRelease {
    void operator()(Exchange* exchange) const { exchange->release(); }
};
// One side's hold on an exchange.
using ExchangeHold = std::unique_ptr<Exchange, ExchangeRelease>;

class PipeServer {
public:
    enum class Start { Serving, NameTaken, Failed };

    // Requests go to `window` as `message` with the Exchange* in lParam (wParam 0): the
    // receiver calls take(lParam) to take it, and answers it.
    PipeServer(HWND window, UINT message);
    ~PipeServer();  // stops the thread and closes the pipe
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // Creates the pipe `name` as its first instance, granted to `userSid` alone, and starts
    // serving it. NameTaken: another program (maybe another user's) has the name.
    Start start(const wchar_t* name, const wchar_t* userSid);
    void stop();
    bool isServing() const { return static_cast<bool>(m_thread); }

    // The window thread's side of the posted message: the exchange to answer, or none when
    // `lParam` is not one this server posted and still waits for (a message some other
    // program posted, or one left over from before a stop).
    ExchangeHold take(LPARAM lParam);

private:
    static DWORD WINAPI threadMain(void* self);
    void serve();
    void serveOne();
    bool waitIo(OVERLAPPED& io, DWORD timeoutMs, DWORD* bytes, bool stoppable = true);
    // One overlapped read or write on the pipe, waited for (see waitIo).
    bool transfer(bool write, char* data, DWORD size, DWORD timeoutMs, bool stoppable, DWORD* done);
    bool readLine(Bytes& line, bool& tooLong);
    void writeLine(Bytes line);
    void drainUntilHangUp();
    Bytes askWindow(const Request& request);

    HWND m_window;
    UINT m_message;
    fw::KernelHandle m_pipe;
    fw::KernelHandle m_stop;  // set to end the thread
    fw::KernelHandle m_io;    // the overlapped operations' event
    fw::KernelHandle m_thread;
    // The exchanges posted to the window and not taken yet, guarded by m_postedLock: the
    // pipe's thread adds, the window thread takes, a stop lets go of the rest.
    SRWLOCK m_postedLock = SRWLOCK_INIT;
    std::vector<Exchange*> m_posted;
};

}  // namespace control
