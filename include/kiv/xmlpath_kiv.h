// Element paths: 'a>b[2]' is the second child named b of the first child named a.
#pragma once

#include <deque>

#include "kiv/string_kiv.h"

namespace kiv {

// One step of an element path: a child name and the 0-based position among the children
// of that name.
struct PathStep {
    String name;
    int index = 0;
};

// Splits at ">" (empty pieces skipped). 'x' and 'x[1]' give index 0, 'x[2]' index 1;
// 'x[0]', 'x[y]' and 'x[2' (no closing bracket) give 0; anything after "]" is ignored.
std::deque<PathStep> parsePath(const String& path);

}  // namespace kiv
