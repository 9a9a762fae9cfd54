// Which sound paths may be opened at all. The paths come from a settings file that anyone
// able to write it can fill: a share ("\\host\share\a.mp3") would make every rest contact
// that host with the user's credentials and could hold the user-interface thread for as
// long as the network takes; a pipe or device name would talk to another process or to
// hardware. Only fully qualified paths of files on local drives are sound files here.
//
// Shared by the component (kivinterface-1.dll), which refuses to open anything else, and
// the program, which falls back to its default sound instead.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <string>

namespace kiv {

// The kind of drive at a root such as "C:\": GetDriveTypeW, or a stand-in in tests.
using DriveTypeFunction = UINT(WINAPI*)(const wchar_t* root);

// The longest full path localSoundPath gives, terminator included: the system's limit.
constexpr size_t kMaxSoundPath = 32768;

// Writes `path` made whole by GetFullPathNameW into `out` (`capacity` units with the
// terminator) when it is a drive letter path ("C:\..." or "C:/...") on a fixed or
// removable drive whose every part is a plain name: no device name (CON, NUL, COM1...,
// with or without an extension), no stream (':'), no wildcard or control character.
// Returns its length; 0 for anything else: shares, "\\?\" and "\\.\" forms, pipes, relative
// or rooted paths, network and optical drives, or a full path longer than `out` holds.
// No file is touched to decide.
size_t localSoundPathInto(const wchar_t* path, wchar_t* out, size_t capacity,
                          DriveTypeFunction driveType = &::GetDriveTypeW);

// The same as a string, empty when refused. (Inline: the component stays free of the
// string classes.)
inline std::wstring localSoundPath(const wchar_t* path, DriveTypeFunction driveType = &::GetDriveTypeW)
{
    std::wstring full(kMaxSoundPath, L'\0');
    full.resize(localSoundPathInto(path, &full[0], full.size(), driveType));
    return full;
}

// What opening a sound file without following its last link found.
enum class FileTarget {
    Missing,  // nothing by that name: there is nothing it could lead to
    Link,     // the file is a symbolic link or a junction, or a folder on the way a symbolic link
    Found,    // an ordinary file: `finalPath` and `volume` below are filled in
    Failed,   // it could not be opened for another reason
};

// Opens `full` without following a last link and gives where it really lies: the final
// path of the handle (GetFinalPathNameByHandleW, "\\?\" and "\\?\UNC\" taken off)
// and the root of its volume (GetVolumePathNameW), each `capacity` units. A folder on the
// way that is a symbolic link makes it a Link, unfollowed (it may point at a share, and
// opening through it would reach the host); junctions, which lead only to local volumes,
// are followed. A stand-in in tests.
using FinalPathFunction = FileTarget (*)(const wchar_t* full, wchar_t* finalPath, wchar_t* volume, size_t capacity);
FileTarget finalPathOf(const wchar_t* full, wchar_t* finalPath, wchar_t* volume, size_t capacity);

// Whether the file at `full` (a path localSoundPathInto took) really lies where the same
// rule takes it: a link in the path may lead onto a share, and opening a file there sends
// the user's credentials to its host. True when its final path passes the text rule and
// its volume is a fixed or removable drive, or when there is no such file (nothing will
// play); false for a file that is itself a link and for one that cannot be opened.
bool leadsToLocalFile(const wchar_t* full, DriveTypeFunction driveType = &::GetDriveTypeW,
                      FinalPathFunction finalPath = &finalPathOf);

// The file to open for a configured sound: the configured path when localSoundPath takes
// it and it leads to a local file, else the default path under the same rules, else empty
// (nothing is opened).
inline std::wstring soundFileToOpen(const wchar_t* configured, const wchar_t* defaultPath,
                                    DriveTypeFunction driveType = &::GetDriveTypeW,
                                    FinalPathFunction finalPath = &finalPathOf)
{
    for (const wchar_t* path : {configured, defaultPath}) {
        const std::wstring chosen = localSoundPath(path, driveType);
        if (!chosen.empty() && leadsToLocalFile(chosen.c_str(), driveType, finalPath)) {
            return chosen;
        }
    }
    return std::wstring();
}

}  // namespace kiv
