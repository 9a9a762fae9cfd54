// The settings store on real files in scratch folders: the settings file's key table
// read and written, the choice of the settings directory, and today's start-up file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "kiv/debug_kiv.h"
#include "kiv/path_kiv.h"
#include "kivtool_app.h"
#include "install_location.h"
#include "scratch_folder.h"
#include "settings_store.h"
#include "ui_language.h"

namespace {

namespace fs = std::filesystem;
using settings::Values;
using test::ScratchFolder;

std::wstring w(const kiv::String& text) { return std::wstring(text.c_wstr(), text.length()); }

const char16_t kStartupPattern[] = u"%Y-%m-%d %H-%M-%S";

kiv::Time at(const char16_t* localTime) { return kiv::Time(kiv::String(localTime), kiv::String(kStartupPattern)); }
std::wstring text(const kiv::Time& time) { return w(time.format(kiv::String(kStartupPattern))); }

#define XML_HEAD "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
#define IN_PROFILE(elements) XML_HEAD "<profile>" elements "</profile>\r\n"

// The text as UTF-16 behind its byte order mark, as Windows editors save "Unicode".
std::string utf16File(const std::u16string& text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : u"\uFEFF" + text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::u16string widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// What a saved file with the default sound paths looks like.
const char kDefaultFile[] =
    XML_HEAD
    "<profile>\r\n"
    " <workTime>3120</workTime>\r\n"
    " <relaxTime>480</relaxTime>\r\n"
    " <homeMode>1</homeMode>\r\n"
    " <relaxAtFullScreen>0</relaxAtFullScreen>\r\n"
    "</profile>\r\n";

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isReady());
        programDir = scratch.folder("program");
        profileDir = scratch.folder("profile");
    }

    fs::path settingsFile() const { return test::toPath(settings::settingsFilePath(profileDir)); }
    void writeSettings(const std::string& bytes) const { ScratchFolder::writeBytes(settingsFile(), bytes); }
    std::string savedBytes() const { return ScratchFolder::readBytes(settingsFile()); }
    Values load() const { return settings::loadSettingsFile(settings::settingsFilePath(profileDir), programDir); }

    // The values of a file without any key: every default, office mode.
    Values defaults() const {
        Values v;
        v.relaxMusic = programDir + u"resource\\relax.mp3";
        v.relaxNoticeMusic = programDir + u"resource\\relaxNotice.mp3";
        v.relaxEndMusic = programDir + u"resource\\relaxEnd.mp3";
        v.workTime = 3120;
        v.relaxTime = 480;
        v.homeMode = false;
        v.relaxAtFullScreen = false;
        return v;
    }

    static void expectSame(const Values& actual, const Values& expected) {
        EXPECT_EQ(w(actual.relaxMusic), w(expected.relaxMusic));
        EXPECT_EQ(w(actual.relaxNoticeMusic), w(expected.relaxNoticeMusic));
        EXPECT_EQ(w(actual.relaxEndMusic), w(expected.relaxEndMusic));
        EXPECT_EQ(actual.workTime.size(), expected.workTime.size());
        EXPECT_EQ(actual.relaxTime.size(), expected.relaxTime.size());
        EXPECT_EQ(actual.homeMode, expected.homeMode);
        EXPECT_EQ(actual.relaxAtFullScreen, expected.relaxAtFullScreen);
        EXPECT_EQ(actual.idleIsRest, expected.idleIsRest);
        EXPECT_EQ(w(actual.language), w(expected.language));
        EXPECT_EQ(actual.holdForCalls, expected.holdForCalls);
        EXPECT_EQ(w(actual.workingHours), w(expected.workingHours));
        EXPECT_EQ(actual.eyeBreak, expected.eyeBreak);
        EXPECT_EQ(actual.eyeBreakEvery, expected.eyeBreakEvery);
        EXPECT_EQ(actual.eyeBreakSeconds, expected.eyeBreakSeconds);
    }

    ScratchFolder scratch;
    kiv::String programDir;
    kiv::String profileDir;
};

// --- Reading ----------------------------------------------------------------------------

struct ReadRow {
    const char* name;
    const char* file;
    // Changes the defaults (office mode) into what the file gives.
    void (*expect)(Values&);
};

