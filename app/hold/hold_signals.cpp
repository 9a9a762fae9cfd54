#include "hold/hold_signals.h"

#include <tlhelp32.h>

#include <algorithm>

#include "framework/handles.h"
#include "hold/capture_sessions.h"

namespace hold {
namespace {

struct RegKeyTraits { static void release(HKEY h) { ::RegCloseKey(h); } };
using RegKey = fw::UniqueHandle<HKEY, RegKeyTraits>;

const wchar_t kConsentStore[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\";
const wchar_t kNonPackaged[] = L"NonPackaged";
const wchar_t kLastUsedStop[] = L"LastUsedTimeStop";
const wchar_t kLastUsedStart[] = L"LastUsedTimeStart";

RegKey openKey(const std::wstring& key) {
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return RegKey();
    return RegKey(h);
}

std::vector<std::wstring> systemSubkeys(const std::wstring& key) {
    std::vector<std::wstring> names;
    const RegKey open = openKey(key);
    if (!open) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];  // the longest key name the registry allows is 255
        DWORD length = 256;
        const LONG result = ::RegEnumKeyExW(open.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

bool systemQword(const std::wstring& key, const wchar_t* value, uint64_t& out) {
    const RegKey open = openKey(key);
    if (!open) return false;
    DWORD type = 0;
    uint64_t data = 0;
    DWORD size = sizeof(data);
    if (::RegQueryValueExW(open.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_QWORD || size != sizeof(data))
        return false;
    out = data;
    return true;
}

bool sameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

std::wstring fileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

uint64_t fileTimeValue(const FILETIME& time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// When the process started; 0 when Windows does not say.
uint64_t processStart(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return fileTimeValue(created);
}

// The process's path and when it started; empty when it cannot be opened.
std::wstring processPath(DWORD pid, uint64_t& started) {
    const fw::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return std::wstring();
    started = processStart(process.get());
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process.get(), 0, path, &length)) return std::wstring();
    return std::wstring(path, length);
}

// Since Windows 8; looked up by name so the program still starts on Windows 7.
using PackageFamilyNameFunction = LONG(WINAPI*)(HANDLE process, UINT32* length, PCWSTR name);

std::wstring processPackage(DWORD pid, uint64_t& started) {
    static const auto familyName = reinterpret_cast<PackageFamilyNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetPackageFamilyName")));
    if (!familyName) return std::wstring();
    const fw::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return std::wstring();
    wchar_t name[128];  // PACKAGE_FAMILY_NAME_MAX_LENGTH + 1 is 65
    UINT32 length = 128;
    if (familyName(process.get(), &length, name) != ERROR_SUCCESS || length == 0) return std::wstring();
    started = processStart(process.get());
    return std::wstring(name, length - 1);
}

// One snapshot of the processes. A desktop program is compared by file name first, so
// only a process of the same name is opened; a packaged one needs every process's
// package, which is asked only while such an entry is in use.
std::vector<uint64_t> systemProgramStarts(const ConsentUser& user) {
    std::vector<uint64_t> starts;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return starts;
    const fw::KernelHandle holder(snapshot);
    const std::wstring name = fileName(user.name);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) continue;
        uint64_t started = 0;
        if (user.packaged) {
            if (sameText(processPackage(entry.th32ProcessID, started), user.name)) starts.push_back(started);
        } else if (sameText(entry.szExeFile, name) && sameText(processPath(entry.th32ProcessID, started), user.name)) {
            starts.push_back(started);
        }
    }
    return starts;
}

// Now less the time since the start, which counts time asleep too.
uint64_t systemBootTime() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const uint64_t since = ::GetTickCount64() * (kFileTimeSecond / 1000);
    const uint64_t value = fileTimeValue(now);
    return value > since ? value - since : 0;
}

HRESULT WINAPI systemNotificationState(QUERY_USER_NOTIFICATION_STATE* state) {
    return ::SHQueryUserNotificationState(state);
}

bool systemCapture() { return otherProcessCaptures(::GetCurrentProcessId()); }

SubkeysFunction g_subkeys = &systemSubkeys;
QwordFunction g_qword = &systemQword;
ProgramStartsFunction g_programStarts = &systemProgramStarts;
BootTimeFunction g_bootTime = &systemBootTime;
NotificationStateFunction g_notificationState = &systemNotificationState;
CaptureFunction g_capture = &systemCapture;

template <typename Fn>
Fn replace(Fn& slot, Fn fn, Fn system) {
    Fn old = slot;
    slot = fn ? fn : system;
    return old;
}

bool stoppedAtZero(const std::wstring& key) {
    uint64_t stop = 1;
    return g_qword(key, kLastUsedStop, stop) && stop == 0;
}

uint64_t usedSince(const std::wstring& key) {
    uint64_t start = 0;
    return g_qword(key, kLastUsedStart, start) ? start : 0;
}

}  // namespace

SubkeysFunction setSubkeysFunction(SubkeysFunction fn) { return replace(g_subkeys, fn, &systemSubkeys); }
QwordFunction setQwordFunction(QwordFunction fn) { return replace(g_qword, fn, &systemQword); }
ProgramStartsFunction setProgramStartsFunction(ProgramStartsFunction fn) {
    return replace(g_programStarts, fn, &systemProgramStarts);
}
BootTimeFunction setBootTimeFunction(BootTimeFunction fn) { return replace(g_bootTime, fn, &systemBootTime); }
NotificationStateFunction setNotificationStateFunction(NotificationStateFunction fn) {
    return replace(g_notificationState, fn, &systemNotificationState);
}
CaptureFunction setCaptureFunction(CaptureFunction fn) { return replace(g_capture, fn, &systemCapture); }

std::wstring consentKey(const wchar_t* capability) { return kConsentStore + std::wstring(capability); }

std::vector<ConsentUser> consentUsers(const wchar_t* capability) {
    std::vector<ConsentUser> users;
    const std::wstring key = consentKey(capability);
    for (const std::wstring& name : g_subkeys(key)) {
        if (sameText(name, kNonPackaged)) continue;
        if (stoppedAtZero(key + L'\\' + name)) users.push_back({true, name, usedSince(key + L'\\' + name)});
    }
    const std::wstring desktop = key + L'\\' + kNonPackaged;
    for (const std::wstring& name : g_subkeys(desktop)) {
        if (!stoppedAtZero(desktop + L'\\' + name)) continue;
        std::wstring path = name;
        std::replace(path.begin(), path.end(), L'#', L'\\');
        users.push_back({false, path, usedSince(desktop + L'\\' + name)});
    }
    return users;
}

bool capabilityInUse(const wchar_t* capability) {
    const std::vector<ConsentUser> users = consentUsers(capability);
    if (users.empty()) return false;
    const uint64_t boot = g_bootTime();
    for (const ConsentUser& user : users)
        if (entryCounts(user.usedSince, 0, g_programStarts(user), boot)) return true;
    return false;
}

bool isPresenting() {
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(g_notificationState(&state))) return false;
    return state == QUNS_PRESENTATION_MODE || state == QUNS_RUNNING_D3D_FULL_SCREEN;
}

Signals readSignals() {
    Signals signals;
    signals.microphone = capabilityInUse(L"microphone") || g_capture();
    signals.camera = capabilityInUse(L"webcam");
    signals.presentation = isPresenting();
    return signals;
}

}  // namespace hold
