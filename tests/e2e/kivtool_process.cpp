#include "kivtool_process.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "remote_window.h"

namespace fs = std::filesystem;

namespace e2e {

const wchar_t* const kStatusTitle = L"Vanto\u5B9A\u65F6\u4F11\u606F\u5DE5\u5177";
const wchar_t* const kSettingsTitle = L"Vanto\u5B9A\u65F6\u4F11\u606F\u8BBE\u7F6E";
const wchar_t* const kAboutTitle = L"\u5173\u4E8EVanto\u5B9A\u65F6\u4F11\u606F\u5DE5\u5177";
const wchar_t* const kEnglishStatusTitle = L"Vanto Break Timer";
const wchar_t* const kEnglishSettingsTitle = L"Vanto Break Timer Settings";
const wchar_t* const kAskClass = L"kivAskDlg";

namespace {

// Start-up under a warm Wine takes well under a second; a cold one a few.
constexpr DWORD kStartTimeoutMs = 15000;

}  // namespace

fs::path programFolder() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path().parent_path().parent_path() / L"bin";
}

KivTool::KivTool(const Profile& profile) {
    std::error_code error;
    const fs::path bin = programFolder();
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_folder.empty(); ++attempt) {
        fs::path candidate = bin.parent_path() / (L"kiv_e2e_" + std::to_wstring(random()));
        if (fs::create_directory(candidate, error)) m_folder = candidate;
    }
    if (m_folder.empty()) {
        m_setupError = "no scratch folder";
        return;
    }
    for (const wchar_t* name : {L"kivTool.exe", L"kivinterface-1.dll"}) {
        if (!fs::copy_file(bin / name, m_folder / name, error)) {
            m_setupError = "cannot copy " + narrow(bin / name) + ": " + error.message();
            return;
        }
    }
    // The sounds are optional to the program; copied when the build has them.
    fs::copy(bin / L"resource", m_folder / L"resource", fs::copy_options::recursive, error);
    fs::create_directory(profileDir(), error);
    std::ofstream settings(profileDir() / L"Murvel.xml", std::ios::binary);
    settings << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<profile>\n"
             << " <workTime>" << profile.workTime << "</workTime>\n"
             << " <relaxTime>" << profile.relaxTime << "</relaxTime>\n"
             << " <homeMode>" << profile.homeMode << "</homeMode>\n"
             << " <relaxAtFullScreen>0</relaxAtFullScreen>\n"
             << (profile.idleIsRest ? " <idleIsRest>1</idleIsRest>\n" : "")
             << (profile.language ? std::string(" <language>") + profile.language + "</language>\n" : "")
             << (profile.workingHours.empty() ? "" : " <workingHours>" + profile.workingHours + "</workingHours>\n")
             << "</profile>\n";
    if (!settings) m_setupError = "cannot write Murvel.xml";
}

KivTool::~KivTool() {
    if (m_process.hProcess) {
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_process.hProcess, 99);
            ::WaitForSingleObject(m_process.hProcess, 5000);
        }
        ::CloseHandle(m_process.hThread);
        ::CloseHandle(m_process.hProcess);
    }
    std::error_code error;
    if (!m_folder.empty()) fs::remove_all(m_folder, error);
}

bool KivTool::launch(PROCESS_INFORMATION& process) const {
    if (!m_setupError.empty()) return false;
    const fs::path exe = m_folder / L"kivTool.exe";
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return ::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder.c_str(),
                            &startup, &process) != FALSE;
}

bool KivTool::launch() { return !m_process.hProcess && launch(m_process); }

bool KivTool::terminate() {
    return m_process.hProcess && ::TerminateProcess(m_process.hProcess, 99) &&
           ::WaitForSingleObject(m_process.hProcess, 5000) == WAIT_OBJECT_0;
}

bool KivTool::start(const wchar_t* statusTitle) {
    if (!launch()) return false;
    waitFor([&] { return (m_status = windowTitled(statusTitle)) != nullptr; }, kStartTimeoutMs);
    return m_status != nullptr;
}

HWND KivTool::windowTitled(const wchar_t* title) const {
    for (HWND window : windowsOf(pid())) {
        if (windowText(window) == title) return window;
    }
    return nullptr;
}

int KivTool::countWindowsTitled(const wchar_t* title) const {
    int count = 0;
    for (HWND window : windowsOf(pid())) {
        if (windowText(window) == title) ++count;
    }
    return count;
}

HWND KivTool::windowOfClass(const wchar_t* className) const {
    for (HWND window : windowsOf(pid())) {
        if (::CompareStringOrdinal(windowClass(window).c_str(), -1, className, -1, TRUE) == CSTR_EQUAL) return window;
    }
    return nullptr;
}

int KivTool::countWindowsOfClass(const wchar_t* className) const {
    int count = 0;
    for (HWND window : windowsOf(pid())) {
        if (::CompareStringOrdinal(windowClass(window).c_str(), -1, className, -1, TRUE) == CSTR_EQUAL) ++count;
    }
    return count;
}

HWND KivTool::restWindow() const {
    RECT screen{};
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    for (HWND window : windowsOf(pid())) {
        if (!isCaptionlessDialog(window)) continue;
        RECT rect{};
        ::GetWindowRect(window, &rect);
        if (::EqualRect(&rect, &screen)) return window;
    }
    return nullptr;
}

bool KivTool::command(int id) const {
    return m_status && ::PostMessageW(m_status, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

long long KivTool::statusSeconds(int id) const {
    return m_status ? durationSeconds(itemText(m_status, id)) : -1;
}

bool KivTool::waitForExit(DWORD timeoutMs, DWORD* code) const {
    if (!m_process.hProcess || ::WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (code) ::GetExitCodeProcess(m_process.hProcess, code);
    return true;
}

bool KivTool::runAgain(DWORD timeoutMs, DWORD* code) const {
    PROCESS_INFORMATION second{};
    if (!launch(second)) return false;
    const bool ended = ::WaitForSingleObject(second.hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (ended) {
        ::GetExitCodeProcess(second.hProcess, code);
    } else {
        ::TerminateProcess(second.hProcess, 99);
        ::WaitForSingleObject(second.hProcess, 5000);
    }
    ::CloseHandle(second.hThread);
    ::CloseHandle(second.hProcess);
    return ended;
}

std::string KivTool::readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace e2e