const ReadRow kReadRows[] = {
    {"no keys", IN_PROFILE(""), [](Values&) {}},
    {"work time", IN_PROFILE("<workTime>90</workTime>"), [](Values& v) { v.workTime = 90; }},
    {"work time, leading digits", IN_PROFILE("<workTime>90abc</workTime>"), [](Values& v) { v.workTime = 90; }},
    {"work time 0", IN_PROFILE("<workTime>0</workTime>"), [](Values&) {}},
    {"work time empty", IN_PROFILE("<workTime></workTime>"), [](Values&) {}},
    {"work time letters", IN_PROFILE("<workTime>abc</workTime>"), [](Values&) {}},
    {"work time signed", IN_PROFILE("<workTime>-5</workTime>"), [](Values&) {}},
    {"rest time", IN_PROFILE("<relaxTime>600</relaxTime>"), [](Values& v) { v.relaxTime = 600; }},
    {"rest time 0", IN_PROFILE("<relaxTime>0</relaxTime>"), [](Values&) {}},
    // The reader drops white space after a start tag; any other sign before the digits is no number.
    {"work time leading space", IN_PROFILE("<workTime> 90</workTime>"), [](Values& v) { v.workTime = 90; }},
    {"work time plus sign", IN_PROFILE("<workTime>+90</workTime>"), [](Values&) {}},
    {"work time leading zeros", IN_PROFILE("<workTime>0000000000090</workTime>"), [](Values& v) { v.workTime = 90; }},
    // The longest times the settings dialog accepts, and one second more.
    {"work time at most", IN_PROFILE("<workTime>60000000</workTime>"), [](Values& v) { v.workTime = 60000000; }},
    {"work time above most", IN_PROFILE("<workTime>60000001</workTime>"), [](Values&) {}},
    {"rest time at most", IN_PROFILE("<relaxTime>6000000</relaxTime>"), [](Values& v) { v.relaxTime = 6000000; }},
    {"rest time above most", IN_PROFILE("<relaxTime>6000001</relaxTime>"), [](Values&) {}},
    // Numbers beyond 32 bits do not wrap: 2^32 + 1 is not 1 s, 10^20 - 1 is not 53 years.
    {"work time 2^32 + 1", IN_PROFILE("<workTime>4294967297</workTime>"), [](Values&) {}},
    {"rest time 10^20 - 1", IN_PROFILE("<relaxTime>99999999999999999999</relaxTime>"), [](Values&) {}},
    {"home mode 2^32 + 1", IN_PROFILE("<homeMode>4294967297</homeMode>"), [](Values&) {}},
    {"full screen 2^32 + 1", IN_PROFILE("<relaxAtFullScreen>4294967297abc</relaxAtFullScreen>"), [](Values&) {}},
    {"home mode 01x", IN_PROFILE("<homeMode>01x</homeMode>"), [](Values& v) { v.homeMode = true; }},
    {"home mode 1", IN_PROFILE("<homeMode>1</homeMode>"), [](Values& v) { v.homeMode = true; }},
    {"home mode 2", IN_PROFILE("<homeMode>2</homeMode>"), [](Values&) {}},
    {"home mode 0", IN_PROFILE("<homeMode>0</homeMode>"), [](Values&) {}},
    {"full screen 1", IN_PROFILE("<relaxAtFullScreen>1</relaxAtFullScreen>"),
     [](Values& v) { v.relaxAtFullScreen = true; }},
    {"full screen 2", IN_PROFILE("<relaxAtFullScreen>2</relaxAtFullScreen>"), [](Values&) {}},
    {"idle is rest 1", IN_PROFILE("<idleIsRest>1</idleIsRest>"), [](Values& v) { v.idleIsRest = true; }},
    {"idle is rest 2", IN_PROFILE("<idleIsRest>2</idleIsRest>"), [](Values&) {}},
    {"idle is rest yes", IN_PROFILE("<idleIsRest>yes</idleIsRest>"), [](Values&) {}},
    // On unless it reads exactly 0.
    {"hold for calls 0", IN_PROFILE("<holdForCalls>0</holdForCalls>"), [](Values& v) { v.holdForCalls = false; }},
    {"hold for calls 1", IN_PROFILE("<holdForCalls>1</holdForCalls>"), [](Values&) {}},
    {"hold for calls 00", IN_PROFILE("<holdForCalls>00</holdForCalls>"), [](Values&) {}},
    {"hold for calls empty", IN_PROFILE("<holdForCalls></holdForCalls>"), [](Values&) {}},
    {"eye break 1", IN_PROFILE("<eyeBreak>1</eyeBreak>"), [](Values& v) { v.eyeBreak = true; }},
    {"eye break 2", IN_PROFILE("<eyeBreak>2</eyeBreak>"), [](Values&) {}},
    {"eye break every", IN_PROFILE("<eyeBreakEvery>600</eyeBreakEvery>"), [](Values& v) { v.eyeBreakEvery = 600; }},
    {"eye break every 1", IN_PROFILE("<eyeBreakEvery>1</eyeBreakEvery>"), [](Values& v) { v.eyeBreakEvery = 1; }},
    {"eye break every at most", IN_PROFILE("<eyeBreakEvery>86400</eyeBreakEvery>"),
     [](Values& v) { v.eyeBreakEvery = 86400; }},
    {"eye break every above most", IN_PROFILE("<eyeBreakEvery>86401</eyeBreakEvery>"), [](Values&) {}},
    {"eye break every 0", IN_PROFILE("<eyeBreakEvery>0</eyeBreakEvery>"), [](Values&) {}},
    {"eye break every letters", IN_PROFILE("<eyeBreakEvery>often</eyeBreakEvery>"), [](Values&) {}},
    {"eye break seconds", IN_PROFILE("<eyeBreakSeconds>45</eyeBreakSeconds>"),
     [](Values& v) { v.eyeBreakSeconds = 45; }},
    {"eye break seconds at most", IN_PROFILE("<eyeBreakSeconds>600</eyeBreakSeconds>"),
     [](Values& v) { v.eyeBreakSeconds = 600; }},
    {"eye break seconds above most", IN_PROFILE("<eyeBreakSeconds>601</eyeBreakSeconds>"), [](Values&) {}},
    {"eye break seconds 0", IN_PROFILE("<eyeBreakSeconds>0</eyeBreakSeconds>"), [](Values&) {}},
    {"language en", IN_PROFILE("<language>en</language>"), [](Values& v) { v.language = u"en"; }},
    {"language zh", IN_PROFILE("<language>zh</language>"), [](Values& v) { v.language = u"zh"; }},
    {"language unknown", IN_PROFILE("<language>fr</language>"), [](Values&) {}},
    {"language upper case", IN_PROFILE("<language>EN</language>"), [](Values&) {}},
    {"rest music custom", IN_PROFILE("<relaxMusic>D:\\rain.mp3</relaxMusic>"),
     [](Values& v) { v.relaxMusic = u"D:\\rain.mp3"; }},
    {"rest music \"default\"", IN_PROFILE("<relaxMusic>default</relaxMusic>"), [](Values&) {}},
    {"\"Default\" is a path", IN_PROFILE("<relaxMusic>Default</relaxMusic>"),
     [](Values& v) { v.relaxMusic = u"Default"; }},
    {"rest music empty", IN_PROFILE("<relaxMusic></relaxMusic>"), [](Values& v) { v.relaxMusic = u""; }},
    {"notice sound custom", IN_PROFILE("<relaxNoticeMusic>D:\\bell.mp3</relaxNoticeMusic>"),
     [](Values& v) { v.relaxNoticeMusic = u"D:\\bell.mp3"; }},
    {"end sound custom", IN_PROFILE("<relaxEndMusic>D:\\end.mp3</relaxEndMusic>"),
     [](Values& v) { v.relaxEndMusic = u"D:\\end.mp3"; }},
    // E9 9F B3: U+97F3, E4 B9 90: U+4E50 ("music")
    {"Chinese path", IN_PROFILE("<relaxEndMusic>D:\\\xE9\x9F\xB3\xE4\xB9\x90.mp3</relaxEndMusic>"),
     [](Values& v) { v.relaxEndMusic = u"D:\\\u97F3\u4E50.mp3"; }},
    {"every key",
     IN_PROFILE("<relaxMusic>a.mp3</relaxMusic><relaxNoticeMusic>b.mp3</relaxNoticeMusic>"
                "<relaxEndMusic>c.mp3</relaxEndMusic><workTime>1500</workTime><relaxTime>300</relaxTime>"
                "<homeMode>1</homeMode><relaxAtFullScreen>1</relaxAtFullScreen>"),
     [](Values& v) {
         v.relaxMusic = u"a.mp3";
         v.relaxNoticeMusic = u"b.mp3";
         v.relaxEndMusic = u"c.mp3";
         v.workTime = 1500;
         v.relaxTime = 300;
         v.homeMode = true;
         v.relaxAtFullScreen = true;
     }},
    {"unknown elements", IN_PROFILE("<extra>7</extra><workTime>90</workTime>"), [](Values& v) { v.workTime = 90; }},
    {"any root name", XML_HEAD "<settings><workTime>90</workTime></settings>\r\n", [](Values& v) { v.workTime = 90; }},
};

