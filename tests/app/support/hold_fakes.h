// A fake of what Windows tells about calls, presentations and the last key: a registry of
// keys with their subkeys and QWORD values, a list of running programs, the notification
// state and the time since the last key. Installed for the life of the object. And a fake
// of the window in front with the integrity levels of its process and of this one.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "desktop/foreground.h"
#include "hold/hold_signals.h"
#include "hold/typing_pause.h"
#include "platform_calls.h"
#include "seams.h"

namespace test {

class FakeHoldSignals {
public:
    FakeHoldSignals() { self() = this; }
    ~FakeHoldSignals() { self() = nullptr; }
    FakeHoldSignals(const FakeHoldSignals&) = delete;
    FakeHoldSignals& operator=(const FakeHoldSignals&) = delete;

    // FILETIME values of a day: the boot, then the running programs' start, then their use.
    static constexpr uint64_t kBoot = 133500000000000000ull;
    static constexpr uint64_t kProgramStart = kBoot + 3600 * hold::kFileTimeSecond;
    static constexpr uint64_t kUseStart = kProgramStart + 3600 * hold::kFileTimeSecond;

    // An entry below the capability's key ("microphone", "webcam"): `name` is a package
    // family name, or "NonPackaged\<path with #>"; `stop` its LastUsedTimeStop, `start` its
    // LastUsedTimeStart.
    void entry(const std::wstring& capability, const std::wstring& name, uint64_t stop, uint64_t start = kUseStart) {
        std::wstring key = hold::consentKey(capability.c_str());
        std::wstring rest = name;
        for (size_t slash; (slash = rest.find(L'\\')) != std::wstring::npos; rest = rest.substr(slash + 1)) {
            addSubkey(key, rest.substr(0, slash));
            key += L'\\' + rest.substr(0, slash);
        }
        addSubkey(key, rest);
        values[key + L'\\' + rest + L"|LastUsedTimeStop"] = stop;
        values[key + L'\\' + rest + L"|LastUsedTimeStart"] = start;
    }
    // A program in use by the ConsentStore, and its process running.
    void call(const std::wstring& path = L"C:\\Apps\\Meet.exe") {
        std::wstring name = path;
        for (wchar_t& c : name)
            if (c == L'\\') c = L'#';
        entry(L"microphone", L"NonPackaged\\" + name, 0);
        runningPaths.insert(path);
    }
    void clear() {
        keys.clear();
        values.clear();
        runningPaths.clear();
        notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
        capturing = false;
    }

    std::map<std::wstring, std::vector<std::wstring>> keys;
    std::map<std::wstring, uint64_t> values;  // "key|value"
    std::set<std::wstring> runningPaths;      // paths and package family names, started at kProgramStart
    QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
    bool capturing = false;  // another process has an active audio capture session
    long long millisSinceKey = -1;
    int registryReads = 0;  // subkey listings asked for

private:
    void addSubkey(const std::wstring& key, const std::wstring& name) {
        std::vector<std::wstring>& list = keys[key];
        for (const std::wstring& n : list)
            if (n == name) return;
        list.push_back(name);
    }

    static FakeHoldSignals*& self() {
        static FakeHoldSignals* current = nullptr;
        return current;
    }
    static std::vector<std::wstring> subkeys(const std::wstring& key) {
        ++self()->registryReads;
        const auto found = self()->keys.find(key);
        return found == self()->keys.end() ? std::vector<std::wstring>() : found->second;
    }
    static bool qword(const std::wstring& key, const wchar_t* value, uint64_t& out) {
        const auto found = self()->values.find(key + L'|' + value);
        if (found == self()->values.end()) return false;
        out = found->second;
        return true;
    }
    static std::vector<uint64_t> starts(const hold::ConsentUser& user) {
        if (self()->runningPaths.count(user.name) == 0) return {};
        return {kProgramStart};
    }
    static uint64_t boot() { return kBoot; }
    static HRESULT WINAPI state(QUERY_USER_NOTIFICATION_STATE* out) {
        *out = self()->notificationState;
        return S_OK;
    }
    static bool capture() { return self()->capturing; }
    static long long sinceKey() { return self()->millisSinceKey; }

