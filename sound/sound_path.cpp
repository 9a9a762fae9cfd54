#include "sound_path.h"

#include <cwchar>

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

// The text rule alone: `path` made whole into `out` when it is a plain drive letter path.
size_t textRuleInto(const wchar_t* path, wchar_t* out, size_t capacity)
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
    return length;
}

bool isLocalDrive(UINT type) { return type == DRIVE_FIXED || type == DRIVE_REMOVABLE; }

// Takes "\\?\" off a final path: "\\?\C:\x" is "C:\x" and "\\?\UNC\host\x" is
// "\\host\x" (which the text rule then refuses).
void dropLongPrefix(wchar_t* path)
{
    if (wcsncmp(path, L"\\\\?\\", 4) != 0) {
        return;
    }
    const bool share = wcsncmp(path + 4, L"UNC\\", 4) == 0;
    wchar_t* from = path + (share ? 7 : 4);
    wchar_t* to = share ? path + 1 : path;
    while ((*to++ = *from++) != L'\0') {
    }
}

// Closes a file handle when it goes.
struct FileHandle {
    HANDLE handle = INVALID_HANDLE_VALUE;
    FileHandle() = default;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

// Opens `path` (a file or a folder) without following a last link, for its attributes only:
// nothing is read. Link for a symbolic link, and for a junction when `junctionIsLink`.
// Other reparse points (cloud placeholders, deduplicated files) are the file itself.
FileTarget openWithoutFollowing(const wchar_t* path, bool junctionIsLink, FileHandle& file)
{
    file.handle = CreateFileW(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                              nullptr);
    if (file.handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileTarget::Missing
                                                                               : FileTarget::Failed;
    }
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!GetFileInformationByHandleEx(file.handle, FileAttributeTagInfo, &tag, sizeof tag)) {
        return FileTarget::Failed;
    }
    const bool reparse = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (reparse && (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK ||
                    (junctionIsLink && tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT))) {
        return FileTarget::Link;
    }
    return FileTarget::Found;
}

}  // namespace

size_t localSoundPathInto(const wchar_t* path, wchar_t* out, size_t capacity, DriveTypeFunction driveType)
{
    const size_t length = textRuleInto(path, out, capacity);
    if (length == 0) {
        return 0;
    }
    const wchar_t root[] = {out[0], L':', L'\\', L'\0'};
    if (!isLocalDrive(driveType(root))) {
        out[0] = L'\0';
        return 0;
    }
    return length;
}

FileTarget finalPathOf(const wchar_t* full, wchar_t* finalPath, wchar_t* volume, size_t capacity)
{
    // Each folder on the way first: opening a path through a symbolic link would already
    // reach the host of a share it points at. A junction leads only to a local volume, and
    // the final path below tells which.
    for (size_t end = 3; full[end] != L'\0'; ++end) {
        if (full[end] != L'\\') {
            continue;
        }
        if (end >= capacity) {
            return FileTarget::Failed;
        }
        wmemcpy(finalPath, full, end);
        finalPath[end] = L'\0';
        FileHandle folder;
        const FileTarget kind = openWithoutFollowing(finalPath, false, folder);
        if (kind != FileTarget::Found) {
            return kind;
        }
    }
    FileHandle file;
    const FileTarget kind = openWithoutFollowing(full, true, file);
    if (kind != FileTarget::Found) {
        return kind;
    }
    const DWORD length = GetFinalPathNameByHandleW(file.handle, finalPath, static_cast<DWORD>(capacity),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= capacity) {
        return FileTarget::Failed;
    }
    dropLongPrefix(finalPath);
    if (!GetVolumePathNameW(finalPath, volume, static_cast<DWORD>(capacity))) {
        return FileTarget::Failed;
    }
    return FileTarget::Found;
}

bool leadsToLocalFile(const wchar_t* full, DriveTypeFunction driveType, FinalPathFunction finalPath)
{
    // Three buffers of the longest path: where it leads, its volume, and the text rule's
    // (GetFullPathNameW may not write over its input). On the heap: the component's
    // thread stacks are small.
    wchar_t* const buffers =
        static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, 3 * kMaxSoundPath * sizeof(wchar_t)));
    if (buffers == nullptr) {
        return false;
    }
    wchar_t* const target = buffers;
    wchar_t* const volume = buffers + kMaxSoundPath;
    // A removable drive without its medium fails the opens at once instead of asking the
    // user to insert a disk (a message box on the calling thread, in the middle of a rest).
    DWORD previousMode = 0;
    const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode) != FALSE;
    const FileTarget kind = finalPath(full, target, volume, kMaxSoundPath);
    if (quiet) {
        SetThreadErrorMode(previousMode, nullptr);
    }
    bool local = false;
    switch (kind) {
    case FileTarget::Missing:
        local = true;
        break;
    case FileTarget::Found:
        local = textRuleInto(target, buffers + 2 * kMaxSoundPath, kMaxSoundPath) != 0 && isLocalDrive(driveType(volume));
        break;
    case FileTarget::Link:
    case FileTarget::Failed:
        break;
    }
    HeapFree(GetProcessHeap(), 0, buffers);
    return local;
}

}  // namespace kiv