TEST_F(SettingsFileTest, ReadsEveryRowOfTheKeyTable) {
    for (const ReadRow& row : kReadRows) {
        SCOPED_TRACE(row.name);
        writeSettings(row.file);
        Values expected = defaults();
        row.expect(expected);
        expectSame(load(), expected);
    }
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileGivesTheDefaultsInHomeMode) {
    Values expected = defaults();
    expected.homeMode = true;
    {
        SCOPED_TRACE("missing");
        expectSame(load(), expected);
    }
    const char* unreadable[] = {"", "garbage", IN_PROFILE("<workTime>90</profile>"), "<profile><homeMode>0</homeMode>"};
    for (const char* bytes : unreadable) {
        SCOPED_TRACE(bytes);
        writeSettings(bytes);
        expectSame(load(), expected);
    }
    EXPECT_EQ(savedBytes(), "<profile><homeMode>0</homeMode>");  // reading never writes
}

// Regression: a settings file saved as UTF-16 was refused, so the user got every default
// (home mode included) and the next save overwrote the file.
TEST_F(SettingsFileTest, AUtf16FileIsReadAndTheNextSaveWritesUtf8) {
    const std::u16string text =
        widen(XML_HEAD "<profile>\r\n <relaxEndMusic>D:\\") + u"\u97F3\u4E50" +
        widen(".mp3</relaxEndMusic>\r\n <workTime>1500</workTime>\r\n <relaxTime>300</relaxTime>\r\n"
              " <homeMode>0</homeMode>\r\n</profile>\r\n");
    Values expected = defaults();
    expected.relaxEndMusic = u"D:\\\u97F3\u4E50.mp3";
    expected.workTime = 1500;
    expected.relaxTime = 300;
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        writeSettings(utf16File(text, bigEndian));
        const Values values = load();
        expectSame(values, expected);
        ASSERT_TRUE(settings::saveSettingsFile(profileDir, programDir, values));
        EXPECT_EQ(savedBytes(),
                  XML_HEAD
                  "<profile>\r\n"
                  " <relaxEndMusic>D:\\\xE9\x9F\xB3\xE4\xB9\x90.mp3</relaxEndMusic>\r\n"  // U+97F3 U+4E50
                  " <workTime>1500</workTime>\r\n"
                  " <relaxTime>300</relaxTime>\r\n"
                  " <homeMode>0</homeMode>\r\n"
                  " <relaxAtFullScreen>0</relaxAtFullScreen>\r\n"
                  "</profile>\r\n");
    }
}

