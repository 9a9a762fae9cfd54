// g_pSound's holder: it releases what it holds, and it loads the component only from
// the directory it is given by full path. A kivinterface-1.dll planted in the current
// directory is never loaded.
#include <gtest/gtest.h>

#include "recording_sound.h"
#include "sound_holder.h"
#include "sound_test_support.h"

namespace {

using kivtest::componentDirectory;
using kivtest::CurrentDirectory;
using kivtest::TempDir;
using test::RecordingSound;

TEST(SoundHolder, ReleasesItsComponentOnceWhenDestroyed)
{
    RecordingSound fake;
    {
        SoundHolder holder;
        holder.reset(&fake);
        ASSERT_TRUE(holder);
        holder->Open(L"C:\\x.mp3");
        EXPECT_EQ(fake.count(L"Open:"), 1);
        EXPECT_EQ(fake.count(L"Release"), 0);
    }
    EXPECT_EQ(fake.count(L"Release"), 1);
}

TEST(SoundHolder, ReplacingReleasesTheOldComponentFirst)
{
    RecordingSound first;
    RecordingSound second;
    SoundHolder holder;
    holder.reset(&first);
    holder.reset(&second);
    EXPECT_EQ(first.count(L"Release"), 1);
    EXPECT_EQ(second.count(L"Release"), 0);
    EXPECT_EQ(holder.get(), &second);
    holder.reset();
    EXPECT_EQ(second.count(L"Release"), 1);
    EXPECT_FALSE(holder);
}

TEST(SoundHolder, CreateReleasesTheHeldComponentEvenWhenNoNewOneCanBeMade)
{
    TempDir empty;
    RecordingSound fake;
    SoundHolder holder;
    holder.reset(&fake);
    EXPECT_FALSE(holder.createFrom(empty.path()));
    EXPECT_EQ(fake.count(L"Release"), 1);
    EXPECT_FALSE(holder);
}

class PlantedComponent : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetModuleHandleW(KIV_SOUND_LIBRARY_NAME), nullptr) << "a component is still loaded";
        ASSERT_TRUE(m_planted.copyIn(kivtest::testDirectory() + L"planted_component.dll", KIV_SOUND_LIBRARY_NAME));
        kivtest::forgetPlantedLoad();
        m_cwd.reset(new CurrentDirectory(m_planted.path()));
    }
    void TearDown() override { m_cwd.reset(); }

    TempDir m_planted;
    std::unique_ptr<CurrentDirectory> m_cwd;
};

// Guards the test itself: loading by bare name does pick up the planted DLL, so the
// checks below would see it if the holder did the same.
TEST_F(PlantedComponent, ALoadByBareNameWouldTakeThePlantedDll)
{
    kivtest::Library naive(LoadLibraryW(KIV_SOUND_LIBRARY_NAME));
    ASSERT_NE(naive, nullptr);
    EXPECT_TRUE(kivtest::plantedWasLoaded());
    EXPECT_EQ(kivtest::modulePath(naive.get()), m_planted.path() + KIV_SOUND_LIBRARY_NAME);
}

TEST_F(PlantedComponent, NoComponentBesideTheProgramMeansNoneAtAll)
{
    // The tests' own directory has no kivinterface-1.dll (it is in component\).
    SoundHolder holder;
    EXPECT_FALSE(holder.create());
    EXPECT_FALSE(holder);
    EXPECT_FALSE(kivtest::plantedWasLoaded());
    EXPECT_EQ(GetModuleHandleW(KIV_SOUND_LIBRARY_NAME), nullptr);
}

TEST_F(PlantedComponent, ARelativeDirectoryIsNotSearched)
{
    SoundHolder holder;
    EXPECT_FALSE(holder.createFrom(L"."));
    EXPECT_FALSE(holder.createFrom(L".\\"));
    EXPECT_FALSE(holder.createFrom(L""));
    EXPECT_FALSE(holder);
    EXPECT_FALSE(kivtest::plantedWasLoaded());
}

TEST_F(PlantedComponent, TheRealComponentIsLoadedFromTheGivenDirectory)
{
    SoundHolder holder;
    ASSERT_TRUE(holder.createFrom(componentDirectory()));
    EXPECT_FALSE(kivtest::plantedWasLoaded());
    EXPECT_EQ(kivtest::modulePath(GetModuleHandleW(KIV_SOUND_LIBRARY_NAME)),
              componentDirectory() + KIV_SOUND_LIBRARY_NAME);

    // It is the working component, and resetting the holder closes and unloads it.
    ASSERT_TRUE(holder->Open(kivtest::soundPath(L"relaxNotice.mp3").c_str()));
    EXPECT_EQ(kivtest::openMciDevices(), 1);
    holder.reset();
    EXPECT_EQ(kivtest::openMciDevices(), 0);
    EXPECT_EQ(GetModuleHandleW(KIV_SOUND_LIBRARY_NAME), nullptr);
}

TEST_F(PlantedComponent, TheDirectoryMayComeWithoutTrailingBackslash)
{
    std::wstring directory = componentDirectory();
    directory.pop_back();
    SoundHolder holder;
    EXPECT_TRUE(holder.createFrom(directory));
    EXPECT_FALSE(kivtest::plantedWasLoaded());
}

TEST_F(PlantedComponent, AComponentWhoseFactoryRefusesIsUnloadedAgain)
{
    // The planted DLL's factory says no: the holder stays empty and keeps nothing loaded.
    SoundHolder holder;
    EXPECT_FALSE(holder.createFrom(m_planted.path()));
    EXPECT_TRUE(kivtest::plantedWasLoaded());
    EXPECT_FALSE(holder);
    EXPECT_EQ(GetModuleHandleW(KIV_SOUND_LIBRARY_NAME), nullptr);
}

TEST(SoundHolderProgram, TheProgramDirectoryIsAFullPathEndingInABackslash)
{
    const std::wstring dir = programDirectory();
    ASSERT_GE(dir.size(), 3u);
    EXPECT_EQ(dir[1], L':');
    EXPECT_EQ(dir.back(), L'\\');
    EXPECT_NE(GetFileAttributesW((dir + L"sound_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
