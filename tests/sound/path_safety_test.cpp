// Sound paths come from a settings file the user can edit. Whatever a path holds, it is a
// file name to the component: quotes and MCI words in it never become MCI commands, and a
// path that is not an existing file simply does not play.
#include "component_fixture.h"

#include <mmsystem.h>

#include <cwctype>
#include <string>
#include <vector>

#include "sound_path.h"

namespace {

using kivtest::ComponentTest;
using kivtest::soundPath;

// Each of these would, pasted into an MCI command string such as
//   open "<path>" type mpegvideo alias s
// open the real file under the alias "kivinjected" or run further commands.
std::wstring injection(const wchar_t* tail)
{
    return soundPath(L"relaxNotice.mp3") + tail;
}

TEST_F(ComponentTest, QuotesAndMciWordsInAPathAreNotCommands)
{
    const std::wstring paths[] = {
        injection(L"\" alias kivinjected type mpegvideo \""),
        injection(L"\" type mpegvideo alias kivinjected wait"),
        injection(L"\" alias kivinjected"),
        injection(L"\"\" alias kivinjected"),
        L"\"" + soundPath(L"relaxNotice.mp3") + L"\" alias kivinjected",
        injection(L" alias kivinjected"),
        injection(L" type mpegvideo alias kivinjected repeat"),
    };
    for (const std::wstring& path : paths) {
        const std::string shown(path.begin(), path.end());
        kivtest::SoundPtr sound = create();
        ASSERT_TRUE(sound);
        EXPECT_FALSE(sound->Open(path.c_str())) << shown;
        EXPECT_FALSE(sound->Play(1)) << shown;
        EXPECT_EQ(sound->DeviceId(), 0u) << shown;
        EXPECT_EQ(mciGetDeviceIDW(L"kivinjected"), 0u) << "injected alias exists for " << shown;
        EXPECT_EQ(kivtest::openMciDevices(), 0) << "a device was opened for " << shown;
    }
}

TEST_F(ComponentTest, AFileWhoseNameHoldsMciWordsPlaysAsThatFile)
{
    kivtest::TempDir dir;
    const std::wstring name = L"relax alias kivinjected wait repeat.mp3";
    ASSERT_TRUE(dir.copyIn(soundPath(L"relaxNotice.mp3"), name));
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open((dir.path() + name).c_str()));
    const DWORD before = GetTickCount();
    ASSERT_TRUE(sound->Play(0));
    EXPECT_LT(GetTickCount() - before, 1000u) << "a 'wait' in the name made Play wait";
    EXPECT_EQ(kivtest::mciMode(sound->DeviceId()), static_cast<DWORD>(MCI_MODE_PLAY));
    EXPECT_EQ(mciGetDeviceIDW(L"kivinjected"), 0u);
    sound.reset();
}

TEST_F(ComponentTest, PathsThatAreNotExistingFilesDoNotPlay)
{
    kivtest::TempDir dir;
    kivtest::CurrentDirectory inResources(kivtest::testDirectory() + L"resource");
    const std::wstring paths[] = {
        L"",
        L"relaxNotice.mp3",                    // relative: would depend on the current directory
        L".\\relaxNotice.mp3",
        dir.path(),                            // a directory
        dir.path() + L"missing.mp3",
        L"http://127.0.0.1:9/relax.mp3",       // the media player would fetch a URL
        L"\\\\.\\NUL",
        L"cdaudio",
    };
    for (const std::wstring& path : paths) {
        const std::string shown(path.begin(), path.end());
        kivtest::SoundPtr sound = create();
        ASSERT_TRUE(sound);
        EXPECT_FALSE(sound->Open(path.c_str())) << shown;
        EXPECT_FALSE(sound->Play(0)) << shown;
        EXPECT_EQ(kivtest::openMciDevices(), 0) << shown;
    }
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    EXPECT_FALSE(sound->Open(nullptr));
}

