// A fake of what Windows tells about calls, presentations and the last key: a registry of
// keys with their subkeys and QWORD values, a list of running programs, the notification
// state and the time since the last key. Installed for the life of the object.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hold/hold_signals.h"
#include "hold/typing_pause.h"

namespace test {

class FakeHoldSignals {
public:
    FakeHoldSignals() {
        self() = this;
        m_oldSubkeys = hold::setSubkeysFunction(&subkeys);
        m_oldQword = hold::setQwordFunction(&qword);
        m_oldRunning = hold::setProgramRunningFunction(&running);
        m_oldState = hold::setNotificationStateFunction(&state);
        m_oldSinceKey = hold::setSinceKeyFunction(&sinceKey);
    }
    ~FakeHoldSignals() {
        hold::setSubkeysFunction(m_oldSubkeys);
        hold::setQwordFunction(m_oldQword);
        hold::setProgramRunningFunction(m_oldRunning);
        hold::setNotificationStateFunction(m_oldState);
        hold::setSinceKeyFunction(m_oldSinceKey);
        self() = nullptr;
    }
    FakeHoldSignals(const FakeHoldSignals&) = delete;
    FakeHoldSignals& operator=(const FakeHoldSignals&) = delete;

    // An entry below the capability's key ("microphone", "webcam"): `name` is a package
    // family name, or "NonPackaged\<path with #>"; `stop` its LastUsedTimeStop.
    void entry(const std::wstring& capability, const std::wstring& name, uint64_t stop) {
        std::wstring key = hold::consentKey(capability.c_str());
        std::wstring rest = name;
        for (size_t slash; (slash = rest.find(L'\\')) != std::wstring::npos; rest = rest.substr(slash + 1)) {
            addSubkey(key, rest.substr(0, slash));
            key += L'\\' + rest.substr(0, slash);
        }
        addSubkey(key, rest);
        values[key + L'\\' + rest + L"|LastUsedTimeStop"] = stop;
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
    }

    std::map<std::wstring, std::vector<std::wstring>> keys;
    std::map<std::wstring, uint64_t> values;  // "key|value"
    std::set<std::wstring> runningPaths;      // paths and package family names
    QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
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
    static bool running(const hold::ConsentUser& user) { return self()->runningPaths.count(user.name) != 0; }
    static HRESULT WINAPI state(QUERY_USER_NOTIFICATION_STATE* out) {
        *out = self()->notificationState;
        return S_OK;
    }
    static long long sinceKey() { return self()->millisSinceKey; }

    hold::SubkeysFunction m_oldSubkeys;
    hold::QwordFunction m_oldQword;
    hold::ProgramRunningFunction m_oldRunning;
    hold::NotificationStateFunction m_oldState;
    hold::SinceKeyFunction m_oldSinceKey;
};

}  // namespace test
