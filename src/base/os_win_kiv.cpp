// Windows side of the kiv library's operating-system calls.
#include "os_kiv.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cassert>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <io.h>
#include <vector>

namespace kiv {
namespace os {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on Windows");

namespace {
const wchar_t* w(const String& text) { return reinterpret_cast<const wchar_t*>(text.wstr()); }
}  // namespace

char16_t pathSeparator() { return u'\\'; }

String ansiToWide(const char* text, unsigned length, bool& ok) {
    int size = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    ok = size > 0;
    if (!ok) return String();
    std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1);
    int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), buffer.data(), size);
    return String(reinterpret_cast<const char16_t*>(buffer.data()), n);
}

String wideToAnsi(const char16_t* text, unsigned length, bool& ok) {
    const wchar_t* in = reinterpret_cast<const wchar_t*>(text);
    int size = WideCharToMultiByte(CP_ACP, 0, in, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    ok = size > 0;
    if (!ok) return String("");
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    int n = WideCharToMultiByte(CP_ACP, 0, in, static_cast<int>(length), buffer.data(), size, nullptr, nullptr);
    return String(buffer.data(), n);
}

FILE* openFile(const String& name, const char* mode) {
    wchar_t wideMode[8] = {};
    for (int i = 0; i < 7 && mode[i]; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
    return _wfopen(w(name), wideMode);
}

FILE* createNewFile(const String& name) {
    // CREATE_NEW fails on any existing name; with FILE_FLAG_OPEN_REPARSE_POINT a link of
    // that name would be opened itself rather than followed, which CREATE_NEW refuses too.
    HANDLE handle = CreateFileW(w(name), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(descriptor, "wb");
    if (!file) _close(descriptor);  // closes the handle too
    return file;
}

int64_t fileSize(FILE* file) {
    const long long size = _filelengthi64(_fileno(file));
    return size < 0 ? -1 : static_cast<int64_t>(size);
}

bool syncFile(FILE* file) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool replaceFile(const String& source, const String& target) {
    // While another process replaces or reads the same target, the move is refused for a
    // moment (access denied, sharing violation); it is tried again for up to a second.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(w(source), w(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!busy || attempt >= 100) return false;
        Sleep(10);
    }
}

bool removeFile(const String& name) { return DeleteFileW(w(name)) != 0; }

uint32_t processId() { return GetCurrentProcessId(); }

namespace {

// Closes a search handle of FindFirstFileW when it goes out of scope.
struct FindHandle {
    HANDLE handle;
    ~FindHandle() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

// FILETIME counts 100 ns steps since 1601.
int64_t secondsSince1970(const FILETIME& time) {
    const uint64_t ticks = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000ull) - 11644473600ll;
}

}  // namespace

std::vector<DirectoryEntry> listDirectory(const String& directory) {
    std::vector<DirectoryEntry> entries;
    const String pattern = directory + u"*";
    WIN32_FIND_DATAW found;
    FindHandle search{FindFirstFileW(w(pattern), &found)};
    if (search.handle == INVALID_HANDLE_VALUE) return entries;
    do {
        const String name(reinterpret_cast<const char16_t*>(found.cFileName));
        if (name == u"." || name == u"..") continue;
        entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           secondsSince1970(found.ftLastWriteTime)});
    } while (FindNextFileW(search.handle, &found));
    return entries;
}

String moduleFileName() {
    // The program may lie deeper than MAX_PATH: the buffer grows until the whole name fits
    // (a cut name would be a different folder).
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return String();
        if (length < buffer.size()) return String(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<int>(length));
        if (buffer.size() >= 32768) return String();
        buffer.resize(buffer.size() * 2);
    }
}

String appDataFolder() {
    // The known-folder call gives the whole folder or fails: there is no partial answer
    // that a name could be appended to.
    PWSTR path = nullptr;
    String folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &path)) && path)
        folder = String(reinterpret_cast<const char16_t*>(path));
    CoTaskMemFree(path);
    return folder;
}

bool isDirectory(const String& path) { return PathIsDirectoryW(w(path)) != FALSE; }

bool createDirectory(const String& path) { return CreateDirectoryW(w(path), nullptr) != 0; }

int64_t now() { return static_cast<int64_t>(_time64(nullptr)); }

int32_t localOffset(int64_t time) {
    __time64_t t = static_cast<__time64_t>(time);
    std::tm fields{};
    if (_localtime64_s(&fields, &t) != 0) return 0;
    // The local fields read back as UTC differ from the moment by the zone's offset.
    __time64_t asUtc = _mkgmtime64(&fields);
    return asUtc == static_cast<__time64_t>(-1) ? 0 : static_cast<int32_t>(asUtc - t);
}

void runtimeAssert(const char* expression, const char* file, unsigned line) {
    // The wide routine behind the standard assert macro.
    wchar_t wideExpression[512] = {};
    wchar_t wideFile[260] = {};
    MultiByteToWideChar(CP_UTF8, 0, expression, -1, wideExpression, 511);
    MultiByteToWideChar(CP_UTF8, 0, file, -1, wideFile, 259);
    _wassert(wideExpression, wideFile, line);
}

// --- For tests ---------------------------------------------------------------------------

void setTimeZone(const char* rule) {
    String setting("TZ=");
    setting.append(rule ? rule : "");
    _putenv(setting.str());  // "TZ=" removes the variable
    _tzset();
}

}  // namespace os
}  // namespace kiv
