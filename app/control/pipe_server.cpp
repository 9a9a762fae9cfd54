#include "control/pipe_server.h"

#include "control/pipe_identity.h"
#include "control/request_pacer.h"

namespace control {
namespace {

CreateNamedPipeFunction g_createNamedPipe = nullptr;

// How long a client may take to send its line, to read the answer and hang up, and how
// long the window thread may take to answer (a modal dialog's loop answers as well).
constexpr DWORD kClientMs = 2000;
constexpr DWORD kWindowMs = 10000;
constexpr DWORD kBufferBytes = 4096;

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&m_lock); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& m_lock;
};

}  // namespace

CreateNamedPipeFunction setCreateNamedPipeFunction(CreateNamedPipeFunction fn) {
    CreateNamedPipeFunction old = g_createNamedPipe ? g_createNamedPipe : &::CreateNamedPipeW;
    g_createNamedPipe = fn;
    return old;
}

void Exchange::answer(Bytes response) {
    m_response = std::move(response);
    ::SetEvent(m_answered.get());
}

PipeServer::PipeServer(HWND window, UINT message) : m_window(window), m_message(message) {}

PipeServer::~PipeServer() { stop(); }

PipeServer::Start PipeServer::start(const wchar_t* name, const wchar_t* userSid) {
    stop();
    PSECURITY_DESCRIPTOR descriptor = onlyUserDescriptor(userSid);
    if (!descriptor || !name || !*name) {
        if (descriptor) ::LocalFree(descriptor);
        return Start::Failed;
    }
    SECURITY_ATTRIBUTES security{sizeof(security), descriptor, FALSE};
    CreateNamedPipeFunction create = g_createNamedPipe ? g_createNamedPipe : &::CreateNamedPipeW;
    // One instance: a client that finds it busy waits (WaitNamedPipe), which also keeps the
    // clients in line. The first instance, or someone else was first and owns the name.
    HANDLE pipe = create(name, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                         kBufferBytes, kBufferBytes, 0, &security);
    ::LocalFree(descriptor);
    // Windows says access denied, Wine says busy: either way the name is not ours.
    if (pipe == INVALID_HANDLE_VALUE || !pipe) return Start::NameTaken;
    m_pipe.reset(pipe);
    m_stop.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_io.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (m_stop && m_io) m_thread.reset(::CreateThread(nullptr, 0, &PipeServer::threadMain, this, 0, nullptr));
    if (!m_thread) {
        m_pipe.reset();
        return Start::Failed;
    }
    return Start::Serving;
}

void PipeServer::stop() {
    if (m_thread) {
        ::SetEvent(m_stop.get());
        ::WaitForSingleObject(m_thread.get(), INFINITE);
        m_thread.reset();
    }
    m_pipe.reset();
    m_stop.reset();
    m_io.reset();
    // Messages still on their way are ignored when they come: their holds go here.
    ExclusiveLock lock(m_postedLock);
    for (Exchange* exchange : m_posted) exchange->release();
    m_posted.clear();
}

ExchangeHold PipeServer::take(LPARAM lParam) {
    auto* exchange = reinterpret_cast<Exchange*>(lParam);
    ExclusiveLock lock(m_postedLock);
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it)
        if (*it == exchange) {
            m_posted.erase(it);
            return ExchangeHold(exchange);
        }
    return ExchangeHold();
}

DWORD WINAPI PipeServer::threadMain(void* self) {
    static_cast<PipeServer*>(self)->serve();
    return 0;
}

void PipeServer::serve() {
    RequestPacer pacer;
    for (;;) {
        OVERLAPPED io{};
        io.hEvent = m_io.get();
        ::ResetEvent(m_io.get());
        bool connected = ::ConnectNamedPipe(m_pipe.get(), &io) != FALSE;
        if (!connected) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_PIPE_CONNECTED) connected = true;
            else if (error == ERROR_IO_PENDING) connected = waitIo(io, INFINITE, nullptr);
        }
        if (::WaitForSingleObject(m_stop.get(), 0) == WAIT_OBJECT_0) return;
        if (connected) {
            const uint64_t wait = pacer.admit(::GetTickCount64());
            if (wait && ::WaitForSingleObject(m_stop.get(), static_cast<DWORD>(wait)) == WAIT_OBJECT_0) return;
            serveOne();
        }
        ::DisconnectNamedPipe(m_pipe.get());
        // A pipe that keeps failing must not spin the thread.
        if (!connected && ::WaitForSingleObject(m_stop.get(), 100) == WAIT_OBJECT_0) return;
    }
}

