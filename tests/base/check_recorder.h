// Records failed precondition reports instead of stopping the test program, so tests can
// check both the report and what the operation does after it returns.
#pragma once

#include <string>
#include <vector>

#include "kiv/debug_kiv.h"

namespace kivtest {

struct CheckEntry {
    std::string expression;
    std::string file;
    unsigned line;
};

class CheckRecorder {
public:
    CheckRecorder();
    ~CheckRecorder();
    CheckRecorder(const CheckRecorder&) = delete;
    CheckRecorder& operator=(const CheckRecorder&) = delete;

    const std::vector<CheckEntry>& entries() const;
    // The one report made, or an entry with line 0 when there was none or more than one.
    CheckEntry only() const;

private:
    kiv::CheckReport previous_;
};

}  // namespace kivtest
