#include "sound_path.h"

namespace kiv {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool isLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool startsWithDrive(const wchar_t* path) { return isLetter(path[0]) && path[1] == L':' && isSeparator(path[2]); }

wchar_t upper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool sameName(const wchar_t* name, size_t length, const wchar_t* device)
{
    size_t i = 0;
    for (; i < length && device[i] != L'\0'; ++i) {
        if (upper(name[i]) != device[i]) {
            return false;
        }
    }
    return i == length && device[i] == L'\0';
}

// Windows opens these names as devices in any folder and with any extension ("C:\x\con.mp3"),
// ignoring spaces before the dot. COM and LPT also take 0-9 and the superscript digits.
bool isDeviceName(const wchar_t* part, size_t length)
{
    size_t base = 0;
    while (base < length && part[base] != L'.') {
        ++base;
    }
    while (base > 0 && part[base - 1] == L' ') {
        --base;
    }
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : kDevices) {
        if (sameName(part, base, device)) {
            return true;
        }
    }
    if (base == 4 && (sameName(part, 3, L"COM") || sameName(part, 3, L"LPT"))) {
        const wchar_t digit = part[3];
        return (digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
    }
    return false;
}

// Characters that no plain file name holds; ':' would name a stream or a device ("COM1:").
bool hasForbiddenCharacter(const wchar_t* text)
{
    for (; *text != L'\0'; ++text) {
        if (*text < 32 || *text == L':' || *text == L'*' || *text == L'?' || *text == L'"' || *text == L'<' ||
            *text == L'>' || *text == L'|') {
            return true;
        }
    }
    return false;
}

}  // namespace

size_t localSoundPathInto(const wchar_t* path, wchar_t* out, size_t capacity, DriveTypeFunction driveType)
{
    // Decided on the text first: a share or device path never reaches a file-system call.
    if (path == nullptr || out == nullptr || capacity < 4 || !startsWithDrive(path) || hasForbiddenCharacter(path + 2)) {
        return 0;
    }
    const DWORD length = GetFullPathNameW(path, static_cast<DWORD>(capacity), out, nullptr);
    // Before Windows 11 the full form of "C:\x\CON" is "\\.\CON".
    if (length < 4 || length >= capacity || !startsWithDrive(out) || out[2] != L'\\' || hasForbiddenCharacter(out + 2)) {
        out[0] = L'\0';
        return 0;
    }
    size_t start = 3;
    while (start < length) {
        size_t end = start;
        while (end < length && out[end] != L'\\') {
            ++end;
        }
        if (isDeviceName(out + start, end - start)) {
            out[0] = L'\0';
            return 0;
        }
        start = end + 1;
    }
    const wchar_t root[] = {out[0], L':', L'\\', L'\0'};
    const UINT type = driveType(root);
    if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) {
        out[0] = L'\0';
        return 0;
    }
    return length;
}

}  // namespace kiv
