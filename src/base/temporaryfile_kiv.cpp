// Unique temporary names for saves, and the removal of the ones a cut-off save left.
#include "temporaryfile_kiv.h"

#include <atomic>

#include "kiv/stringc_kiv.h"
#include "os_kiv.h"

namespace kiv {

namespace {

const char16_t kSuffix[] = u".tmp";

// The index just past the directory part of `path` (0 when there is none). '/' is taken
// as a separator everywhere: Windows accepts it too.
int nameStart(const String& path) {
    const int separator = path.rfind(os::pathSeparator());
    const int slash = path.rfind(u'/');
    return (separator > slash ? separator : slash) + 1;
}

// Whether units [from, to) of `text` are one or more decimal digits.
bool isDigits(const String& text, unsigned from, unsigned to) {
    if (from >= to) return false;
    for (unsigned i = from; i < to; ++i) {
        if (text.at(i) < '0' || text.at(i) > '9') return false;
    }
    return true;
}

}  // namespace

String temporaryNameFor(const String& target) {
    static std::atomic<uint32_t> counter{0};
    const uint32_t n = ++counter;
    const StringC& c = stringC();
    return target + u"." + c.intToStr(static_cast<int32_t>(os::processId()), 10) + u"-" +
           c.intToStr(static_cast<int32_t>(n), 10) + kSuffix;
}

bool isTemporaryOf(const String& name, const String& targetName) {
    const unsigned head = targetName.length() + 1;  // "<target>."
    const unsigned suffix = sizeof kSuffix / sizeof kSuffix[0] - 1;
    if (name.length() < head + suffix || name.mid(0, static_cast<int>(head)) != targetName + u".") return false;
    const unsigned end = name.length() - suffix;
    if (name.mid(static_cast<int>(end)) != kSuffix) return false;
    const int dash = name.find(u'-', static_cast<int>(head));
    return dash >= 0 && static_cast<unsigned>(dash) < end && isDigits(name, head, static_cast<unsigned>(dash)) &&
           isDigits(name, static_cast<unsigned>(dash) + 1, end);
}

void removeStaleTemporaries(const String& target, int64_t now, int64_t maxAge) {
    const int start = nameStart(target);
    const String directory = target.mid(0, start);
    const String targetName = target.mid(start);
    for (const os::DirectoryEntry& entry : os::listDirectory(directory)) {
        if (entry.isDirectory || now - entry.modified <= maxAge) continue;
        if (isTemporaryOf(entry.name, targetName)) os::removeFile(directory + entry.name);
    }
}

}  // namespace kiv
