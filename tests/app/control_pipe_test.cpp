// The control pipe: who it is granted to (its descriptor read back through the API: Wine
// keeps one user and enforces no DACL between users), what it answers to a line of each
// kind, and the main dialog's answers under the policies, over the real pipe.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "control/control_protocol.h"
#include "control/pipe_identity.h"
#include "control/pipe_server.h"
#include "fake_policy_registry.h"
#include "framework/resources.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

std::wstring text(const control::WideText& t) { return t.empty() ? std::wstring() : std::wstring(t.data()); }

// The client's side, on a thread of its own while this thread pumps the window messages
// the server posts: `bytes` sent as they are, the answer line read (without its end).
std::string ask(const std::wstring& name, const std::string& bytes) {
    std::string answer;
    bool done = false;
    std::thread client([&] {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        for (int i = 0; i < 50 && pipe == INVALID_HANDLE_VALUE; ++i) {
            pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
            if (pipe == INVALID_HANDLE_VALUE) ::WaitNamedPipeW(name.c_str(), 100);
        }
        if (pipe != INVALID_HANDLE_VALUE) {
            DWORD n = 0;
            // A long line is refused before it is all read: the rest of it may not go.
            for (size_t at = 0; at < bytes.size(); at += n)
                if (!::WriteFile(pipe, bytes.data() + at, static_cast<DWORD>(std::min<size_t>(4096, bytes.size() - at)),
                                 &n, nullptr))
                    break;
            char c = 0;
            while (::ReadFile(pipe, &c, 1, &n, nullptr) && n == 1 && c != '\n') answer += c;
            ::CloseHandle(pipe);
        }
        done = true;
    });
    const DWORD until = ::GetTickCount() + 15000;
    while (!done && ::GetTickCount() < until) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
    client.join();
    return answer;
}

std::wstring scratchPipeName() {
    wchar_t name[96];
    ::wsprintfW(name, L"\\\\.\\pipe\\kivTool.test.%lu.%lu", ::GetCurrentProcessId(), ::GetTickCount());
    return name;
}

// The window the server hands requests to: answers each with `reply`, counting them.
struct TestWindow {
    static constexpr UINT kMessage = WM_APP + 1;
    HWND hwnd = nullptr;
    control::PipeServer* server = nullptr;  // whose requests it answers
    int requests = 0;
    TestWindow() {
        hwnd = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&proc));
    }
    ~TestWindow() { ::DestroyWindow(hwnd); }
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != kMessage) return ::DefWindowProcW(hwnd, message, wParam, lParam);
        auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        ++self->requests;
        if (control::ExchangeHold exchange = self->server ? self->server->take(lParam) : nullptr)
            exchange->answer(control::renderResult(control::Language::Chinese, control::Error::None));
        return 0;
    }
};

// What the server asked CreateNamedPipe for.
struct CreateCall {
    DWORD openMode = 0;
    DWORD pipeMode = 0;
    DWORD instances = 0;
    std::vector<BYTE> descriptor;  // a copy: the server frees its own
    HANDLE pipe = nullptr;
};
std::vector<CreateCall> g_creates;
HANDLE WINAPI recordCreate(LPCWSTR name, DWORD openMode, DWORD pipeMode, DWORD instances, DWORD outSize,
                           DWORD inSize, DWORD timeout, LPSECURITY_ATTRIBUTES security) {
    CreateCall call{openMode, pipeMode, instances, {}, nullptr};
    if (security && security->lpSecurityDescriptor) {
        const BYTE* sd = static_cast<const BYTE*>(security->lpSecurityDescriptor);
        call.descriptor.assign(sd, sd + ::GetSecurityDescriptorLength(security->lpSecurityDescriptor));
    }
    call.pipe = ::CreateNamedPipeW(name, openMode, pipeMode, instances, outSize, inSize, timeout, security);
    g_creates.push_back(call);
    return call.pipe;
}

// The DACL's entries as (type, mask, SID text).
std::vector<std::wstring> entries(PACL dacl) {
    std::vector<std::wstring> out;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = &allowed->SidStart;
        std::vector<BYTE> bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + ::GetLengthSid(sid));
        wchar_t head[40];
        ::wsprintfW(head, L"%u %08lx ", allowed->Header.AceType, allowed->Mask);
        out.push_back(head + text(control::sidText(bytes)));
    }
    return out;
}

class PipeServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_creates.clear();
        m_old = control::setCreateNamedPipeFunction(&recordCreate);
    }
    void TearDown() override { control::setCreateNamedPipeFunction(m_old); }
    const std::wstring m_name = scratchPipeName();
    const std::wstring m_user = text(control::sidText(control::currentUserSid()));
    control::CreateNamedPipeFunction m_old = nullptr;
};

TEST_F(PipeServerTest, ThePipeIsTheUsersAloneAndLocalAndFirst) {
    ASSERT_FALSE(m_user.empty());
    TestWindow window;
    control::PipeServer server(window.hwnd, TestWindow::kMessage);
    ASSERT_EQ(server.start(m_name.c_str(), m_user.c_str()), control::PipeServer::Start::Serving);
    ASSERT_EQ(g_creates.size(), 1u);
    const CreateCall& call = g_creates[0];
    EXPECT_EQ(call.openMode & (PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE),
              DWORD(PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE));
    EXPECT_EQ(call.pipeMode & PIPE_REJECT_REMOTE_CLIENTS, DWORD(PIPE_REJECT_REMOTE_CLIENTS));
    EXPECT_EQ(call.instances, 1u);

    // One entry: everything, to this user; protected from inheritance. No other SID (the
    // Users group, Everyone, another user) is named, so Windows grants them nothing.
    ASSERT_FALSE(call.descriptor.empty());
    auto* sd = reinterpret_cast<PSECURITY_DESCRIPTOR>(const_cast<BYTE*>(call.descriptor.data()));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    ASSERT_TRUE(present);
    const std::vector<std::wstring> expected = {L"0 10000000 " + m_user};  // ACCESS_ALLOWED, GENERIC_ALL
    EXPECT_EQ(entries(dacl), expected);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(sd, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
}

TEST_F(PipeServerTest, EachKindOfLineGetsItsAnswerAndTheServerGoesOn) {
    TestWindow window;
    control::PipeServer server(window.hwnd, TestWindow::kMessage);
    window.server = &server;
    ASSERT_EQ(server.start(m_name.c_str(), m_user.c_str()), control::PipeServer::Start::Serving);
    // A message some other program posts with a made-up lParam is not taken for a request.
    EXPECT_FALSE(server.take(reinterpret_cast<LPARAM>(&window)));
    const struct {
        std::string line;
        std::string answer;
        int requests;  // handed to the window so far
    } rows[] = {
        {"{\"command\":\"status\"}\n", R"({"ok":true,"lang":"zh"})", 1},
        {"{\"command\":\"status\"\n", R"({"ok":false,"lang":"en","error":"malformed"})", 1},
        {"{\"command\":\"fly\"}\n", R"({"ok":false,"lang":"en","error":"unknown-command"})", 1},
        {"{\"command\":\"pause\",\"arg\":\"0\"}\n", R"({"ok":false,"lang":"en","error":"bad-argument"})", 1},
        // A megabyte without a line end: refused after its first 4 KB.
        {std::string(1 << 20, ' '), R"({"ok":false,"lang":"en","error":"too-long"})", 1},
        {"{\"command\":\"exit\"}\nmore after the line\n", R"({"ok":true,"lang":"zh"})", 2},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ask(m_name, row.line), row.answer) << row.line.substr(0, 40);
        EXPECT_EQ(window.requests, row.requests) << row.line.substr(0, 40);
    }
}

TEST_F(PipeServerTest, ASecondServerFindsTheNameTakenAndTheFirstServesOn) {
    TestWindow window;
    control::PipeServer first(window.hwnd, TestWindow::kMessage);
    control::PipeServer second(window.hwnd, TestWindow::kMessage);
    window.server = &first;
    ASSERT_EQ(first.start(m_name.c_str(), m_user.c_str()), control::PipeServer::Start::Serving);
    EXPECT_EQ(second.start(m_name.c_str(), m_user.c_str()), control::PipeServer::Start::NameTaken);
    EXPECT_EQ(ask(m_name, "{\"command\":\"status\"}\n"), R"({"ok":true,"lang":"zh"})");
}

