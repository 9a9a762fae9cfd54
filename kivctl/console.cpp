#include "console.h"

#include <cstdarg>

namespace kivctl {
namespace {

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return ::GetConsoleMode(h, &mode) != 0;
}

void writeBytes(HANDLE h, const char* bytes, size_t size) {
    DWORD written = 0;
    while (size > 0 && ::WriteFile(h, bytes, static_cast<DWORD>(size), &written, nullptr) && written > 0) {
        bytes += written;
        size -= written;
    }
}

void writeWide(HANDLE h, const wchar_t* text, int length) {
    if (length <= 0) return;
    if (isConsole(h)) {
        DWORD written = 0;
        ::WriteConsoleW(h, text, static_cast<DWORD>(length), &written, nullptr);
        return;
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return;
    std::vector<char> bytes(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    writeBytes(h, bytes.data(), bytes.size());
}

}  // namespace

void writeText(DWORD stream, const wchar_t* text) { writeWide(::GetStdHandle(stream), text, ::lstrlenW(text)); }

void writeUtf8(DWORD stream, const std::vector<char>& bytes) {
    HANDLE h = ::GetStdHandle(stream);
    if (!isConsole(h)) {
        writeBytes(h, bytes.data(), bytes.size());
        return;
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0) return;
    std::vector<wchar_t> text(static_cast<size_t>(length));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    writeWide(h, text.data(), length);
}

void writeFormatted(DWORD stream, const wchar_t* format, ...) {
    wchar_t buffer[1024];  // wvsprintfW writes at most 1024 units
    va_list args;
    va_start(args, format);
    const int length = ::wvsprintfW(buffer, format, args);
    va_end(args);
    writeWide(::GetStdHandle(stream), buffer, length);
}

}  // namespace kivctl
