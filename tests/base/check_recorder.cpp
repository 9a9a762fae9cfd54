#include "check_recorder.h"

namespace kivtest {

namespace {
std::vector<CheckEntry> g_entries;

void record(const char* expression, const char* file, unsigned line) {
    g_entries.push_back({expression, file, line});
}
}  // namespace

CheckRecorder::CheckRecorder() : previous_(kiv::setCheckReport(record)) { g_entries.clear(); }

CheckRecorder::~CheckRecorder() {
    kiv::setCheckReport(previous_);
    g_entries.clear();
}

const std::vector<CheckEntry>& CheckRecorder::entries() const { return g_entries; }

CheckEntry CheckRecorder::only() const {
    return g_entries.size() == 1 ? g_entries.front() : CheckEntry{"", "", 0};
}

}  // namespace kivtest