// --- The settings directory -------------------------------------------------------------

TEST_F(SettingsFileTest, PortableProfileFolderWinsAndAppDataIsNotAsked) {
    scratch.folder("program/profile");
    int asked = 0;
    const kiv::String dir = settings::chooseProfileDir(programDir, [&] {
        ++asked;
        return scratch.folder("appdata");
    });
    EXPECT_EQ(w(dir), w(programDir + u"profile\\"));
    EXPECT_EQ(asked, 0);
}

// The copy a per-machine installation put in place: whoever made the folder beside it must
// not choose every user's settings.
TEST_F(SettingsFileTest, APerMachineCopyIgnoresAProfileFolderBesideIt) {
    scratch.folder("program/profile");
    const kiv::String appData = scratch.folder("appdata");
    const kiv::String dir = settings::chooseProfileDir(programDir, [&] { return appData; }, false);
    EXPECT_EQ(w(dir), w(appData + u"Kelbrook.Murvel\\"));
}

TEST(MachineInstall, TheProgramFolderIsTheOneThePerMachineInstallerRegistered) {
    const kiv::String programDir(u"C:\\Program Files\\kivTool\\");
    struct Row {
        const char16_t* registered;
        bool expected;
    };
    const Row rows[] = {
        {u"C:\\Program Files\\kivTool", true},     // as the installer writes it
        {u"C:\\Program Files\\kivTool\\", true},   // with the backslash
        {u"c:\\program files\\KIVTOOL", true},     // letter case does not count
        {u"", false},                              // no per-machine installation
        {u"C:\\Program Files\\kiv", false},        // a prefix of the folder
        {u"C:\\Program Files\\kivTool2", false},   // a longer name
        {u"D:\\Program Files\\kivTool", false},    // elsewhere
        {u"\\", false},                            // nothing but a separator
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, install::isMachineInstallFolder(programDir, kiv::String(row.registered)))
            << ::testing::PrintToString(w(kiv::String(row.registered)));
    EXPECT_FALSE(install::isMachineInstallFolder(kiv::String(), kiv::String(u"\\")));
}

TEST_F(SettingsFileTest, WithoutAPortableFolderTheAppDataFolderIsUsed) {
    const kiv::String appData = scratch.folder("appdata");
    int asked = 0;
    const kiv::String dir = settings::chooseProfileDir(programDir, [&] {
        ++asked;
        return appData;
    });
    EXPECT_EQ(w(dir), w(appData + u"Kelbrook.Murvel\\"));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(fs::exists(test::toPath(dir)));  // made only when something is written
}

// Regression: without an app-data folder the program used "\\Kelbrook.Murvel\\" at the root
// of the current drive, a folder any user can create and fill. A folder that is not whole
// now means no settings folder at all.
TEST_F(SettingsFileTest, WithoutAWholeAppDataFolderThereIsNoSettingsFolder) {
    struct Row {
        const char16_t* appData;
        const char16_t* chosen;
    };
    const Row rows[] = {
        {u"", u""},
        {u"\\", u""},
        {u"Roaming\\", u""},
        {u"C:", u""},
        {u"C:Roaming\\", u""},
        {u"C:\\Users\\me\\AppData\\Roaming", u""},  // no separator: not what getAppDataDir gives
        {u"C:\\Users\\me\\AppData\\Roaming\\", u"C:\\Users\\me\\AppData\\Roaming\\Kelbrook.Murvel\\"},
        {u"\\\\server\\home\\me\\AppData\\", u"\\\\server\\home\\me\\AppData\\Kelbrook.Murvel\\"},  // redirected
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(w(row.appData));
        EXPECT_EQ(w(settings::chooseProfileDir(programDir, [&] { return kiv::String(row.appData); })), w(row.chosen));
    }
}

