#include "control/pipe_identity.h"

#include <sddl.h>

#include "framework/handles.h"
#include "framework/integrity_level.h"

namespace control {
namespace {

// A SID's text is at most 184 characters; wsprintfW writes at most 1024 units.
constexpr int kTextUnits = 1024;

WideText wide(const wchar_t* text) { return WideText(text, text + ::lstrlenW(text) + 1); }

}  // namespace

std::vector<BYTE> processUserSid(HANDLE process) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &opened)) return {};
    fw::KernelHandle token(opened);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    if (!::IsValidSid(sid)) return {};
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + ::GetLengthSid(sid));
}

std::vector<BYTE> currentUserSid() { return processUserSid(::GetCurrentProcess()); }

WideText sidText(const std::vector<BYTE>& sid) {
    if (sid.empty()) return {};
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) return {};
    WideText out = wide(text);
    ::LocalFree(text);
    return out;
}

WideText pipeName(const wchar_t* userSid, DWORD sessionId) {
    wchar_t name[kTextUnits];  // wsprintfW writes no more
    ::wsprintfW(name, L"\\\\.\\pipe\\Kelbrook.kivTool.%s.%lu", userSid, static_cast<unsigned long>(sessionId));
    return wide(name);
}

WideText currentPipeName() {
    const WideText sid = sidText(currentUserSid());
    DWORD session = 0;
    if (sid.empty() || !::ProcessIdToSessionId(::GetCurrentProcessId(), &session)) return {};
    return pipeName(sid.data(), session);
}

bool runsAs(DWORD pid, const std::vector<BYTE>& sid) {
    if (sid.empty()) return false;
    fw::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    std::vector<BYTE> owner = processUserSid(process.get());
    return !owner.empty() && ::EqualSid(owner.data(), const_cast<BYTE*>(sid.data()));
}

bool atTrustedLevel(DWORD pid) {
    fw::KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    uint32_t server = 0, ours = 0;
    if (!process || !fw::readIntegrityLevel(process.get(), &::OpenProcessToken, &::GetTokenInformation, server) ||
        !fw::readIntegrityLevel(::GetCurrentProcess(), &::OpenProcessToken, &::GetTokenInformation, ours))
        return false;
    return server >= (ours < SECURITY_MANDATORY_MEDIUM_RID ? ours : SECURITY_MANDATORY_MEDIUM_RID);
}

PSECURITY_DESCRIPTOR onlyUserDescriptor(const wchar_t* userSid) {
    if (!userSid || !*userSid) return nullptr;
    // P: protected, nothing inherited; one entry: generic all to this user.
    wchar_t sddl[kTextUnits];
    ::wsprintfW(sddl, L"D:P(A;;GA;;;%s)", userSid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

}  // namespace control
