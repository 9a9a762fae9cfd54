// kivctl.exe against the real program, both copied into a scratch folder: the status as a
// script reads it, no running copy, a policy's refusal, a megabyte on the pipe, the export.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

struct Ran {
    DWORD code = 0xFFFFFFFF;
    std::string out;  // standard output and standard error together
};

// Runs `<folder>\kivctl.exe <arguments>` and collects what it writes.
Ran kivctl(const std::filesystem::path& folder, const std::wstring& arguments) {
    Ran run;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = nullptr;
    std::wstring line = L"\"" + (folder / L"kivctl.exe").wstring() + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                          folder.c_str(), &startup, &process);
    ::CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(readEnd, buffer, sizeof buffer, &n, nullptr) && n > 0) run.out.append(buffer, n);
        ::WaitForSingleObject(process.hProcess, 20000);
        ::GetExitCodeProcess(process.hProcess, &run.code);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(readEnd);
    return run;
}

bool copyKivctl(const KivTool& app) {
    std::error_code error;
    return std::filesystem::copy_file(programFolder() / L"kivctl.exe", app.folder() / L"kivctl.exe", error);
}

const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Kelbrook\\kivTool";

}  // namespace

TEST(KivctlE2E, StatusOfTheRunningCopyAndNoneOnceItExits) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    ASSERT_TRUE(app.start());
    Ran json;
    // The pipe is there once the status window is; give the first tick its second.
    ASSERT_TRUE(waitFor([&] { return (json = kivctl(app.folder(), L"status --json")).code == 0; }, 5000)) << json.out;
    EXPECT_EQ(json.out.rfind("{\"state\":\"working\",\"worked\":", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"rest\":60,\"held\":null,\"pausedUntil\":null,\"mode\":\"home\",\"managed\":[]}\r\n"),
              std::string::npos) << json.out;
    const Ran line = kivctl(app.folder(), L"status");
    EXPECT_EQ(line.code, 0u);
    EXPECT_EQ(line.out.rfind(u8"工作中，还剩 ", 0), 0u) << line.out;

    const Ran bad = kivctl(app.folder(), L"pause 0");
    EXPECT_EQ(bad.code, 3u);
    EXPECT_NE(bad.out.find("kivctl"), std::string::npos) << "the usage text";

    EXPECT_EQ(kivctl(app.folder(), L"exit").code, 0u);
    EXPECT_TRUE(app.waitForExit(10000));
    const Ran none = kivctl(app.folder(), L"status");
    EXPECT_EQ(none.code, 2u) << none.out;
    EXPECT_NE(none.out.find(u8"kivTool 没有"), std::string::npos) << none.out;
}

// The rest as if it were due, without its notice: the screen is covered; the status then
// reads in the program's language (English here, forced by its settings).
TEST(KivctlE2E, RestNowCoversTheScreenAndTheStatusFollowsTheProgramsLanguage) {
    Profile profile{120, 60, 1};
    profile.language = "en";
    KivTool app(profile);
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    ASSERT_TRUE(app.start(kEnglishStatusTitle));
    ASSERT_TRUE(waitFor([&] { return kivctl(app.folder(), L"status").code == 0; }, 5000));
    const Ran now = kivctl(app.folder(), L"rest-now");
    EXPECT_EQ(now.code, 0u) << now.out;
    EXPECT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, 5000)) << "the screen is covered";
    const Ran status = kivctl(app.folder(), L"status");
    EXPECT_EQ(status.out.rfind("resting, ", 0), 0u) << status.out;
    // Ended as a user would: a copy killed during a rest would leave its hot key's global
    // atom in the session for the tests after it.
    EXPECT_EQ(kivctl(app.folder(), L"exit").code, 0u);
    EXPECT_TRUE(app.waitForExit(10000));
}

// A pause of a minute: no rest while it lasts (one was due after 8 s), then a fresh period
// whose rest comes 8 s after the pause's end.
TEST(KivctlE2E, APauseHoldsEveryRestUntilItsEnd) {
    KivTool app({8, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    ASSERT_TRUE(app.start());
    Ran pause;
    ASSERT_TRUE(waitFor([&] { return (pause = kivctl(app.folder(), L"pause 1")).code == 0; }, 3000)) << pause.out;
    const DWORD paused = ::GetTickCount();
    const Ran status = kivctl(app.folder(), L"status");
    EXPECT_EQ(status.out.rfind(u8"已暂停，到 ", 0), 0u) << status.out;
    // Until a second before the end no rest covers the screen.
    EXPECT_FALSE(waitFor([&] { return app.restWindow() != nullptr; }, 59000)) << "a rest during the pause";
    EXPECT_LT(::GetTickCount() - paused, 61000u);
    EXPECT_TRUE(waitFor([&] { return kivctl(app.folder(), L"status").out.rfind(u8"工作中", 0) == 0; }, 5000));
    const DWORD ended = ::GetTickCount();
    EXPECT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, 15000)) << "the fresh period's rest";
    EXPECT_GE(::GetTickCount() - ended, 6000u) << "a fresh period, not the old one";
    EXPECT_EQ(kivctl(app.folder(), L"exit").code, 0u);
    EXPECT_TRUE(app.waitForExit(10000));
}

