// The program's directory, the application-data directory, directory test and creation.
#include <gtest/gtest.h>

#include "kiv/path_kiv.h"
#include "os_kiv.h"
#include "scratch_dir.h"

namespace {

bool endsWithSeparator(const kiv::String& path) {
    return !path.isEmpty() && path.at(path.length() - 1) == kiv::os::pathSeparator();
}

TEST(Path, ModuleDirIsTheExecutablesDirectoryWithSeparator) {
    const kiv::String file = kiv::getModuleFileName();
    const kiv::String dir = kiv::getModuleDir();
    ASSERT_FALSE(file.isEmpty());
    EXPECT_TRUE(endsWithSeparator(dir));
    ASSERT_LT(dir.length(), file.length());
    EXPECT_EQ(file.mid(0, static_cast<int>(dir.length())), dir);
    const kiv::String name = file.mid(static_cast<int>(dir.length()));
    EXPECT_EQ(name.find(kiv::os::pathSeparator()), -1);
    EXPECT_EQ(name.find(u"kiv_tests"), 0);
    EXPECT_TRUE(kiv::isDirectory(dir));
}

TEST(Path, AppDataDirEndsWithSeparatorAndExists) {
    const kiv::String dir = kiv::getAppDataDir();
    EXPECT_TRUE(endsWithSeparator(dir));
    EXPECT_GT(dir.length(), 1u);
    EXPECT_TRUE(kiv::isDirectory(dir));
}

TEST(Path, IsDirectoryOnlyForExistingDirectories) {
    kivtest::ScratchDir scratch;
    ASSERT_TRUE(scratch.isReady());
    scratch.writeBytes(u"plain.txt", "x");
    EXPECT_FALSE(kiv::isDirectory(u""));
    EXPECT_FALSE(kiv::isDirectory(scratch.path(u"plain.txt")));
    EXPECT_FALSE(kiv::isDirectory(scratch.path(u"missing")));
    EXPECT_TRUE(kiv::isDirectory(kivtest::toKivString(scratch.dir())));
}

TEST(Path, MakeDirectoryCreatesOneLevel) {
    kivtest::ScratchDir scratch;
    ASSERT_TRUE(scratch.isReady());
    const kiv::String existing = kivtest::toKivString(scratch.dir());
    EXPECT_TRUE(kiv::makeDirectory(existing));

    // U+914D U+7F6E: a Chinese directory name, as in a user's profile folder
    const kiv::String fresh = scratch.path(u"\u914d\u7f6e");
    EXPECT_TRUE(kiv::makeDirectory(fresh));
    EXPECT_TRUE(kiv::isDirectory(fresh));
    EXPECT_TRUE(kiv::makeDirectory(fresh));  // already there

    kiv::String nested = scratch.path(u"no-parent");
    nested.append(static_cast<unsigned>(kiv::os::pathSeparator()));
    nested.append(u"child");
    EXPECT_FALSE(kiv::makeDirectory(nested));
    EXPECT_FALSE(kiv::isDirectory(scratch.path(u"no-parent")));

    scratch.writeBytes(u"plain.txt", "x");
    EXPECT_FALSE(kiv::makeDirectory(scratch.path(u"plain.txt")));
    EXPECT_FALSE(kiv::makeDirectory(u""));
}

}  // namespace