// With no settings folder the program runs on its defaults and touches no file: not one
// in the current directory, where a path built on nothing would point.
TEST_F(SettingsFileTest, WithoutASettingsFolderNothingIsReadOrWritten) {
    const kiv::String current = scratch.folder("current");
    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(current.c_wstr()));
    ScratchFolder::writeBytes(test::toPath(current) / "Murvel.xml", IN_PROFILE("<workTime>90</workTime>"));
    ScratchFolder::writeBytes(test::toPath(current) / "2027-01-15.xml", "planted");

    const kiv::String none;
    Values expected = defaults();
    expected.homeMode = true;
    expectSame(settings::loadSettingsFile(settings::settingsFilePath(none), programDir), expected);
    EXPECT_EQ(text(settings::loadFirstStartToday(none, at(u"2027-01-15 09-30-00"), 3600000)), L"2027-01-15 08-30-00");
    EXPECT_FALSE(settings::saveSettingsFile(none, programDir, defaults()));
    EXPECT_EQ(w(settings::dayFilePath(none, at(u"2027-01-15 09-30-00"))), L"");

    ::SetCurrentDirectoryW(saved);
    EXPECT_EQ(ScratchFolder::readBytes(test::toPath(current) / "Murvel.xml"), IN_PROFILE("<workTime>90</workTime>"));
    EXPECT_EQ(ScratchFolder::readBytes(test::toPath(current) / "2027-01-15.xml"), "planted");
    EXPECT_EQ(std::distance(fs::directory_iterator(test::toPath(current)), fs::directory_iterator()), 2);
}

// Regression: a planted settings file of hundreds of megabytes ended the program at start.
// Above 1 MB the file counts as unreadable: every default, and the file stays as it is.
TEST_F(SettingsFileTest, ASettingsFileAbove1MBGivesTheDefaultsAndIsLeftAlone) {
    const std::string head = IN_PROFILE("<workTime>90</workTime>");
    Values ninety = defaults();
    ninety.workTime = 90;
    Values fallback = defaults();
    fallback.homeMode = true;
    for (const uint64_t size : {settings::kMaxSettingsFileBytes, settings::kMaxSettingsFileBytes + 1}) {
        SCOPED_TRACE(size);
        const std::string bytes = head + std::string(size - head.size(), ' ');
        writeSettings(bytes);
        expectSame(load(), size <= settings::kMaxSettingsFileBytes ? ninety : fallback);
        EXPECT_TRUE(savedBytes() == bytes) << "reading changed the file";
    }
}

// --- Writing ----------------------------------------------------------------------------

TEST_F(SettingsFileTest, DefaultSettingsAreSavedWithoutSoundElements) {
    Values values = defaults();
    values.homeMode = true;
    ASSERT_TRUE(settings::saveSettingsFile(profileDir, programDir, values));
    EXPECT_EQ(savedBytes(), kDefaultFile);
}

TEST_F(SettingsFileTest, CustomValuesAreSavedInTheTableOrder) {
    Values values = defaults();
    values.relaxMusic = u"D:\\\u97F3\u4E50.mp3";
    values.relaxNoticeMusic = u"";  // an empty path is not the default: it is written
    values.relaxEndMusic = u"D:\\end.mp3";
    values.workTime = 60000000;  // 1000000 minutes
    values.relaxTime = 90;
    values.relaxAtFullScreen = true;
    values.idleIsRest = true;
    values.language = u"en";
    values.holdForCalls = false;
    values.workingHours = u"mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00";
    values.eyeBreak = true;
    values.eyeBreakEvery = 900;
    values.eyeBreakSeconds = 30;
    ASSERT_TRUE(settings::saveSettingsFile(profileDir, programDir, values));
    EXPECT_EQ(savedBytes(),
              XML_HEAD
              "<profile>\r\n"
              " <relaxMusic>D:\\\xE9\x9F\xB3\xE4\xB9\x90.mp3</relaxMusic>\r\n"  // U+97F3 U+4E50 in UTF-8
              " <relaxNoticeMusic/>\r\n"  // empty: kept as an empty element
              " <relaxEndMusic>D:\\end.mp3</relaxEndMusic>\r\n"
              " <workTime>60000000</workTime>\r\n"
              " <relaxTime>90</relaxTime>\r\n"
              " <homeMode>0</homeMode>\r\n"
              " <relaxAtFullScreen>1</relaxAtFullScreen>\r\n"
              " <idleIsRest>1</idleIsRest>\r\n"  // written only when on, after the others
              " <language>en</language>\r\n"    // written only when set
              " <holdForCalls>0</holdForCalls>\r\n"  // written only when off
              " <workingHours>mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00</workingHours>\r\n"  // only when set
              " <eyeBreak>1</eyeBreak>\r\n"       // the eye breaks' keys, each only when not its default
              " <eyeBreakEvery>900</eyeBreakEvery>\r\n"
              " <eyeBreakSeconds>30</eyeBreakSeconds>\r\n"
              "</profile>\r\n");
}

