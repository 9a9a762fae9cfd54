#include "desktop/front_integrity.h"

#include <windows.h>

#include "desktop/foreground.h"
#include "framework/handles.h"
#include "platform_calls.h"

namespace rest {
namespace {

// The last sub-authority of the token's mandatory label. One call into a buffer that holds
// any SID: the label's size is never asked for first.
bool integrityOf(HANDLE process, uint32_t& level) {
    HANDLE rawToken = nullptr;
    if (!platform::openProcessToken(process, TOKEN_QUERY, &rawToken) || !rawToken) return false;
    const fw::KernelHandle token(rawToken);
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    } buffer{};
    DWORD size = 0;
    if (!platform::tokenInformation(token.get(), TokenIntegrityLevel, &buffer, sizeof buffer, &size)) return false;
    const PSID sid = buffer.label.Label.Sid;
    if (!sid || !::IsValidSid(sid) || *::GetSidSubAuthorityCount(sid) == 0) return false;
    level = *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1u);
    return true;
}

}  // namespace

hold::FrontFacts readFront() {
    hold::FrontFacts facts;
    const HWND front = foregroundWindow();
    if (!front) return facts;
    facts.window = true;
    const DWORD process = processOfWindow(front);
    if (process == ::GetCurrentProcessId()) {
        facts.ours = true;
        return facts;
    }
    facts.ownKnown = integrityOf(::GetCurrentProcess(), facts.ownLevel);
    if (process == 0) return facts;
    // The least access there is: Windows grants it for most elevated processes too.
    const HANDLE rawProcess = platform::openProcess(PROCESS_QUERY_LIMITED_INFORMATION, process);
    if (!rawProcess) return facts;
    const fw::KernelHandle frontProcess(rawProcess);
    facts.levelKnown = integrityOf(frontProcess.get(), facts.level);
    return facts;
}

}  // namespace rest
