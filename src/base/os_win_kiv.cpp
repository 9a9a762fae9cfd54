// Windows side of the kiv library's operating-system calls.
#include "os_kiv.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cassert>
#include <cstdlib>
#include <ctime>
#include <io.h>
#include <string>
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

bool syncFile(FILE* file) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool replaceFile(const String& source, const String& target) {
    return MoveFileExW(w(source), w(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const String& name) { return DeleteFileW(w(name)) != 0; }

String moduleFileName() {
    wchar_t buffer[MAX_PATH + 4] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return String(buffer);
}

String appDataFolder() {
    wchar_t buffer[MAX_PATH + 4] = {};
    SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_APPDATA, TRUE);
    return String(buffer);
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
    std::string setting = std::string("TZ=") + (rule ? rule : "");
    _putenv(setting.c_str());  // "TZ=" removes the variable
    _tzset();
}

}  // namespace os
}  // namespace kiv