TEST_F(SettingsFileTest, SavedValuesReadBackTheSame) {
    Values home = defaults();
    home.homeMode = true;
    Values office = defaults();
    office.workTime = 60;
    office.relaxTime = 6000000;
    office.relaxAtFullScreen = true;
    office.idleIsRest = true;
    office.language = u"zh";
    office.holdForCalls = false;
    office.workingHours = u"mon 22:00-06:00";
    office.eyeBreak = true;
    office.eyeBreakSeconds = 600;
    Values custom = defaults();
    custom.relaxMusic = u"E:\\a b\\rain & wind.mp3";
    custom.relaxNoticeMusic = u"<notice>.mp3";
    custom.relaxEndMusic = u"";
    custom.workingHours = u"mon-fri 8:30 - 12:00 ;; & <x>";  // does not read: kept as it is
    for (const Values& values : {home, office, custom}) {
        ASSERT_TRUE(settings::saveSettingsFile(profileDir, programDir, values));
        expectSame(load(), values);
    }
}

TEST_F(SettingsFileTest, ASavedFileKeepsCustomPathsAndDropsDefaultsAndUnknownElements) {
    writeSettings(IN_PROFILE("<extra>1</extra><relaxMusic>default</relaxMusic>"
                             "<relaxEndMusic>D:\\end.mp3</relaxEndMusic><homeMode>1</homeMode>"));
    ASSERT_TRUE(settings::saveSettingsFile(profileDir, programDir, load()));
    EXPECT_EQ(savedBytes(),
              XML_HEAD
              "<profile>\r\n"
              " <relaxEndMusic>D:\\end.mp3</relaxEndMusic>\r\n"
              " <workTime>3120</workTime>\r\n"
              " <relaxTime>480</relaxTime>\r\n"
              " <homeMode>1</homeMode>\r\n"
              " <relaxAtFullScreen>0</relaxAtFullScreen>\r\n"
              "</profile>\r\n");
}

TEST_F(SettingsFileTest, SavingCreatesOneMissingFolderLevelOnly) {
    const kiv::String fresh = scratch.missingFolder("Kelbrook.Murvel");
    Values values = defaults();
    values.homeMode = true;
    ASSERT_TRUE(settings::saveSettingsFile(fresh, programDir, values));
    EXPECT_EQ(ScratchFolder::readBytes(test::toPath(settings::settingsFilePath(fresh))), kDefaultFile);

    const kiv::String deep = scratch.missingFolder("missing/Kelbrook.Murvel");
    EXPECT_FALSE(settings::saveSettingsFile(deep, programDir, values));
    EXPECT_FALSE(fs::exists(scratch.path() / "missing"));
}

TEST_F(SettingsFileTest, AFailedSaveSaysSo) {
    fs::create_directory(settingsFile());  // a folder where the file should go
    EXPECT_FALSE(settings::saveSettingsFile(profileDir, programDir, defaults()));
    EXPECT_TRUE(fs::is_directory(settingsFile()));
}

// --- Today's start-up file --------------------------------------------------------------

class DayFileTest : public SettingsFileTest {
protected:
    fs::path dayFile(const char* name) const { return test::toPath(profileDir) / name; }
    std::string dayBytes(const char* name) const { return ScratchFolder::readBytes(dayFile(name)); }
    kiv::Time start(const kiv::Time& now, uint64_t uptimeMs) const {
        return settings::loadFirstStartToday(profileDir, now, uptimeMs);
    }
};

std::string dayFileWith(const char* startup) {
    return std::string(XML_HEAD "<profile>\r\n <startup_time>") + startup + "</startup_time>\r\n</profile>\r\n";
}

TEST_F(DayFileTest, FirstStartOfTheDayRecordsThePowerOn) {
    // 3600.999 s of uptime: whole seconds, rounded down.
    EXPECT_EQ(text(start(at(u"2027-01-15 09-30-00"), 3600999)), L"2027-01-15 08-30-00");
    EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith("2027-01-15 08-30-00"));
}

TEST_F(DayFileTest, LaterStartsTheSameDayKeepTheMorningPowerOn) {
    start(at(u"2027-01-15 09-30-00"), 3600000);
    // A restart of the computer at noon: two minutes of uptime at 12:02.
    EXPECT_EQ(text(start(at(u"2027-01-15 12-02-00"), 120000)), L"2027-01-15 08-30-00");
    EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith("2027-01-15 08-30-00"));
}

