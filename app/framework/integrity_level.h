// A process's integrity level: the last sub-authority of its token's mandatory label
// (SECURITY_MANDATORY_MEDIUM_RID and so on). The token is opened and read through the
// calls given, Windows' own or the platform seam's, so tests see the same sequence.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/handles.h"

namespace fw {

template <typename OpenToken, typename QueryToken>
bool readIntegrityLevel(HANDLE process, OpenToken openToken, QueryToken queryToken, uint32_t& level) {
    HANDLE rawToken = nullptr;
    if (!openToken(process, TOKEN_QUERY, &rawToken) || !rawToken) return false;
    const KernelHandle token(rawToken);
    // One call into a buffer that holds any SID: the label's size is never asked for first.
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    } buffer{};
    DWORD size = 0;
    if (!queryToken(token.get(), TokenIntegrityLevel, &buffer, sizeof buffer, &size)) return false;
    const PSID sid = buffer.label.Label.Sid;
    if (!sid || !::IsValidSid(sid) || *::GetSidSubAuthorityCount(sid) == 0) return false;
    level = *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1u);
    return true;
}

}  // namespace fw
