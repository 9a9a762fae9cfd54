// kivctl's words, in Chinese and in English like the program's: chosen by the running
// copy's answer where there is one, else by the same rule the program follows.
#pragma once

#include "control/control_protocol.h"

namespace kivctl {

enum class Text {
    Usage,
    NoRunningCopy,
    StrangerPipe,
    BadAnswer,
    RefusedByPolicy,   // %s: the policy's name
    NotNow,
    ExportDone,        // %s the file
    ExportFailed,      // %s the file
    NoProgram,
    kCount
};

// The text in `language`, UTF-16, with printf-style places as noted above.
const wchar_t* text(control::Language language, Text id);

}  // namespace kivctl