TEST_F(DayFileTest, YesterdaysFileDoesNotCount) {
    ScratchFolder::writeBytes(dayFile("2027-01-14.xml"), dayFileWith("2027-01-14 07-00-00"));
    EXPECT_EQ(text(start(at(u"2027-01-15 09-30-00"), 60000)), L"2027-01-15 09-29-00");
    EXPECT_EQ(dayBytes("2027-01-14.xml"), dayFileWith("2027-01-14 07-00-00"));
    EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith("2027-01-15 09-29-00"));
}

TEST_F(DayFileTest, TheDayFolderIsCreatedWhenMissing) {
    profileDir = scratch.missingFolder("Kelbrook.Murvel");
    EXPECT_EQ(text(start(at(u"2027-01-15 09-30-00"), 0)), L"2027-01-15 09-30-00");
    EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith("2027-01-15 09-30-00"));
}

// The uptime holds time asleep and, with a fast start-up, the days before a shutdown: the
// power-on of today is never before today's local midnight. The 64-bit uptime still counts:
// a 32-bit counter would wrap 2^32 + 1 h to one hour.
TEST_F(DayFileTest, ThePowerOnIsNeverBeforeTodaysMidnight) {
    const struct {
        const char16_t* now;
        uint64_t uptimeMs;
        const char* recorded;  // today's file as an older start left it; null: none
        const wchar_t* powerOn;
    } rows[] = {
        {u"2027-01-15 09-30-00", 3600000, nullptr, L"2027-01-15 08-30-00"},
        {u"2027-01-15 09-30-00", 34200000, nullptr, L"2027-01-15 00-00-00"},
        {u"2027-01-15 09-30-00", 34201000, nullptr, L"2027-01-15 00-00-00"},
        {u"2027-01-15 09-30-00", 3ull * 86400 * 1000, nullptr, L"2027-01-15 00-00-00"},
        {u"2027-01-15 09-30-00", (1ull << 32) + 3600000, nullptr, L"2027-01-15 00-00-00"},
        {u"2027-01-15 00-00-05", 10000, nullptr, L"2027-01-15 00-00-00"},
        {u"2027-01-15 09-30-00", 60000, "2027-01-12 07-00-00", L"2027-01-15 00-00-00"},
        {u"2027-01-15 09-30-00", 60000, "2027-01-15 07-00-00", L"2027-01-15 07-00-00"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.uptimeMs) + " " + (row.recorded ? row.recorded : ""));
        std::error_code error;
        fs::remove(dayFile("2027-01-15.xml"), error);
        if (row.recorded) ScratchFolder::writeBytes(dayFile("2027-01-15.xml"), dayFileWith(row.recorded));
        EXPECT_EQ(text(start(at(row.now), row.uptimeMs)), row.powerOn);
        const std::string written(row.powerOn, row.powerOn + wcslen(row.powerOn));  // ASCII
        if (!row.recorded) {
            EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith(written.c_str()));
        }
    }
}

// Regression: a day file saved as UTF-16 was refused and its power-on recorded anew.
TEST_F(DayFileTest, AUtf16DayFileKeepsItsPowerOn) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        ScratchFolder::writeBytes(dayFile("2027-01-15.xml"), utf16File(widen(dayFileWith("2027-01-15 07-00-00")), bigEndian));
        EXPECT_EQ(text(start(at(u"2027-01-15 09-30-00"), 600000)), L"2027-01-15 07-00-00");
    }
}

// Regression: a day file without a readable "startup_time" gave a power-on before 1970, an
// endless day and a false long-day reminder, and was never rewritten that day.
TEST_F(DayFileTest, ADayFileWithoutAReadableStartupTimeIsWrittenAnew) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"no startup_time", IN_PROFILE("")},
        {"empty startup_time", dayFileWith("")},
        {"words", dayFileWith("this morning")},
        {"date only", dayFileWith("2027-01-15")},
        {"no seconds", dayFileWith("2027-01-15 08-30")},
        {"before 1970", dayFileWith("1900-01-01 00-00-00")},
        {"not XML", "garbage"},
        {"empty file", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder::writeBytes(dayFile("2027-01-15.xml"), row.bytes);
        EXPECT_EQ(text(start(at(u"2027-01-15 09-30-00"), 600000)), L"2027-01-15 09-20-00");
        EXPECT_EQ(dayBytes("2027-01-15.xml"), dayFileWith("2027-01-15 09-20-00"));
    }
}

std::vector<std::string>& checkReports() {
    static std::vector<std::string> reports;
    return reports;
}

TEST_F(DayFileTest, AnUptimeLongerThanTheClockGivesNineteenSeventyWithoutAFailedCheck) {
    checkReports().clear();
    const kiv::CheckReport previous = kiv::setCheckReport(
        [](const char* expression, const char*, unsigned) { checkReports().push_back(expression); });
    const kiv::Time powerOn = start(kiv::Time(600), 3600000);
    kiv::setCheckReport(previous);
    EXPECT_EQ(powerOn.timeValue(), 0);
    EXPECT_TRUE(checkReports().empty());
}