    SeamHolder<hold::SubkeysFunction> m_subkeys{&hold::setSubkeysFunction, &subkeys};
    SeamHolder<hold::QwordFunction> m_qword{&hold::setQwordFunction, &qword};
    SeamHolder<hold::ProgramStartsFunction> m_starts{&hold::setProgramStartsFunction, &starts};
    SeamHolder<hold::BootTimeFunction> m_boot{&hold::setBootTimeFunction, &boot};
    SeamHolder<hold::NotificationStateFunction> m_state{&hold::setNotificationStateFunction, &state};
    SeamHolder<hold::CaptureFunction> m_capture{&hold::setCaptureFunction, &capture};
    SeamHolder<hold::SinceKeyFunction> m_sinceKey{&hold::setSinceKeyFunction, &sinceKey};
};

// A made-up window of another process in front (by default an elevated one), through the
// foreground's seam and the platform's; the calls that read the levels are recorded in
// order. Handles given out are real events, so the program may close them.
class FakeFront {
public:
    static constexpr DWORD kHigh = 0x3000;
    static constexpr DWORD kMedium = 0x2000;

    FakeFront() { self() = this; }
    ~FakeFront() { self() = nullptr; }
    FakeFront(const FakeFront&) = delete;
    FakeFront& operator=(const FakeFront&) = delete;

    HWND window = reinterpret_cast<HWND>(0x2000);  // null: nothing in front
    DWORD process = 4242;
    DWORD level = kHigh;
    DWORD ownLevel = kMedium;
    bool openRefused = false;
    bool frontTokenRefused = false;
    bool ownTokenRefused = false;
    std::vector<std::string> calls;

private:
    static FakeFront*& self() {
        static FakeFront* current = nullptr;
        return current;
    }
    static HANDLE newHandle() { return ::CreateEventW(nullptr, FALSE, FALSE, nullptr); }

    static HWND WINAPI foreground() { return self()->window; }
    static DWORD WINAPI processOf(HWND window, DWORD* process) {
        if (!window || window != self()->window) return 0;
        if (process) *process = self()->process;
        return 7;
    }
    static BOOL WINAPI setForeground(HWND window) {
        self()->window = window;
        self()->process = ::GetCurrentProcessId();
        return TRUE;
    }
    static HANDLE WINAPI openProcess(DWORD access, BOOL, DWORD process) {
        FakeFront& f = *self();
        f.calls.push_back(access == PROCESS_QUERY_LIMITED_INFORMATION ? "open " + std::to_string(process)
                                                                      : "open with more access");
        if (f.openRefused) return nullptr;
        f.m_frontProcess = newHandle();
        return f.m_frontProcess;
    }
    static BOOL WINAPI openToken(HANDLE process, DWORD access, HANDLE* token) {
        FakeFront& f = *self();
        const bool own = process == ::GetCurrentProcess();
        const std::string whose = own ? "own" : process == f.m_frontProcess ? "front" : "another";
        f.calls.push_back("token " + whose + (access == TOKEN_QUERY ? "" : " with more access"));
        if (own ? f.ownTokenRefused : f.frontTokenRefused) return FALSE;
        *token = newHandle();
        f.m_levels[*token] = own ? f.ownLevel : f.level;
        return TRUE;
    }
    // A mandatory label with its SID right behind it, as Windows lays it out.
    static BOOL WINAPI tokenInfo(HANDLE token, TOKEN_INFORMATION_CLASS kind, void* data, DWORD size, DWORD* returned) {
        FakeFront& f = *self();
        f.calls.push_back(kind == TokenIntegrityLevel ? "integrity" : "other information");
        const DWORD needed = sizeof(TOKEN_MANDATORY_LABEL) + ::GetSidLengthRequired(1);
        *returned = needed;
        if (kind != TokenIntegrityLevel || size < needed || !f.m_levels.count(token)) return FALSE;
        auto* label = static_cast<TOKEN_MANDATORY_LABEL*>(data);
        PSID sid = label + 1;
        SID_IDENTIFIER_AUTHORITY authority = SECURITY_MANDATORY_LABEL_AUTHORITY;
        ::InitializeSid(sid, &authority, 1);
        *::GetSidSubAuthority(sid, 0) = f.m_levels[token];
        label->Label.Sid = sid;
        label->Label.Attributes = SE_GROUP_INTEGRITY;
        return TRUE;
    }

    HANDLE m_frontProcess = nullptr;
    std::map<HANDLE, DWORD> m_levels;
    static rest::ForegroundCalls fakeForeground() {
        rest::ForegroundCalls calls{};
        calls.getForegroundWindow = &foreground;
        calls.getWindowThreadProcessId = &processOf;
        calls.setForegroundWindow = &setForeground;
        return calls;
    }
    SeamHolder<rest::ForegroundCalls> m_foreground{&rest::setForegroundCalls, fakeForeground()};
    SeamHolder<platform::OpenProcessFunction> m_open{&platform::setOpenProcessFunction, &openProcess};
    SeamHolder<platform::OpenProcessTokenFunction> m_token{&platform::setOpenProcessTokenFunction, &openToken};
    SeamHolder<platform::TokenInformationFunction> m_info{&platform::setTokenInformationFunction, &tokenInfo};
};

}  // namespace test
