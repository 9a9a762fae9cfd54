// Always-on precondition checks and the log call of the kiv library.
#pragma once

namespace kiv {

// A report of a failed precondition: the expression text, the source file and the line.
// The default routine is the C runtime's assertion routine; tests install their own
// (which records and returns) to check what an operation does after the report.
using CheckReport = void (*)(const char* expression, const char* file, unsigned line);

// Installs a report routine; null restores the default. Returns the previous one.
CheckReport setCheckReport(CheckReport report);

// Reports a failed precondition through the current routine.
void reportCheck(const char* expression, const char* file, unsigned line);

// Returns the condition; reports it when it is false. The file and line are the ones a
// report shows, so callers pass them explicitly: `if (!check(n < max, "n < max", kFile, 105))`.
inline bool check(bool condition, const char* expression, const char* file, unsigned line) {
    if (!condition) reportCheck(expression, file, line);
    return condition;
}

// printf-style log line: callers put a level prefix ("[%s]: ", "[WAR][%s]: ", "[ERR][%s]: ")
// in the format and pass the qualified function name first. The sink discards every line.
void log(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace kiv