// --- The application object's LoadSettings and SaveSettings ------------------------------

// A portable "profile" folder beside the test program, removed again at the end.
class PortableProfile {
public:
    PortableProfile() : m_dir(test::toPath(kiv::getModuleDir()) / "profile") {
        std::error_code error;
        fs::remove_all(m_dir, error);  // left over from an interrupted run
        fs::create_directory(m_dir, error);
    }
    ~PortableProfile() {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    const fs::path& dir() const { return m_dir; }

private:
    fs::path m_dir;
};

TEST(SettingsStoreApp, LoadAndSaveUseThePortableFolderBesideTheProgram) {
    PortableProfile portable;
    ASSERT_TRUE(fs::is_directory(portable.dir()));
    ScratchFolder::writeBytes(portable.dir() / "Murvel.xml",
                              IN_PROFILE("<relaxMusic>D:\\rain.mp3</relaxMusic><workTime>90</workTime>"
                                         "<relaxAtFullScreen>1</relaxAtFullScreen><idleIsRest>1</idleIsRest>"));
    const kiv::String programDir = kiv::getModuleDir();

    CkivToolApp app;
    const int64_t before = kiv::Time::now().timeValue();
    const int64_t uptimeBefore = static_cast<int64_t>(::GetTickCount64() / 1000);
    app.LoadSettings();
    const int64_t uptimeAfter = static_cast<int64_t>(::GetTickCount64() / 1000);
    const int64_t after = kiv::Time::now().timeValue();

    EXPECT_EQ(w(app.m_profileDir), w(programDir + u"profile\\"));
    EXPECT_EQ(w(app.m_settings.relaxMusic), L"D:\\rain.mp3");
    EXPECT_EQ(w(app.m_settings.relaxNoticeMusic), w(programDir + u"resource\\relaxNotice.mp3"));
    EXPECT_EQ(w(app.m_settings.relaxEndMusic), w(programDir + u"resource\\relaxEnd.mp3"));
    EXPECT_EQ(app.m_settings.workTime.size(), 90u);
    EXPECT_EQ(app.m_settings.relaxTime.size(), 480u);
    EXPECT_FALSE(app.m_settings.homeMode);
    EXPECT_TRUE(app.m_settings.relaxAtFullScreen);
    EXPECT_TRUE(app.m_settings.idleIsRest);
    // The power-on lies an uptime back (a second of slack for the two clocks' rounding), but
    // not before today's midnight.
    const kiv::String day(u"%Y-%m-%d");
    const int64_t midnight = kiv::Time(kiv::Time(after).format(day), day).timeValue();
    EXPECT_GE(app.m_firstStartToday.timeValue(), std::max(midnight, before - uptimeAfter - 1));
    EXPECT_LE(app.m_firstStartToday.timeValue(), std::max(midnight, after - uptimeBefore + 1));
    EXPECT_TRUE(fs::exists(test::toPath(app.m_profileDir + kiv::Time(after).format(kiv::String(u"%Y-%m-%d.xml")))));

    app.m_settings.workTime = 1500;
    app.m_settings.homeMode = true;
    ASSERT_TRUE(app.SaveSettings());
    EXPECT_EQ(ScratchFolder::readBytes(portable.dir() / "Murvel.xml"),
              XML_HEAD
              "<profile>\r\n"
              " <relaxMusic>D:\\rain.mp3</relaxMusic>\r\n"
              " <workTime>1500</workTime>\r\n"
              " <relaxTime>480</relaxTime>\r\n"
              " <homeMode>1</homeMode>\r\n"
              " <relaxAtFullScreen>1</relaxAtFullScreen>\r\n"
              " <idleIsRest>1</idleIsRest>\r\n"
              "</profile>\r\n");
}

// The "language" key, or else the user's Windows language, picks the set of texts: any
// Chinese (Taiwan, Hong Kong, Singapore too) gives the Chinese set, anything else English.
TEST(ResourceLanguage, TheKeyWinsElseAnyChineseWindowsGetsTheChineseSet) {
    const LANGID zh = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    const LANGID en = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const struct {
        const char16_t* setting;
        LANGID userUi;
        LANGID expected;
    } rows[] = {
        {u"", 0x0804, zh},   {u"", 0x0404, zh},   {u"", 0x0C04, zh},   {u"", 0x1004, zh},
        {u"", 0x0409, en},   {u"", 0x0809, en},   {u"", 0x0411, en},   {u"", 0x0407, en},
        {u"en", 0x0804, en}, {u"zh", 0x0409, zh}, {u"zh", 0x0411, zh}, {u"fr", 0x0804, zh},
    };
    for (const auto& row : rows)
        EXPECT_EQ(language::choose(kiv::String(row.setting), row.userUi), row.expected)
            << w(kiv::String(row.setting)) << " on " << std::hex << row.userUi;
}

}  // namespace
