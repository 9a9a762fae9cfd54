// One copy of the built kivTool.exe in a scratch folder with a portable "profile" folder,
// started as its own process and looked at from outside: by window titles, classes and
// sizes, and through the files in its profile folder.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace e2e {

// Control ids and commands of the program, as a user's script would know them.
enum : int {
    kStatusPowerOn = 1000,
    kStatusWorked = 1001,
    kStatusRemain = 1002,
    kAskAnswer = 1001,
    kAskFactor1 = 1002,
    kAskFactor2 = 1003,
    kSettingRestTime = 1001,
    kSettingWorkTime = 1002,
    kSettingHome = 1004,
    kSettingOffice = 1005,
    kSettingFullScreen = 1006,
    kCommandExit = 32774,
    kCommandDelay5 = 32775,
    kCommandDelayPreset = 32776,
    kCommandSettings = 32777,
    kCommandAbout = 32779,
};

extern const wchar_t* const kStatusTitle;    // "Vanto定时休息工具"
extern const wchar_t* const kSettingsTitle;  // "Vanto定时休息设置"
extern const wchar_t* const kAboutTitle;     // "关于Vanto定时休息工具"
extern const wchar_t* const kEnglishStatusTitle;    // "Vanto Break Timer"
extern const wchar_t* const kEnglishSettingsTitle;  // "Vanto Break Timer Settings"
extern const wchar_t* const kAskClass;       // "kivAskDlg", the question's window class

struct Profile {
    unsigned workTime;   // seconds
    unsigned relaxTime;  // seconds
    int homeMode;        // 1 home, 0 office
    int idleIsRest = 0;  // 1: time away from the keyboard is rest (written only then)
    const char* language = nullptr;  // "zh" or "en" forces that set (written only then)
    std::string workingHours{};      // the working hours (written only when not empty)
};

class KivTool {
public:
    explicit KivTool(const Profile& profile);
    ~KivTool();  // ends the process if it still runs and removes the scratch folder
    KivTool(const KivTool&) = delete;
    KivTool& operator=(const KivTool&) = delete;

    // The copy is ready to start (scratch folder made, files copied); else why not.
    const std::string& setupError() const { return m_setupError; }

    // Starts the program and waits for its status window, by its title in `statusTitle`.
    // False when it does not come.
    bool start(const wchar_t* statusTitle = kStatusTitle);
    // Starts the program without waiting for anything. False when it could not be started.
    bool launch();
    // Ends the process from outside, as a task manager does; true once it has ended.
    bool terminate();
    DWORD pid() const { return m_process.dwProcessId; }
    HANDLE process() const { return m_process.hProcess; }
    HWND statusWindow() const { return m_status; }

    // A top-level window of this process with exactly this title, or null.
    HWND windowTitled(const wchar_t* title) const;
    int countWindowsTitled(const wchar_t* title) const;
    // A top-level window of this process of this window class, or null.
    HWND windowOfClass(const wchar_t* className) const;
    int countWindowsOfClass(const wchar_t* className) const;
    // The rest window: a visible dialog of this process without a caption covering the
    // whole screen. (Its text is the time left, for screen readers.)
    HWND restWindow() const;

    // A tray-menu command, posted to the status window as the menu would send it.
    bool command(int id) const;
    // A status label read as a duration in seconds; -1 when it is not one.
    long long statusSeconds(int id) const;

    // True when the process has ended within `timeoutMs`; its exit code in `code`.
    bool waitForExit(DWORD timeoutMs, DWORD* code = nullptr) const;
    // Starts the same program once more, as a user's second start would, and waits up to
    // `timeoutMs` for that second process to end; its exit code in `code`. False when it
    // did not start or still runs (it is then ended).
    bool runAgain(DWORD timeoutMs, DWORD* code) const;

    const std::filesystem::path& folder() const { return m_folder; }
    std::filesystem::path profileDir() const { return m_folder / L"profile"; }
    static std::string readFile(const std::filesystem::path& file);

private:
    bool launch(PROCESS_INFORMATION& process) const;

    std::filesystem::path m_folder;
    std::string m_setupError;
    PROCESS_INFORMATION m_process{};
    HWND m_status = nullptr;
};

// The built program's folder: <build>/bin, found from this test program's own place
// (<build>/tests/e2e).
std::filesystem::path programFolder();

}  // namespace e2e
