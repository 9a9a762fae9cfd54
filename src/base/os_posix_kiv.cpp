// POSIX side of the kiv library's operating-system calls (the native build).
#include "os_kiv.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kiv/stringc_kiv.h"

namespace kiv {
namespace os {

namespace {

std::string toUtf8(const String& wide) {
    String bytes = stringC().wstrToUtf8(wide);
    return std::string(bytes.str(), bytes.length());
}

String fromUtf8(const std::string& bytes) {
    return stringC().utf8ToWStr(String(bytes.c_str(), static_cast<int>(bytes.size())));
}

}  // namespace

char16_t pathSeparator() { return u'/'; }

// The narrow charset is the C library's current locale (mbrtowc); wchar_t is 32-bit here,
// so characters above U+FFFF become surrogate pairs.
String ansiToWide(const char* text, unsigned length, bool& ok) {
    String out;
    std::mbstate_t state{};
    unsigned i = 0;
    ok = true;
    while (i < length) {
        wchar_t wc = 0;
        size_t n = std::mbrtowc(&wc, text + i, length - i, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            ok = false;
            return String();
        }
        if (n == 0) n = 1;  // an embedded zero byte
        unsigned long c = static_cast<unsigned long>(wc);
        if (c > 0xFFFF) {
            c -= 0x10000;
            out.append(static_cast<unsigned>(0xD800 + (c >> 10)));
            out.append(static_cast<unsigned>(0xDC00 + (c & 0x3FF)));
        } else {
            out.append(static_cast<unsigned>(c));
        }
        i += static_cast<unsigned>(n);
    }
    return out;
}

String wideToAnsi(const char16_t* text, unsigned length, bool& ok) {
    String out("");
    std::mbstate_t state{};
    ok = true;
    for (unsigned i = 0; i < length; ++i) {
        unsigned long c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        char buffer[MB_LEN_MAX];
        size_t n = std::wcrtomb(buffer, static_cast<wchar_t>(c), &state);
        if (n == static_cast<size_t>(-1)) {
            // Like the Windows conversion: a character the charset lacks becomes '?'.
            out.append("?", 1);
            state = std::mbstate_t{};
            continue;
        }
        out.append(buffer, static_cast<int>(n));
    }
    return out;
}

FILE* openFile(const String& name, const char* mode) {
    return std::fopen(toUtf8(name).c_str(), mode);
}

FILE* createNewFile(const String& name) {
    // O_EXCL fails on any existing name, a link included, dangling or not.
    const int descriptor = open(toUtf8(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor == -1) return nullptr;
    FILE* file = fdopen(descriptor, "wb");
    if (!file) close(descriptor);
    return file;
}

int64_t fileSize(FILE* file) {
    struct stat st;
    return fstat(fileno(file), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool syncFile(FILE* file) { return fsync(fileno(file)) == 0; }

bool replaceFile(const String& source, const String& target) {
    return std::rename(toUtf8(source).c_str(), toUtf8(target).c_str()) == 0;
}

bool removeFile(const String& name) { return std::remove(toUtf8(name).c_str()) == 0; }

uint32_t processId() { return static_cast<uint32_t>(getpid()); }

std::vector<DirectoryEntry> listDirectory(const String& directory) {
    std::vector<DirectoryEntry> entries;
    const std::string path = toUtf8(directory);
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (!dir) return entries;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (stat((path + name).c_str(), &st) != 0) continue;  // gone meanwhile
        entries.push_back({fromUtf8(name), S_ISDIR(st.st_mode), static_cast<int64_t>(st.st_mtime)});
    }
    closedir(dir);
    return entries;
}

String moduleFileName() {
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return String();
    return fromUtf8(std::string(buffer, static_cast<size_t>(n)));
}

String appDataFolder() {
    std::string dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        dir = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        dir = std::string(home) + "/.config";
    } else {
        return String();
    }
    mkdir(dir.c_str(), 0700);  // created when missing, as the Windows call does
    return fromUtf8(dir);
}

bool isDirectory(const String& path) {
    struct stat st;
    return stat(toUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool createDirectory(const String& path) { return mkdir(toUtf8(path).c_str(), 0777) == 0; }

int64_t now() { return static_cast<int64_t>(std::time(nullptr)); }

int32_t localOffset(int64_t time) {
    std::time_t t = static_cast<std::time_t>(time);
    std::tm fields{};
    if (!localtime_r(&t, &fields)) return 0;
    return static_cast<int32_t>(fields.tm_gmtoff);
}

void runtimeAssert(const char* expression, const char* file, unsigned line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %u\n", expression, file, line);
    std::abort();
}

// --- For tests ---------------------------------------------------------------------------

void setTimeZone(const char* rule) {
    if (rule) setenv("TZ", rule, 1);
    else unsetenv("TZ");
    tzset();
}

}  // namespace os
}  // namespace kiv
