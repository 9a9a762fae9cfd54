// What holds a rest, seen from outside the real program: a microphone entry in the
// ConsentStore for a program of ours that keeps running (a call), and keys typed just
// before the cover.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

const wchar_t kMicrophone[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\microphone\\NonPackaged";

// A running copy of the probe program, ended with the object.
class CallProgram {
public:
    CallProgram() {
        const std::wstring exe = (programFolder().parent_path() / L"tests" / L"e2e" / L"e2e_call_probe.exe").wstring();
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                              nullptr, &startup, &m_process))
            return;
        // The path as the system tells it, which is how the program looks it up.
        wchar_t path[MAX_PATH * 2];
        DWORD length = MAX_PATH * 2;
        if (::QueryFullProcessImageNameW(m_process.hProcess, 0, path, &length)) m_path.assign(path, length);
    }
    ~CallProgram() {
        end();
        if (m_process.hProcess) {
            ::CloseHandle(m_process.hThread);
            ::CloseHandle(m_process.hProcess);
        }
    }
    bool end() {
        return m_process.hProcess && ::TerminateProcess(m_process.hProcess, 0) &&
               ::WaitForSingleObject(m_process.hProcess, 5000) == WAIT_OBJECT_0;
    }
    const std::wstring& path() const { return m_path; }

private:
    PROCESS_INFORMATION m_process{};
    std::wstring m_path;
};

// Now, as the ConsentStore writes times (FILETIME), moved by `seconds`.
unsigned long long fileTimeNow(long long seconds = 0) {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long value = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return value + seconds * 10000000;
}

// The entry Windows writes while a desktop program records: named by its path with '#'
// for '\', LastUsedTimeStart when the use began, LastUsedTimeStop 0. Removed with the object.
class MicrophoneEntry {
public:
    explicit MicrophoneEntry(const std::wstring& path, unsigned long long start = fileTimeNow()) {
        std::wstring name = path;
        for (wchar_t& c : name)
            if (c == L'\\') c = L'#';
        m_key = std::wstring(kMicrophone) + L'\\' + name;
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, m_key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        const unsigned long long stop = 0;
        m_written = ::RegSetValueExW(key, L"LastUsedTimeStart", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&start),
                                     sizeof start) == ERROR_SUCCESS &&
                    ::RegSetValueExW(key, L"LastUsedTimeStop", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&stop),
                                     sizeof stop) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    ~MicrophoneEntry() { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str()); }
    bool written() const { return m_written; }

private:
    std::wstring m_key;
    bool m_written = false;
};

double secondsSince(DWORD start) { return (::GetTickCount() - start) / 1000.0; }

}  // namespace

// Held while the call program runs; when it ends (its entry stays at 0, as after a crash)
// the rest comes about a minute later, after its reminders.
TEST(HoldE2E, ARunningCallHoldsTheRestUntilAMinuteAfterItEnds) {
    CallProgram call;
    ASSERT_FALSE(call.path().empty());
    MicrophoneEntry entry(call.path());
    ASSERT_TRUE(entry.written());
    KivTool app({4, 3, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());

    EXPECT_TRUE(waitFor([&] { return app.statusSeconds(kStatusWorked) >= 8; }, 15000));
    EXPECT_EQ(app.restWindow(), nullptr) << "no rest during the call";
    EXPECT_EQ(app.statusSeconds(kStatusRemain), 0) << narrow(itemText(app.statusWindow(), kStatusRemain));

    ASSERT_TRUE(call.end());
    const DWORD ended = ::GetTickCount();
    // The hold is written to the day file when it ends.
    EXPECT_TRUE(waitFor(
        [&] {
            for (const auto& file : std::filesystem::directory_iterator(app.profileDir()))
                if (KivTool::readFile(file.path()).find("why=\"call\"") != std::string::npos) return true;
            return false;
        },
        5000));
    EXPECT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, 80000));
    const double after = secondsSince(ended);
    EXPECT_GE(after, 55.0);
    EXPECT_LE(after, 75.0);
}

// A program that crashed in a call three hours ago left its entry at 0; it runs again now
// (a browser started anew), but its entry began before this copy did: nothing holds the rest.
TEST(HoldE2E, AMicrophoneEntryBegunBeforeItsRunningProgramStartedHoldsNothing) {
    CallProgram call;
    ASSERT_FALSE(call.path().empty());
    MicrophoneEntry entry(call.path(), fileTimeNow(-3 * 3600));
    ASSERT_TRUE(entry.written());
    KivTool app({4, 3, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, 15000)) << "the stale entry held the rest";
}

// Keys typed as the rest falls due hold the cover back until they pause; the mouse would not.
TEST(HoldE2E, TypingHoldsTheCoverUntilAPause) {
    KivTool app({3, 3, 0});
    ASSERT_EQ(app.setupError(), "");
    ASSERT_TRUE(app.start());
    const DWORD started = ::GetTickCount();
    // Shift alone: a key press for every hook, text for no window.
    INPUT shift[2] = {};
    for (INPUT& in : shift) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_SHIFT;
    }
    shift[1].ki.dwFlags = KEYEVENTF_KEYUP;
    bool coveredWhileTyping = false;
    while (secondsSince(started) < 7.0) {
        ::SendInput(2, shift, sizeof(INPUT));
        ::Sleep(250);
        if (app.restWindow()) coveredWhileTyping = true;
    }
    const DWORD stopped = ::GetTickCount();
    EXPECT_FALSE(coveredWhileTyping) << "the rest was due after 3 s";
    EXPECT_TRUE(waitFor([&] { return app.restWindow() != nullptr; }, 6000));
    const double after = secondsSince(stopped);
    EXPECT_GE(after, 1.0) << "the cover waits for a pause of 1.5 s";
    EXPECT_LE(after, 4.0);
}
