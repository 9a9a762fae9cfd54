// Open, Play and Stop checked against what MCI itself reports about the device.
// relaxNotice.mp3 lasts under two seconds, so a loop of it wraps quickly.
#include "component_fixture.h"

#include <mmsystem.h>

namespace {

using kivtest::ComponentTest;
using kivtest::mciMode;
using kivtest::mciPosition;
using kivtest::soundPath;
using kivtest::waitFor;

constexpr DWORD kPlaying = MCI_MODE_PLAY;
constexpr DWORD kStopped = MCI_MODE_STOP;

TEST_F(ComponentTest, OpenLeavesTheFileStoppedAtItsStart)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relaxNotice.mp3").c_str()));
    ASSERT_NE(sound->DeviceId(), 0u);
    EXPECT_EQ(mciMode(sound->DeviceId()), kStopped);
    EXPECT_EQ(sound->Mode(), kStopped);
    EXPECT_EQ(mciPosition(sound->DeviceId()), 0);
}

TEST_F(ComponentTest, PlayReturnsAtOnceAndPlaysInTheBackground)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relax.mp3").c_str()));
    const UINT device = sound->DeviceId();

    const DWORD before = GetTickCount();
    ASSERT_TRUE(sound->Play(0));
    EXPECT_LT(GetTickCount() - before, 2000u) << "Play waited for a 24 s sound";
    EXPECT_EQ(mciMode(device), kPlaying);
    EXPECT_TRUE(waitFor([&] { return mciPosition(device) >= 300; }, 5000)) << "the position does not advance";
    EXPECT_EQ(mciMode(device), kPlaying);
}

TEST_F(ComponentTest, PlayOnceStopsByItselfAtTheEnd)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relaxNotice.mp3").c_str()));
    const UINT device = sound->DeviceId();
    ASSERT_TRUE(sound->Play(0));
    ASSERT_EQ(mciMode(device), kPlaying);
    EXPECT_TRUE(waitFor([&] { return mciMode(device) != kPlaying; }, 10000)) << "a single play never ended";
    EXPECT_EQ(mciMode(device), kStopped);
}

TEST_F(ComponentTest, LoopWrapsAroundUntilStop)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relaxNotice.mp3").c_str()));
    const UINT device = sound->DeviceId();
    ASSERT_TRUE(sound->Play(1));

    // Past the middle of the sound first, then back near its start: that is a wrap.
    long highest = 0;
    ASSERT_TRUE(waitFor([&] { return (highest = mciPosition(device)) >= 800; }, 10000));
    EXPECT_TRUE(waitFor([&] {
        const long position = mciPosition(device);
        return position >= 0 && position < highest - 400 && mciMode(device) == kPlaying;
    }, 10000)) << "the loop did not start again";
    // And once more, so the repeat is not a single restart.
    ASSERT_TRUE(waitFor([&] { return (highest = mciPosition(device)) >= 800; }, 10000));
    EXPECT_TRUE(waitFor([&] {
        const long position = mciPosition(device);
        return position >= 0 && position < highest - 400;
    }, 10000)) << "the loop stopped after one repeat";
    EXPECT_EQ(mciMode(device), kPlaying);

    ASSERT_TRUE(sound->Stop());
    EXPECT_EQ(mciMode(device), kStopped);
    const long stoppedAt = mciPosition(device);
    Sleep(300);  // a stopped device must not move on
    EXPECT_EQ(mciPosition(device), stoppedAt);
    EXPECT_EQ(mciMode(device), kStopped);
}

TEST_F(ComponentTest, PlayAfterStopStartsAgainFromTheBeginning)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relax.mp3").c_str()));
    const UINT device = sound->DeviceId();
    ASSERT_TRUE(sound->Play(1));
    ASSERT_TRUE(waitFor([&] { return mciPosition(device) >= 1000; }, 5000));
    ASSERT_TRUE(sound->Stop());
    ASSERT_TRUE(sound->Play(0));
    const long position = mciPosition(device);
    EXPECT_GE(position, 0);
    EXPECT_LT(position, 900) << "Play resumed instead of starting at the beginning";
    EXPECT_EQ(mciMode(device), kPlaying);
}

TEST_F(ComponentTest, OpenReplacesTheEarlierFile)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relax.mp3").c_str()));
    const UINT first = sound->DeviceId();
    ASSERT_TRUE(sound->Play(1));
    ASSERT_EQ(mciMode(first), kPlaying);

    ASSERT_TRUE(sound->Open(soundPath(L"relaxEnd.mp3").c_str()));
    EXPECT_EQ(kivtest::openMciDevices(), 1) << "the earlier device was left open";
    EXPECT_EQ(mciMode(sound->DeviceId()), kStopped) << "the new file plays only on Play";
}

TEST_F(ComponentTest, FailedOpenClosesTheEarlierFileAndPlayDoesNothing)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relax.mp3").c_str()));
    ASSERT_TRUE(sound->Play(1));

    EXPECT_FALSE(sound->Open(soundPath(L"missing.mp3").c_str()));
    EXPECT_EQ(sound->DeviceId(), 0u);
    EXPECT_EQ(kivtest::openMciDevices(), 0);
    EXPECT_FALSE(sound->Play(1));
    EXPECT_TRUE(sound->Stop());
}

TEST_F(ComponentTest, ReleaseWhilePlayingClosesTheDevice)
{
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open(soundPath(L"relax.mp3").c_str()));
    const UINT device = sound->DeviceId();
    ASSERT_TRUE(sound->Play(1));
    ASSERT_EQ(kivtest::openMciDevices(), 1);

    sound.reset();
    EXPECT_EQ(kivtest::openMciDevices(), 0);
    EXPECT_EQ(mciMode(device), 0u) << "the device still answers after Release";
}

TEST_F(ComponentTest, ChineseFileNamePlays)
{
    kivtest::TempDir dir;
    // U+4F11 U+606F: "rest"
    const std::wstring name = L"\u4F11\u606F.mp3";
    ASSERT_TRUE(dir.copyIn(soundPath(L"relaxNotice.mp3"), name));
    kivtest::SoundPtr sound = create();
    ASSERT_TRUE(sound);
    ASSERT_TRUE(sound->Open((dir.path() + name).c_str()));
    ASSERT_TRUE(sound->Play(0));
    EXPECT_EQ(mciMode(sound->DeviceId()), kPlaying);
    sound.reset();  // closes the file before the folder goes
}

}  // namespace
