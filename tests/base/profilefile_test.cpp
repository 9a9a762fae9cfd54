// kiv::ProfileFile: lookups with defaults, writes that create what is missing, and saving
// that never leaves a broken or half-written settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "check_recorder.h"
#include "kiv/file_kiv.h"
#include "kiv/profilefile_kiv.h"
#include "kiv/stringc_kiv.h"
#include "kiv/xml_kiv.h"
#include "os_kiv.h"
#include "scratch_dir.h"
#include "temporaryfile_kiv.h"

namespace {

namespace fs = std::filesystem;
using kiv::String;

std::u16string u16(const String& s) { return std::u16string(s.wstr(), s.length()); }

String wide(const std::u16string& text) { return String(text.c_str(), static_cast<int>(text.size())); }

// ---- values in memory -------------------------------------------------------------------

struct ProfileValues : ::testing::Test {
    ProfileValues() { EXPECT_TRUE(profile.createRoot(String(u"profile"))); }
    kiv::ProfileFile profile;
};

TEST_F(ProfileValues, EmptyTextIsAnAnswerNotTheDefault) {
    ASSERT_TRUE(profile.setValue(String(), String(u"k"), String()));
    EXPECT_EQ(u16(profile.getValue(String(), String(u"k"), String(u"dflt"))), u"");
    EXPECT_EQ(u16(profile.getValue(String(), String(u"missing"), String(u"dflt"))), u"dflt");
    EXPECT_EQ(u16(profile.getValue(String(u"nosection"), String(u"k"), String(u"dflt"))), u"dflt");
}

TEST_F(ProfileValues, IntValuesReadTheLeadingDigits) {
    struct Case {
        const char16_t* text;  // null: key missing
        int32_t expected;
    };
    const Case cases[] = {
        {u"90abc", 90}, {u"abc", 0}, {u"", 7}, {nullptr, 7}, {u"3120", 3120}, {u"4294967295", -1}, {u" 5", 0},
    };
    for (const Case& c : cases) {
        kiv::ProfileFile local;
        ASSERT_TRUE(local.createRoot(String(u"p")));
        if (c.text) {
            ASSERT_TRUE(local.setValue(String(), String(u"n"), String(c.text)));
        }
        EXPECT_EQ(local.getIntValue(String(), String(u"n"), 7), c.expected);
    }
}

TEST_F(ProfileValues, IntValuesRoundTrip) {
    for (int32_t value : {0, 1, 480, -1, INT32_MIN, INT32_MAX}) {
        ASSERT_TRUE(profile.setIntValue(String(u"s"), String(u"n"), value));
        EXPECT_EQ(profile.getIntValue(String(u"s"), String(u"n"), 12345), value);
    }
    ASSERT_TRUE(profile.setIntValue(String(), String(u"m"), -1));
    EXPECT_EQ(u16(profile.getValue(String(), String(u"m"), String())), u"4294967295");
}

TEST_F(ProfileValues, SetValueCreatesTheSectionOnce) {
    ASSERT_TRUE(profile.setValue(String(u"sec"), String(u"k"), String(u"first")));
    ASSERT_TRUE(profile.setValue(String(u"sec"), String(u"k"), String(u"second")));
    ASSERT_TRUE(profile.setValue(String(u"sec"), String(u"j"), String(u"other")));
    kiv::XmlElement* root = profile.document().getRoot();
    ASSERT_EQ(root->getChildCount(), 1u);
    kiv::XmlElement* section = profile.document().findElement(String(u"sec"));
    ASSERT_NE(section, nullptr);
    ASSERT_EQ(section->getChildCount(), 2u);
    EXPECT_EQ(u16(section->findChild(String(u"k"))->getText()), u"second");
    EXPECT_EQ(u16(profile.getValue(String(u"sec"), String(u"k"), String())), u"second");
    EXPECT_EQ(u16(profile.getValue(String(u"sec"), String(u"j"), String())), u"other");
}

TEST_F(ProfileValues, RejectedKeysChangeNothing) {
    // An empty key is only logged; a key that no element could be named after is refused
    // (an unnamed element would be added again on every call).
    for (const char16_t* key : {u"", u"a b", u"a:b"}) {
        EXPECT_FALSE(profile.setValue(String(), String(key), String(u"v")));
    }
    EXPECT_EQ(profile.document().getRoot()->getChildCount(), 0u);
}

TEST(ProfileFile, SetValueWithoutRootReportsAndFails) {
    kiv::ProfileFile profile;
    kivtest::CheckRecorder recorder;
    EXPECT_FALSE(profile.setValue(String(u"sec"), String(u"k"), String(u"v")));
    const kivtest::CheckEntry report = recorder.only();
    EXPECT_EQ(report.expression, "pRoot");
    EXPECT_EQ(report.file, "src/base/profilefile_kiv.cpp");
    EXPECT_EQ(report.line, 122u);
    EXPECT_EQ(u16(profile.getValue(String(), String(u"k"), String(u"d"))), u"d");
    EXPECT_EQ(profile.getIntValue(String(u"sec"), String(u"k"), 5), 5);
}

TEST(ProfileFile, CreateRootReplacesTheDocument) {
    kiv::ProfileFile profile;
    ASSERT_TRUE(profile.createRoot(String(u"a")));
    ASSERT_TRUE(profile.setValue(String(), String(u"k"), String(u"v")));
    EXPECT_FALSE(profile.createRoot(String(u"bad name")));
    EXPECT_EQ(profile.document().getRoot(), nullptr);
    ASSERT_TRUE(profile.createRoot(String(u"b")));
    EXPECT_EQ(u16(profile.getValue(String(), String(u"k"), String(u"gone"))), u"gone");
}

// ---- files ------------------------------------------------------------------------------

class ProfileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        // Unique per run: other builds of these tests may run at the same time.
        std::random_device random;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        dir = fs::path(::testing::TempDir()) /
              ("kivprofile_" + std::to_string(random()) + "_" + std::to_string(ticks));
        ASSERT_TRUE(fs::create_directories(dir));
    }
    void TearDown() override {
        kiv::File::failWritesAfter(-1);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    String name(const char* file) const { return wide((dir / file).u16string()); }

    std::string bytesOf(const char* file) const {
        std::ifstream in(dir / file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    void writeBytes(const char* file, const std::string& bytes) const {
        std::ofstream out(dir / file, std::ios::binary);
        out << bytes;
    }

    // Names of the files in the directory.
    std::vector<std::string> listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
};

const char kSaved[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<profile>\r\n"
    " <workTime>3120</workTime>\r\n"
    " <sounds>\r\n"
    "  <relax>\xE4\xBC\x91\xE6\x81\xAF &amp; music</relax>\r\n"  // E4 BC 91 E6 81 AF: U+4F11 U+606F
    " </sounds>\r\n"
    "</profile>\r\n";

void fillExample(kiv::ProfileFile& profile) {
    ASSERT_TRUE(profile.createRoot(String(u"profile")));
    ASSERT_TRUE(profile.setValue(String(), String(u"workTime"), String(u"3120")));
    ASSERT_TRUE(profile.setValue(String(u"sounds"), String(u"relax"), String(u"\u4F11\u606F & music")));
}

TEST_F(ProfileFiles, SaveWritesTheLayoutByteForByte) {
    kiv::ProfileFile profile;
    fillExample(profile);
    ASSERT_TRUE(profile.saveAs(name("Murvel.xml")));
    EXPECT_EQ(bytesOf("Murvel.xml"), kSaved);
    EXPECT_EQ(listing(), std::vector<std::string>{"Murvel.xml"});
}

TEST_F(ProfileFiles, SaveReplacesAnOlderFile) {
    writeBytes("Murvel.xml", std::string(5000, 'x'));
    kiv::ProfileFile profile;
    fillExample(profile);
    ASSERT_TRUE(profile.saveAs(name("Murvel.xml")));
    EXPECT_EQ(bytesOf("Murvel.xml"), kSaved);
    EXPECT_EQ(listing(), std::vector<std::string>{"Murvel.xml"});
}

TEST_F(ProfileFiles, SaveRefusesAnEmptyNameAndAMissingDirectory) {
    kiv::ProfileFile profile;
    fillExample(profile);
    EXPECT_FALSE(profile.saveAs(String()));
    EXPECT_FALSE(profile.saveAs(wide((dir / "missing" / "Murvel.xml").u16string())));
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_TRUE(listing().empty());
}

TEST_F(ProfileFiles, SaveOverADirectoryFailsAndCleansUp) {
    ASSERT_TRUE(fs::create_directory(dir / "taken"));
    kiv::ProfileFile profile;
    fillExample(profile);
    EXPECT_FALSE(profile.saveAs(name("taken")));
    EXPECT_TRUE(fs::is_directory(dir / "taken"));
    EXPECT_EQ(listing(), std::vector<std::string>{"taken"});
}

// Regression: a write that failed (full disk) was reported as a successful save and left
// a truncated settings file behind.
TEST_F(ProfileFiles, FailedWriteKeepsTheOldFile) {
    const std::string old = "<?xml version=\"1.0\"?>\r\n<profile><workTime>60</workTime></profile>\r\n";
    for (long failAfter : {0L, 1L, 40L, 100L, static_cast<long>(sizeof kSaved) - 2}) {
        SCOPED_TRACE(failAfter);
        writeBytes("Murvel.xml", old);
        kiv::ProfileFile profile;
        fillExample(profile);
        kiv::File::failWritesAfter(failAfter);
        EXPECT_FALSE(profile.saveAs(name("Murvel.xml")));
        kiv::File::failWritesAfter(-1);
        EXPECT_EQ(bytesOf("Murvel.xml"), old);
        EXPECT_EQ(listing(), std::vector<std::string>{"Murvel.xml"});
    }
}

TEST_F(ProfileFiles, FailedFirstSaveLeavesNoFile) {
    kiv::ProfileFile profile;
    fillExample(profile);
    kiv::File::failWritesAfter(20);
    EXPECT_FALSE(profile.saveAs(name("new.xml")));
    kiv::File::failWritesAfter(-1);
    EXPECT_TRUE(listing().empty());
    // The same object saves fine once the disk has room again.
    EXPECT_TRUE(profile.saveAs(name("new.xml")));
    EXPECT_EQ(bytesOf("new.xml"), kSaved);
}

// Regression: every save of a file used the one temporary "<file>.tmp", so two copies of
// the program saving at the same moment wrote into each other's temporary or moved it
// away under the other: a mixed file, or no file at all.
TEST_F(ProfileFiles, ConcurrentSavesOfOneFileLeaveOneWholeVersionAndNoTemporary) {
    const int kSavers = 4;
    const int kRounds = 200;
    // Versions long enough that the writes overlap.
    std::vector<std::unique_ptr<kiv::ProfileFile>> profiles;
    std::vector<std::string> versions;
    for (int i = 0; i < kSavers; ++i) {
        profiles.push_back(std::make_unique<kiv::ProfileFile>());
        kiv::ProfileFile& profile = *profiles.back();
        ASSERT_TRUE(profile.createRoot(String(u"profile")));
        ASSERT_TRUE(profile.setIntValue(String(), String(u"workTime"), 1000 + i));
        ASSERT_TRUE(profile.setValue(String(), String(u"relaxMusic"), String(4000, u'a' + i, 2)));
        ASSERT_TRUE(profile.saveAs(name("version.xml")));
        versions.push_back(bytesOf("version.xml"));
    }
    fs::remove(dir / "version.xml");

    const String target = name("Murvel.xml");
    int failed = 0, mixed = 0, lost = 0, leftOver = 0, refused = 0;
    // The savers live through all rounds (a thread start costs more than a save under Wine
    // and would spread the saves apart): each waits for its round to be called, saves, and
    // reports that it is done.
    std::atomic<int> round{-1};
    std::atomic<int> done{0};
    std::atomic<int> refusals{0};
    std::vector<std::thread> savers;
    for (int i = 0; i < kSavers; ++i) {
        savers.emplace_back([&, i] {
            for (int r = 0; r < kRounds; ++r) {
                while (round.load() < r) std::this_thread::yield();
                if (!profiles[i]->saveAs(target)) ++refusals;
                ++done;
            }
        });
    }
    for (int r = 0; r < kRounds; ++r) {
        done = 0;
        refusals = 0;
        round = r;
        while (done.load() < kSavers) std::this_thread::yield();

        kiv::ProfileFile loaded;
        const int before = mixed + lost + leftOver + refused;
        if (refusals.load() > 0) ++refused;  // a save that could not replace the file
        if (!fs::exists(dir / "Murvel.xml")) {
            ++lost;
        } else if (std::find(versions.begin(), versions.end(), bytesOf("Murvel.xml")) == versions.end() ||
                   !loaded.load(target)) {
            ++mixed;
        }
        if (listing() != std::vector<std::string>{"Murvel.xml"}) ++leftOver;
        if (mixed + lost + leftOver + refused > before) ++failed;
        for (const auto& entry : fs::directory_iterator(dir)) fs::remove(entry.path());
    }
    for (std::thread& saver : savers) saver.join();
    EXPECT_EQ(failed, 0) << "of " << kRounds << " rounds: " << mixed << " mixed, " << lost << " lost, "
                         << leftOver << " with temporaries left, " << refused << " with a failed save";
}

// Temporaries of the file older than a day were left by saves that never finished; a
// younger one may be another copy's save in progress.
TEST_F(ProfileFiles, SaveRemovesItsOwnTemporariesOlderThanADayOnly) {
    const auto now = fs::file_time_type::clock::now();
    const struct {
        const char* file;
        std::chrono::hours age;
        bool removed;
    } rows[] = {
        {"Murvel.xml.4242-7.tmp", std::chrono::hours(48), true},
        {"Murvel.xml.1-123456.tmp", std::chrono::hours(25), true},
        {"Murvel.xml.4242-8.tmp", std::chrono::hours(23), false},  // maybe a save in progress
        {"other.xml.4242-7.tmp", std::chrono::hours(48), false},
        {"Murvel.xml.bak", std::chrono::hours(48), false},
        {"Murvel.xml.4242-x.tmp", std::chrono::hours(48), false},
        {"Murvel.xml.4242.tmp", std::chrono::hours(48), false},
        {"Murvel.xml.-7.tmp", std::chrono::hours(48), false},
        {"xMurvel.xml.4242-7.tmp", std::chrono::hours(48), false},
    };
    std::vector<std::string> kept = {"Murvel.xml"};
    for (const auto& row : rows) {
        writeBytes(row.file, "x");
        fs::last_write_time(dir / row.file, now - row.age);
        if (!row.removed) kept.push_back(row.file);
    }
    std::sort(kept.begin(), kept.end());
    kiv::ProfileFile profile;
    fillExample(profile);
    ASSERT_TRUE(profile.saveAs(name("Murvel.xml")));
    EXPECT_EQ(listing(), kept);
    EXPECT_EQ(bytesOf("Murvel.xml"), kSaved);
}

TEST_F(ProfileFiles, SavedValuesLoadBackAndSaveTheSameBytes) {
    {
        kiv::ProfileFile profile;
        fillExample(profile);
        ASSERT_TRUE(profile.setIntValue(String(u"day"), String(u"first"), -1));
        ASSERT_TRUE(profile.saveAs(name("a.xml")));
    }
    kiv::ProfileFile loaded;
    ASSERT_TRUE(loaded.load(name("a.xml")));
    EXPECT_EQ(loaded.getIntValue(String(), String(u"workTime"), 0), 3120);
    EXPECT_EQ(u16(loaded.getValue(String(u"sounds"), String(u"relax"), String())), u"\u4F11\u606F & music");
    EXPECT_EQ(loaded.getIntValue(String(u"day"), String(u"first"), 0), -1);
    ASSERT_TRUE(loaded.saveAs(name("b.xml")));
    EXPECT_EQ(bytesOf("b.xml"), bytesOf("a.xml"));
}

TEST_F(ProfileFiles, OneObjectLoadsOneFileAfterAnother) {
    writeBytes("one.xml", "<?xml version=\"1.0\"?>\r\n<p><a>1</a></p>\r\n");
    writeBytes("two.xml", "<?xml version=\"1.0\"?>\r\n<q><b>2</b></q>\r\n");
    kiv::ProfileFile profile;
    ASSERT_TRUE(profile.load(name("one.xml")));
    EXPECT_EQ(profile.getIntValue(String(), String(u"a"), 0), 1);
    ASSERT_TRUE(profile.load(name("two.xml")));
    EXPECT_EQ(profile.getIntValue(String(), String(u"a"), 0), 0);  // the root was replaced
    EXPECT_EQ(profile.getIntValue(String(), String(u"b"), 0), 2);
}

TEST_F(ProfileFiles, MalformedFileFailsToLoad) {
    writeBytes("bad.xml", "abc\r\n");
    kiv::ProfileFile profile;
    EXPECT_FALSE(profile.load(name("bad.xml")));
    EXPECT_FALSE(profile.document().getLastError().isEmpty());
}

// A planted huge file must not take the program's memory: above the limit it is not read.
TEST_F(ProfileFiles, AFileAboveTheSizeLimitIsNotRead) {
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile><workTime>90</workTime>";
    const std::string tail = "</profile>";
    const uint64_t limit = 4096;
    struct Row {
        size_t size;
        bool loads;
    };
    for (const Row row : {Row{4096, true}, Row{4097, false}, Row{100000, false}}) {
        SCOPED_TRACE(row.size);
        writeBytes("big.xml", head + std::string(row.size - head.size() - tail.size(), ' ') + tail);
        kiv::ProfileFile profile;
        EXPECT_EQ(profile.load(name("big.xml"), limit), row.loads);
        EXPECT_EQ(profile.getIntValue(String(), String(u"workTime"), 0), row.loads ? 90 : 0);
        EXPECT_EQ(fs::file_size(dir / "big.xml"), row.size) << "loading changed the file";
    }
    kiv::ProfileFile profile;
    EXPECT_FALSE(profile.load(name("absent.xml"), limit));
}

// The next temporary name this process will give `target`: "<target>.<pid>-<n+1>.tmp".
String nextTemporaryName(const String& target) {
    const String current = kiv::temporaryNameFor(target);
    const int dash = current.rfind(u'-');
    const String digits = current.mid(dash + 1, static_cast<int>(current.length()) - dash - 1 - 4);
    return current.mid(0, dash + 1) + kiv::stringC().intToStr(kiv::stringC().digitsToInt(digits) + 1, 10) + u".tmp";
}

// Regression: the temporary was opened with "wb", so a file or link planted under its
// (predictable) name was written through and then moved over the settings file.
TEST_F(ProfileFiles, ASaveNeverWritesIntoANameThatExists) {
    kiv::ProfileFile profile;
    fillExample(profile);
    const String target = name("Murvel.xml");
    const String planted = nextTemporaryName(target);
    writeBytes("victim.txt", "not yours");
    { std::ofstream(kivtest::toFsPath(planted), std::ios::binary) << "planted"; }
    ASSERT_TRUE(profile.saveAs(target));
    EXPECT_EQ(bytesOf("Murvel.xml"), kSaved);
    std::ifstream in(kivtest::toFsPath(planted), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), "planted")
        << "the planted file was written into";

    // A link under the name (natively: a symbolic link to another file of the user's).
    if (kiv::os::pathSeparator() == u'/') {
        const String link = nextTemporaryName(target);
        fs::create_symlink(dir / "victim.txt", kivtest::toFsPath(link));
        ASSERT_TRUE(profile.saveAs(target));
        EXPECT_EQ(bytesOf("victim.txt"), "not yours") << "the save wrote through a planted link";
        EXPECT_TRUE(fs::is_symlink(kivtest::toFsPath(link)));
    }
}

TEST(File, CreateNewRefusesANameThatExists) {
    kivtest::ScratchDir scratch;
    ASSERT_TRUE(scratch.isReady());
    const String path = scratch.path(u"new.txt");
    kiv::File file;
    ASSERT_TRUE(file.open(path, kiv::BaseStream::kWrite | kiv::File::kCreateNew, kiv::BaseStream::kUtf8));
    EXPECT_TRUE(file.addBuffer("abc", 3));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(file.size(), -1);  // closed
    EXPECT_FALSE(file.open(path, kiv::BaseStream::kWrite | kiv::File::kCreateNew, kiv::BaseStream::kUtf8));
    EXPECT_EQ(scratch.readBytes(u"new.txt"), "abc");
    ASSERT_TRUE(file.open(path, kiv::BaseStream::kRead, kiv::BaseStream::kUtf8));
    EXPECT_EQ(file.size(), 3);
}

TEST_F(ProfileFiles, LoadOfAMissingFileKeepsTheDocument) {
    kiv::ProfileFile profile;
    fillExample(profile);
    EXPECT_FALSE(profile.load(name("absent.xml")));
    EXPECT_EQ(profile.getIntValue(String(), String(u"workTime"), 0), 3120);
}

}  // namespace