TEST(KivctlE2E, AMegabyteOnThePipeIsRefusedAndTheProgramRunsOn) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(waitFor([&] { return kivctl(app.folder(), L"status").code == 0; }, 5000));

    // The pipe's name as kivctl finds it: its own user's SID and session.
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE user[256];
    DWORD size = 0;
    ASSERT_TRUE(::GetTokenInformation(token, TokenUser, user, sizeof user, &size));
    ::CloseHandle(token);
    LPWSTR sid = nullptr;
    ASSERT_TRUE(::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
    DWORD session = 0;
    ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
    const std::wstring name = L"\\\\.\\pipe\\Kelbrook.kivTool." + std::wstring(sid) + L"." + std::to_wstring(session);
    ::LocalFree(sid);

    HANDLE pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    // Written from a thread of its own: the server stops reading after 4 KB, and the answer
    // is read meanwhile.
    struct Writer {
        HANDLE pipe;
        static DWORD WINAPI run(void* self) {
            const std::string megabyte(1 << 20, 'x');
            DWORD n = 0;
            for (size_t at = 0; at < megabyte.size(); at += n)
                if (!::WriteFile(static_cast<Writer*>(self)->pipe, megabyte.data() + at, 4096, &n, nullptr)) break;
            return 0;
        }
    } writer{pipe};
    HANDLE thread = ::CreateThread(nullptr, 0, &Writer::run, &writer, 0, nullptr);
    std::string answer;
    char c = 0;
    DWORD n = 0;
    while (::ReadFile(pipe, &c, 1, &n, nullptr) && n == 1 && c != '\n') answer += c;
    ::CloseHandle(pipe);
    ::WaitForSingleObject(thread, 10000);
    ::CloseHandle(thread);
    EXPECT_EQ(answer, R"({"ok":false,"lang":"en","error":"too-long"})");

    EXPECT_EQ(::WaitForSingleObject(app.process(), 0), DWORD(WAIT_TIMEOUT)) << "the program runs on";
    EXPECT_TRUE(waitFor([&] { return kivctl(app.folder(), L"status").code == 0; }, 5000)) << "and answers again";
}

TEST(KivctlE2E, APolicyRefusesThePauseWithExitCodeOne) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD zero = 0;
    ::RegSetValueExW(key, L"AllowPause", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    ::RegCloseKey(key);
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    ASSERT_TRUE(app.start());
    Ran pause;
    EXPECT_TRUE(waitFor([&] { return (pause = kivctl(app.folder(), L"pause 30m")).code == 1; }, 5000)) << pause.out;
    EXPECT_NE(pause.out.find("AllowPause"), std::string::npos) << pause.out;
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kPolicyKey);
}

TEST(KivctlE2E, ExportWritesTheHistoryWithoutARunningCopy) {
    KivTool app({120, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(copyKivctl(app));
    const std::filesystem::path day = app.profileDir() / L"2026-12-07.xml";
    {
        std::FILE* f = _wfopen(day.c_str(), L"wb");
        ASSERT_NE(f, nullptr);
        std::fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n"
                   "<startup_time>2026-12-07 09-00-00</startup_time>\r\n"
                   "<rest end=\"time\" planned=\"480\" rested=\"480\" start=\"10-00-00\"/>\r\n"
                   "<delay added=\"300\" at=\"11-00-05\"/>\r\n</profile>\r\n",
                   f);
        std::fclose(f);
    }
    const Ran run = kivctl(app.folder(), L"export rests.csv");
    EXPECT_EQ(run.code, 0u) << run.out;
    EXPECT_EQ(KivTool::readFile(app.folder() / L"rests.csv"),
              u8"\xEF\xBB\xBF日期,开始时间,类型,计划秒数,实际秒数,结束方式\r\n"
              u8"2026-12-07,10:00:00,休息,480,480,到时结束\r\n"
              u8"2026-12-07,11:00:05,延时,300,,\r\n");
    // A name that would cut kivTool's command line into other words is refused at once
    // (it would otherwise start the program itself and never come back).
    const Ran refused = kivctl(app.folder(), LR"(export "x\" --y \"z.csv")");
    EXPECT_EQ(refused.code, 1u) << refused.out;
}