// kivctl talks only to a server of its own user: the check on a process's user, with this
// process and a SID that is not ours (Wine has one user, so no real stranger can serve).
TEST(PipeIdentityTest, AProcessRunsAsItsOwnUserAndNoOther) {
    const std::vector<BYTE> me = control::currentUserSid();
    ASSERT_FALSE(me.empty());
    EXPECT_TRUE(control::runsAs(::GetCurrentProcessId(), me));
    BYTE system[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof system;
    ASSERT_TRUE(::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &size));
    EXPECT_FALSE(control::runsAs(::GetCurrentProcessId(), std::vector<BYTE>(system, system + size)));
    EXPECT_FALSE(control::runsAs(::GetCurrentProcessId(), {}));
    EXPECT_FALSE(control::runsAs(0xFFFFFFF0, me)) << "no such process";
    EXPECT_TRUE(control::atTrustedLevel(::GetCurrentProcessId())) << "our own level";
    EXPECT_FALSE(control::atTrustedLevel(0xFFFFFFF0)) << "no such process";
    const std::wstring name = text(control::pipeName(L"S-1-5-21-1-2-3-1001", 2));
    EXPECT_EQ(name, L"\\\\.\\pipe\\Kelbrook.kivTool.S-1-5-21-1-2-3-1001.2");
}

// The main dialog over its own pipe: each command as the tray menu runs it, under the same
// policies.
class ControlCommandTest : public test::MainDialogTest {
protected:
    // Reading the policies puts the user's own settings in force: the fixture's.
    void SetUp() override {
        MainDialogTest::SetUp();
        theApp.m_ownSettings = theApp.m_settings;
    }
    void TearDown() override {
        theApp.m_ownSettings = settings::Values();
        MainDialogTest::TearDown();
    }
    std::string request(const char* line) { return ask(text(control::currentPipeName()), std::string(line) + "\n"); }
    test::FakePolicyRegistry m_registry;
};

TEST_F(ControlCommandTest, CommandsRunAsFromTheMenuUnlessAPolicyForbids) {
    const struct {
        const char* name;
        const char16_t* forbidden;  // a policy set to 0 for this row
        const char* line;
        std::string answer;
        std::function<bool(CkivToolDlg&)> after;
        bool resting = false;  // the row starts during a rest
    } rows[] = {
        {"a delay", nullptr, R"({"command":"delay","arg":"5m"})", R"({"ok":true,"lang":"zh"})",
         [](CkivToolDlg& d) { return d.m_clock.m_workLength.size() == 400; }},
        {"no delay", u"AllowDelays", R"({"command":"delay","arg":"5m"})",
         R"({"ok":false,"lang":"zh","error":"policy","policy":"AllowDelays"})",
         [](CkivToolDlg& d) { return d.m_clock.m_workLength.size() == 100; }},
        {"no delay during a rest", nullptr, R"({"command":"delay","arg":"preset"})",
         R"({"ok":false,"lang":"zh","error":"not-now"})",
         [](CkivToolDlg& d) { return d.m_clock.m_workLength.size() == 100; }, true},
        {"no skipping", u"AllowSkipToday", R"({"command":"skip-today"})",
         R"({"ok":false,"lang":"zh","error":"policy","policy":"AllowSkipToday"})",
         [](CkivToolDlg& d) { return !d.isOutsideWorkingHours(); }},
        {"skipping", nullptr, R"({"command":"skip-today"})", R"({"ok":true,"lang":"zh"})",
         [](CkivToolDlg& d) { return d.isOutsideWorkingHours(); }},
        {"no pause", u"AllowPause", R"({"command":"pause","arg":"30m"})",
         R"({"ok":false,"lang":"zh","error":"policy","policy":"AllowPause"})",
         [](CkivToolDlg& d) { return d.m_clock.m_working; }},
        {"a pause", nullptr, R"({"command":"pause","arg":"until-tomorrow"})", R"({"ok":true,"lang":"zh"})",
         [](CkivToolDlg& d) { return d.m_clock.isPaused(); }},
        {"no pause during a rest", nullptr, R"({"command":"pause","arg":"30m"})",
         R"({"ok":false,"lang":"zh","error":"not-now"})", [](CkivToolDlg& d) { return !d.m_clock.isPaused(); }, true},
        {"resume with no pause: nothing to do", u"AllowPause", R"({"command":"resume"})", R"({"ok":true,"lang":"zh"})",
         [](CkivToolDlg& d) { return d.m_clock.m_working; }},
        {"rest now, whatever the policies", u"AllowEarlyUnlock", R"({"command":"rest-now"})",
         R"({"ok":true,"lang":"zh"})", [](CkivToolDlg& d) { return !d.m_clock.m_working && d.m_pNotifyDlg; }},
        {"exit", nullptr, R"({"command":"exit"})", R"({"ok":true,"lang":"zh"})",
         [](CkivToolDlg&) { return g_exiting; }},
        // A rest that may not be cut short: the exit waits for its end.
        {"exit during a rest without early unlock", u"AllowEarlyUnlock", R"({"command":"exit"})",
         R"({"ok":true,"lang":"zh"})", [](CkivToolDlg& d) { return !g_exiting && !d.m_clock.m_working; }, true},
    };
    for (const auto& row : rows) {
        m_registry.clear();
        if (row.forbidden) m_registry.setNumber(policy::Hive::User, row.forbidden, 0);
        theApp.ReadPolicies();
        ASSERT_TRUE(createDialog()) << row.name;
        if (row.resting) m_dlg->StartRest();
        EXPECT_EQ(request(row.line), row.answer) << row.name;
        EXPECT_TRUE(row.after(*m_dlg)) << row.name;
        m_dlg.reset();
        test::pumpMessages();
        g_exiting = false;
    }
}