// Waits for an overlapped operation, or the end of the thread (when `stoppable`), or
// `timeoutMs`. False when it did not complete well (it is then cancelled and waited for:
// `io` lives on the stack).
bool PipeServer::waitIo(OVERLAPPED& io, DWORD timeoutMs, DWORD* bytes, bool stoppable) {
    HANDLE handles[] = {m_io.get(), m_stop.get()};
    const DWORD which = ::WaitForMultipleObjects(stoppable ? 2 : 1, handles, FALSE, timeoutMs);
    DWORD done = 0;
    if (which == WAIT_OBJECT_0) {
        const bool ok = ::GetOverlappedResult(m_pipe.get(), &io, &done, FALSE) != FALSE;
        if (bytes) *bytes = done;
        return ok;
    }
    ::CancelIo(m_pipe.get());
    ::GetOverlappedResult(m_pipe.get(), &io, &done, TRUE);
    return false;
}

bool PipeServer::transfer(bool write, char* data, DWORD size, DWORD timeoutMs, bool stoppable, DWORD* done) {
    OVERLAPPED io{};
    io.hEvent = m_io.get();
    ::ResetEvent(m_io.get());
    const BOOL started = write ? ::WriteFile(m_pipe.get(), data, size, nullptr, &io)
                               : ::ReadFile(m_pipe.get(), data, size, nullptr, &io);
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return false;
    return waitIo(io, timeoutMs, done, stoppable);
}

bool PipeServer::readLine(Bytes& line, bool& tooLong) {
    tooLong = false;
    char chunk[1024];
    for (;;) {
        DWORD read = 0;
        if (!transfer(false, chunk, sizeof chunk, kClientMs, true, &read) || read == 0) return false;
        for (DWORD i = 0; i < read; ++i) {
            if (chunk[i] == '\n') return true;  // anything after the line is not read
            line.push_back(chunk[i]);
        }
        // Refused as soon as it is too long, without reading the rest.
        if (line.size() > kMaxRequestBytes) {
            tooLong = true;
            return true;
        }
    }
}

void PipeServer::writeLine(Bytes line) {
    // Not cut short by the end of the thread: the answer to "exit" is written as the window goes.
    transfer(true, line.data(), static_cast<DWORD>(line.size()), kClientMs, false, nullptr);
}

// The answer is in the pipe; disconnecting now would throw it away unread. The client
// hangs up once it has read it; whatever else it sends meanwhile is dropped.
void PipeServer::drainUntilHangUp() {
    const ULONGLONG until = ::GetTickCount64() + kClientMs;
    char chunk[1024];
    for (ULONGLONG now = ::GetTickCount64(); now < until; now = ::GetTickCount64())
        if (!transfer(false, chunk, sizeof chunk, static_cast<DWORD>(until - now), false, nullptr)) return;  // hung up
}

void PipeServer::serveOne() {
    Bytes line;
    bool tooLong = false;
    if (!readLine(line, tooLong)) return;
    Request request;
    const Error error = tooLong ? Error::TooLong : parseRequest(line.data(), line.size(), request);
    if (error != Error::None) {
        // The window's language is not known on this thread: its answer carries it; this
        // one is for programs, not people.
        writeLine(renderResult(Language::English, error));
    } else {
        writeLine(askWindow(request));
    }
    drainUntilHangUp();
}

Bytes PipeServer::askWindow(const Request& request) {
    ExchangeHold exchange(new Exchange);
    exchange->m_request = request;
    exchange->m_answered.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!exchange->m_answered) {
        exchange->release();  // the window's hold: it never comes
        return renderResult(Language::English, Error::NotNow);
    }
    {
        ExclusiveLock lock(m_postedLock);
        m_posted.push_back(exchange.get());
    }
    if (!::PostMessageW(m_window, m_message, 0, reinterpret_cast<LPARAM>(exchange.get()))) {
        take(reinterpret_cast<LPARAM>(exchange.get()));  // the window's hold, never to come: let go
        return renderResult(Language::English, Error::NotNow);
    }
    HANDLE handles[] = {exchange->m_answered.get(), m_stop.get()};
    if (::WaitForMultipleObjects(2, handles, FALSE, kWindowMs) == WAIT_OBJECT_0) return exchange->m_response;
    // Not answered in time: a request still queued is taken back, so that it never runs
    // after its client was told "not now"; one the window has taken is answered soon.
    if (take(reinterpret_cast<LPARAM>(exchange.get()))) return renderResult(Language::English, Error::NotNow);
    if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) return exchange->m_response;
    return renderResult(Language::English, Error::NotNow);
}

}  // namespace control
