// What kivctl does without the running copy: the language of its messages, and the
// history's export (by kivTool.exe beside it, so the file has the program's own bytes).
#pragma once

#include "control/control_protocol.h"

namespace kivctl {

// The language the program's windows show unless the settings file forces one: the
// Language policy, else the user's Windows (any Chinese: Chinese).
control::Language localLanguage();

enum class ExportOutcome { Written, NotWritten, NoProgram };
// Runs "kivTool.exe --export <full path of file>" beside kivctl.exe and waits for it.
ExportOutcome exportHistory(const wchar_t* file);

}  // namespace kivctl
