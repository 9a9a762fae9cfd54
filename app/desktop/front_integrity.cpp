#include "desktop/front_integrity.h"

#include <windows.h>

#include "desktop/foreground.h"
#include "framework/handles.h"
#include "platform_calls.h"

namespace rest {
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
    facts.ownKnown = platform::integrityLevel(::GetCurrentProcess(), facts.ownLevel);
    if (process == 0) return facts;
    // The least access there is: Windows grants it for most elevated processes too.
    const HANDLE rawProcess = platform::openProcess(PROCESS_QUERY_LIMITED_INFORMATION, process);
    if (!rawProcess) return facts;
    const fw::KernelHandle frontProcess(rawProcess);
    facts.levelKnown = platform::integrityLevel(frontProcess.get(), facts.level);
    return facts;
}

}  // namespace rest