// Which paths may be opened at all, decided on the text and the drive's kind: a share would
// carry the user's credentials to its host, a pipe or device talks to another process or to
// hardware, and either can hold the user-interface thread.
namespace sound_paths {

std::vector<std::wstring> g_rootsAsked;

// C: and D: fixed, E: removable, R: a network drive, O: an optical drive, the rest missing.
UINT WINAPI fakeDriveType(const wchar_t* root)
{
    g_rootsAsked.push_back(root);
    switch (root[0]) {
    case L'C': case L'c': case L'D':
        // An optical drive mounted in a folder: the volume's type, not the letter's, counts.
        return wcscmp(root, L"C:\\mnt\\cd\\") == 0 ? DRIVE_CDROM : DRIVE_FIXED;
    case L'E': return DRIVE_REMOVABLE;
    case L'R': return DRIVE_REMOTE;
    case L'O': return DRIVE_CDROM;
    default: return DRIVE_NO_ROOT_DIR;
    }
}

struct Row {
    const wchar_t* path;
    const wchar_t* used;  // what localSoundPath gives; empty: the default sound is used
};

TEST(SoundPathTest, OnlyLocalDriveFilesAreUsed)
{
    const Row rows[] = {
        {L"C:\\Sounds\\rain.mp3", L"C:\\Sounds\\rain.mp3"},
        {L"c:/Sounds/rain.mp3", L"c:\\Sounds\\rain.mp3"},
        {L"C:\\Sounds\\..\\rain.mp3", L"C:\\rain.mp3"},
        {L"E:\\music\\rain.mp3", L"E:\\music\\rain.mp3"},  // a USB stick
        {L"C:\\x\\console.mp3", L"C:\\x\\console.mp3"},    // starts like a device, is none
        {L"C:\\x\\COM10.mp3", L"C:\\x\\COM10.mp3"},
        {L"C:\\x\\nul1", L"C:\\x\\nul1"},
        // Other drives
        {L"R:\\rain.mp3", L""},  // network drive
        {L"O:\\rain.mp3", L""},  // optical drive: spins up first
        {L"Q:\\rain.mp3", L""},  // no such drive
        // Shares, in every spelling
        {L"\\\\host\\share\\rain.mp3", L""},
        {L"//host/share/rain.mp3", L""},
        {L"\\/host\\share\\rain.mp3", L""},
        {L"\\\\?\\UNC\\host\\share\\rain.mp3", L""},
        {L"\\\\127.0.0.1\\c$\\rain.mp3", L""},
        {L"\\\\host@SSL\\DavWWWRoot\\rain.mp3", L""},
        // Pipes and the device namespaces
        {L"\\\\.\\pipe\\kiv", L""},
        {L"\\\\?\\pipe\\kiv", L""},
        {L"\\\\localhost\\pipe\\kiv", L""},
        {L"\\\\?\\C:\\rain.mp3", L""},
        {L"\\\\.\\C:\\rain.mp3", L""},
        {L"\\??\\C:\\rain.mp3", L""},
        {L"\\\\.\\NUL", L""},
        // Device names in a drive path, with an extension, spaces or a superscript digit
        {L"C:\\x\\CON", L""},
        {L"C:\\x\\con.mp3", L""},
        {L"C:\\x\\nul .txt", L""},
        {L"C:\\x\\COM1", L""},
        {L"C:\\x\\lpt9.mp3", L""},
        {L"C:\\x\\COM\u00B9.mp3", L""},
        {L"C:\\x\\CONIN$", L""},
        {L"C:\\x\\AUX\\rain.mp3", L""},
        {L"C:\\x\\COM1:", L""},
        // Streams, wildcards, control characters
        {L"C:\\rain.mp3:hidden", L""},
        {L"C:\\x\\r?in.mp3", L""},
        {L"C:\\x\\r\tin.mp3", L""},
        // Relative, rooted and drive-relative: they depend on the current directory
        {L"rain.mp3", L""},
        {L".\\rain.mp3", L""},
        {L"..\\rain.mp3", L""},
        {L"\\rain.mp3", L""},
        {L"C:rain.mp3", L""},
        {L"http://127.0.0.1:9/rain.mp3", L""},
        {L"", L""},
    };
    for (const Row& row : rows) {
        const std::string shown(row.path, row.path + wcslen(row.path));
        g_rootsAsked.clear();
        EXPECT_EQ(kiv::localSoundPath(row.path, &fakeDriveType), row.used) << shown;
        // Anything that is not a drive letter path is refused on its text alone.
        const bool drivePath = iswalpha(row.path[0]) && row.path[1] == L':';
        if (!drivePath) {
            EXPECT_TRUE(g_rootsAsked.empty()) << shown;
        }
    }
    EXPECT_EQ(kiv::localSoundPath(nullptr, &fakeDriveType), L"");
}

TEST(SoundPathTest, ARefusedSettingPlaysTheDefaultSound)
{
    const wchar_t* const fallback = L"C:\\Program Files\\kivTool\\resource\\relax.mp3";
    EXPECT_EQ(kiv::soundFileToOpen(L"D:\\rain.mp3", fallback, &fakeDriveType), L"D:\\rain.mp3");
    EXPECT_EQ(kiv::soundFileToOpen(L"\\\\host\\share\\rain.mp3", fallback, &fakeDriveType), fallback);
    EXPECT_EQ(kiv::soundFileToOpen(L"\\\\.\\pipe\\kiv", fallback, &fakeDriveType), fallback);
    EXPECT_EQ(kiv::soundFileToOpen(L"", fallback, &fakeDriveType), fallback);
    // A program started from a share has no default it may open either: nothing plays.
    EXPECT_EQ(kiv::soundFileToOpen(L"\\\\host\\share\\rain.mp3", L"\\\\host\\apps\\resource\\relax.mp3",
                                   &fakeDriveType),
              L"");
}


// A link inside an accepted path may lead onto a share: only where the file really lies
// counts, and a file that is itself a link is never followed to find out. Each row: what
// opening the path without following its last link tells (a final path and its volume,
// or why there is none), and what plays.
const wchar_t kFallback[] = L"C:\\Program Files\\kivTool\\resource\\relax.mp3";
struct Target {
    const wchar_t* path;
    kiv::FileTarget kind;
    const wchar_t* finalPath;
    const wchar_t* volume;
    const wchar_t* played;
};
const Target kTargets[] = {
    {L"C:\\Sounds\\rain.mp3", kiv::FileTarget::Found, L"C:\\Sounds\\rain.mp3", L"C:\\", L"C:\\Sounds\\rain.mp3"},
    // A junction to another local folder
    {L"C:\\Music\\rain.mp3", kiv::FileTarget::Found, L"C:\\Library\\rain.mp3", L"C:\\", L"C:\\Music\\rain.mp3"},
    // A folder link to a share, a link to a network drive, an optical volume in a folder
    {L"C:\\Linked\\rain.mp3", kiv::FileTarget::Found, L"\\\\host\\share\\rain.mp3", L"\\\\host\\share\\", kFallback},
    {L"C:\\Mapped\\rain.mp3", kiv::FileTarget::Found, L"R:\\rain.mp3", L"R:\\", kFallback},
    {L"C:\\mnt\\cd\\rain.mp3", kiv::FileTarget::Found, L"C:\\mnt\\cd\\rain.mp3", L"C:\\mnt\\cd\\", kFallback},
    {L"C:\\Sounds\\device.mp3", kiv::FileTarget::Found, L"\\\\?\\GLOBALROOT\\Device\\X", L"C:\\", kFallback},
    {L"C:\\Sounds\\nul.mp3", kiv::FileTarget::Found, L"C:\\Sounds\\NUL", L"C:\\", kFallback},
    {L"C:\\Sounds\\link.mp3", kiv::FileTarget::Link, L"", L"", kFallback},  // the file itself is a link
    {L"C:\\Sounds\\locked.mp3", kiv::FileTarget::Failed, L"", L"", kFallback},
    // Nothing there: nothing plays, as before
    {L"C:\\Sounds\\gone.mp3", kiv::FileTarget::Missing, L"", L"", L"C:\\Sounds\\gone.mp3"},
    {kFallback, kiv::FileTarget::Found, kFallback, L"C:\\", kFallback},
};

kiv::FileTarget fakeFinalPath(const wchar_t* full, wchar_t* finalPath, wchar_t* volume, size_t capacity)
{
    for (const Target& target : kTargets) {
        if (wcscmp(full, target.path) == 0) {
            wcsncpy(finalPath, target.finalPath, capacity);
            wcsncpy(volume, target.volume, capacity);
            return target.kind;
        }
    }
    ADD_FAILURE() << "no target for a path";
    return kiv::FileTarget::Failed;
}

TEST(SoundPathTest, AFileThatLeadsOffTheLocalDrivesPlaysTheDefaultSound)
{
    for (const Target& row : kTargets) {
        const std::string shown(row.path, row.path + wcslen(row.path));
        EXPECT_EQ(kiv::soundFileToOpen(row.path, kFallback, &fakeDriveType, &fakeFinalPath), row.played) << shown;
    }
}

// The real look-up, on files the test makes: an ordinary file leads to itself, and a
// symbolic link to it is refused where the system lets the test make one.
TEST(SoundPathTest, TheFinalPathOfARealFileIsItselfAndALinkIsNotFollowed)
{
    kivtest::TempDir dir;
    ASSERT_TRUE(dir.copyIn(kivtest::soundPath(L"relaxNotice.mp3"), L"rain.mp3"));
    const std::wstring file = kiv::localSoundPath((dir.path() + L"rain.mp3").c_str());
    ASSERT_FALSE(file.empty());
    std::wstring finalPath(kiv::kMaxSoundPath, L'\0'), volume(kiv::kMaxSoundPath, L'\0');
    ASSERT_EQ(kiv::finalPathOf(file.c_str(), &finalPath[0], &volume[0], finalPath.size()), kiv::FileTarget::Found);
    EXPECT_EQ(_wcsicmp(finalPath.c_str(), file.c_str()), 0);
    EXPECT_EQ(kiv::soundFileToOpen(file.c_str(), L""), file);

    const std::wstring link = dir.path() + L"link.mp3";
    // Wine 8 answers TRUE and makes nothing.
    if (!CreateSymbolicLinkW(link.c_str(), file.c_str(), 0x2 /* unprivileged create */) ||
        GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the system made no symbolic link";
    }
    EXPECT_EQ(kiv::finalPathOf(link.c_str(), &finalPath[0], &volume[0], finalPath.size()), kiv::FileTarget::Link);
    EXPECT_EQ(kiv::soundFileToOpen(link.c_str(), L""), L"");
    DeleteFileW(link.c_str());
}

}  // namespace sound_paths

}  // namespace
