// Reads what hold::frontHoldsCover decides on: the window in front, its process and that
// process's integrity level against this one's. The calls go through the platform seam
// (platform_calls.h) and the foreground's (foreground.h): Wine runs every process at one
// level, so tests give the levels.
#pragma once

#include "hold/cover_wait.h"

namespace rest {

hold::FrontFacts readFront();

}  // namespace rest
