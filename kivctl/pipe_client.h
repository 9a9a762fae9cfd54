// kivctl's side of the pipe: find the running copy of this user and session, make sure
// the server is that user's own program, send one request line and read one answer line.
#pragma once

#include <windows.h>

#include "control/control_protocol.h"

namespace kivctl {

enum class Outcome {
    Answered,       // `answer` holds the response line, without its line end
    NoRunningCopy,  // no pipe of this name
    Busy,           // the pipe is there but did not become free in time
    Stranger,       // the pipe's server runs as another user: nothing was sent
    Broken,         // the connection failed halfway, or the answer was too long
};

Outcome exchange(const control::Bytes& request, control::Bytes& answer);

}  // namespace kivctl