// Someone else holds the pipe's name: the program says so once, in a balloon, and runs on.
TEST_F(ControlCommandTest, ANameTakenIsSaidOnce) {
    TestWindow window;
    control::PipeServer squatter(window.hwnd, TestWindow::kMessage);
    const std::wstring sid = text(control::sidText(control::currentUserSid()));
    ASSERT_EQ(squatter.start(text(control::currentPipeName()).c_str(), sid.c_str()),
              control::PipeServer::Start::Serving);
    ASSERT_TRUE(createDialog());
    test::pumpMessages();
    EXPECT_EQ(test::balloons(), std::vector<std::wstring>{fw::loadString(IDS_PIPE_TAKEN)});
    tick(5);
    EXPECT_EQ(m_dlg->m_clock.m_workElapsed.size(), 5u) << "the program runs on";
}

TEST_F(ControlCommandTest, TheStatusSaysWhatTheStatusWindowSays) {
    m_registry.setNumber(policy::Hive::Machine, u"AllowPause", 0);
    theApp.ReadPolicies();
    ASSERT_TRUE(createDialog());
    tick(10);
    // The request message with made-up parameters, as any program could send it: ignored.
    for (WPARAM kind = 0; kind < 4; ++kind) send(WM_CONTROL, kind, 0x10);
    EXPECT_TRUE(test::balloons().empty());
    EXPECT_EQ(request(R"({"command":"status"})"),
              R"({"ok":true,"lang":"zh","state":"working","worked":10,"left":90,"rest":30,"held":null,)"
              R"("pausedUntil":null,"mode":"home","managed":["AllowPause"]})");
    tick(90);
    EXPECT_EQ(request(R"({"command":"status"})"),
              R"({"ok":true,"lang":"zh","state":"resting","worked":0,"left":30,"rest":30,"held":null,)"
              R"("pausedUntil":null,"mode":"home","managed":["AllowPause"]})");
}

TEST_F(ControlCommandTest, WhilePausedTheStatusSaysUntilWhen) {
    test::FakeClock clock(u"2026-12-07 10-00-00");
    ASSERT_TRUE(createDialog());
    tick(10);
    EXPECT_EQ(request(R"({"command":"pause","arg":"90"})"), R"({"ok":true,"lang":"zh"})");
    EXPECT_EQ(request(R"({"command":"status"})"),
              R"({"ok":true,"lang":"zh","state":"paused","worked":10,"left":90,"rest":30,"held":null,)"
              R"("pausedUntil":"11:30","mode":"home","managed":[]})");
}

}  // namespace
