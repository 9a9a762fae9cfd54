// Precondition reports and the log call.
#include "kiv/debug_kiv.h"

#include "os_kiv.h"

namespace kiv {

namespace {
CheckReport g_report = nullptr;
}  // namespace

CheckReport setCheckReport(CheckReport report) {
    CheckReport previous = g_report;
    g_report = report;
    return previous;
}

void reportCheck(const char* expression, const char* file, unsigned line) {
    if (g_report) g_report(expression, file, line);
    else os::runtimeAssert(expression, file, line);
}

// No caller depends on the log: the sink discards every line.
void log(const char*, ...) {}

}  // namespace kiv
