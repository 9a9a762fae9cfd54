// Sound paths come from a settings file the user can edit. Whatever a path holds, it is a
// file name to the component: quotes and MCI words in it never become MCI commands, and a
// path that is not an existing file simply does not play.
#include "component_fixture.h"

#include <mmsystem.h>

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

}  // namespace
