// The rest history in the day files, on real files in scratch folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <map>
#include <string>

#include "history/history_store.h"
#include "scratch_folder.h"
#include "settings_store.h"

namespace {

namespace fs = std::filesystem;
using history::RestEnd;
using test::ScratchFolder;

kiv::Time at(const char16_t* localTime) {
    return kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S"));
}

#define XML_HEAD "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
const char kStartupLine[] = XML_HEAD "<profile>\r\n <startup_time>2027-01-15 08-30-00</startup_time>\r\n";

class HistoryStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isReady());
        profileDir = scratch.folder("profile");
    }
    fs::path dayFile(const char* name) const { return test::toPath(profileDir) / name; }
    std::string dayBytes(const char* name) const { return ScratchFolder::readBytes(dayFile(name)); }
    // Today's file as the start-up writes it: 3600 s of uptime at 09:30.
    void startDay() { settings::loadFirstStartToday(profileDir, at(u"2027-01-15 09-30-00"), 3600000); }

    ScratchFolder scratch;
    kiv::String profileDir;
};

TEST_F(HistoryStoreTest, EventsFollowTheStartupLineAndReadBack) {
    startDay();
    const std::string startupOnly = dayBytes("2027-01-15.xml");
    EXPECT_TRUE(history::recordRest(profileDir, at(u"2027-01-15 10-22-00"), 480, 480, RestEnd::Time));
    EXPECT_TRUE(history::recordDelay(profileDir, at(u"2027-01-15 11-00-05"), 300));
    EXPECT_TRUE(history::addWorkSeconds(profileDir, at(u"2027-01-15 11-00-05"), 3000));
    EXPECT_TRUE(history::recordPostponement(profileDir, at(u"2027-01-15 12-00-00"), 1200));
    EXPECT_TRUE(history::addWorkSeconds(profileDir, at(u"2027-01-15 12-00-00"), 120));  // added, not replaced

    EXPECT_EQ(dayBytes("2027-01-15.xml"),
              std::string(kStartupLine) +
                  " <rest end=\"time\" planned=\"480\" rested=\"480\" start=\"10-22-00\"/>\r\n"
                  " <delay added=\"300\" at=\"11-00-05\"/>\r\n"
                  " <work>3120</work>\r\n"
                  " <postpone added=\"1200\" at=\"12-00-00\"/>\r\n"
                  "</profile>\r\n");
    // The start-up still reads its line.
    EXPECT_EQ(settings::loadFirstStartToday(profileDir, at(u"2027-01-15 13-00-00"), 0).timeValue(),
              at(u"2027-01-15 08-30-00").timeValue());

    const history::Day day = history::readDay(profileDir, at(u"2027-01-15 23-00-00"));
    ASSERT_EQ(day.rests.size(), 1u);
    EXPECT_EQ(day.rests[0].start, 10u * 3600 + 22 * 60);
    EXPECT_EQ(day.rests[0].planned, 480u);
    EXPECT_EQ(day.rests[0].rested, 480u);
    EXPECT_EQ(day.rests[0].end, RestEnd::Time);
    ASSERT_EQ(day.delays.size(), 1u);
    EXPECT_EQ(day.delays[0].at, 11u * 3600 + 5);
    EXPECT_EQ(day.delays[0].added, 300u);
    ASSERT_EQ(day.postponements.size(), 1u);
    EXPECT_EQ(day.postponements[0].added, 1200u);
    EXPECT_EQ(day.workSeconds, 3120u);
}

TEST_F(HistoryStoreTest, EveryEndReadsBackAsItself) {
    const RestEnd ends[] = {RestEnd::Time, RestEnd::Unlock, RestEnd::Away, RestEnd::Exit, RestEnd::Shutdown,
                            RestEnd::Schedule};
    for (RestEnd end : ends) history::recordRest(profileDir, at(u"2027-01-15 10-00-00"), 480, 100, end);
    const history::EyeBreakEnd eyeEnds[] = {history::EyeBreakEnd::Time, history::EyeBreakEnd::Skip,
                                            history::EyeBreakEnd::Closed};
    for (auto end : eyeEnds) history::recordEyeBreak(profileDir, at(u"2027-01-15 10-20-00"), 20, 7, end);
    const history::Day day = history::readDay(profileDir, at(u"2027-01-15 10-00-00"));
    ASSERT_EQ(day.rests.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(day.rests[i].end, ends[i]) << history::endWord(ends[i]);
    ASSERT_EQ(day.eyeBreaks.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(day.eyeBreaks[i].end, eyeEnds[i]) << history::eyeBreakEndWord(eyeEnds[i]);
        EXPECT_EQ(day.eyeBreaks[i].start, 10u * 3600 + 20 * 60);
        EXPECT_EQ(day.eyeBreaks[i].planned, 20u);
        EXPECT_EQ(day.eyeBreaks[i].rested, 7u);
    }
    EXPECT_NE(dayBytes("2027-01-15.xml").find(" <eyebreak end=\"skip\" planned=\"20\" rested=\"7\" start=\"10-20-00\"/>\r\n"),
              std::string::npos);
    EXPECT_EQ(kiv::String(history::endWord(RestEnd::Schedule)), kiv::String(u"schedule"));
}

TEST_F(HistoryStoreTest, NoMoreBreaksTodayIsKeptWithItsTime) {
    startDay();
    ASSERT_TRUE(history::recordSkip(profileDir, at(u"2027-01-15 16-30-05")));
    const history::Day day = history::readDay(profileDir, at(u"2027-01-15 12-00-00"));
    ASSERT_EQ(day.skips.size(), 1u);
    EXPECT_EQ(day.skips[0], 16u * 3600 + 30 * 60 + 5);
    EXPECT_NE(dayBytes("2027-01-15.xml").find("<skip at=\"16-30-05\"/>"), std::string::npos);
}

TEST_F(HistoryStoreTest, HoldsAreWrittenWithTheirWhyAndReadBack) {
    const hold::Reason whys[] = {hold::Reason::Call, hold::Reason::Camera, hold::Reason::Presentation};
    for (hold::Reason why : whys) EXPECT_TRUE(history::recordHold(profileDir, at(u"2027-01-15 10-20-30"), 95, why));
    EXPECT_FALSE(history::recordHold(profileDir, at(u"2027-01-15 10-20-30"), 95, hold::Reason::None));
    EXPECT_NE(dayBytes("2027-01-15.xml").find(" <hold at=\"10-20-30\" held=\"95\" why=\"call\"/>\r\n"
                                              " <hold at=\"10-20-30\" held=\"95\" why=\"camera\"/>\r\n"
                                              " <hold at=\"10-20-30\" held=\"95\" why=\"presentation\"/>\r\n"),
              std::string::npos)
        << dayBytes("2027-01-15.xml");
    const history::Day day = history::readDay(profileDir, at(u"2027-01-15 10-00-00"));
    ASSERT_EQ(day.holds.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(day.holds[i].at, 10u * 3600 + 20 * 60 + 30);
        EXPECT_EQ(day.holds[i].held, 95u);
        EXPECT_EQ(day.holds[i].why, whys[i]);
    }
}

// The day-file rule, for both writers (a delay recorded by the history; the day's start):
// only a file that is not there is made anew; one another program holds open is not
// touched; one that opens but does not read is moved aside under a free name first.
TEST_F(HistoryStoreTest, ADayFileIsNeverWrittenOverUnlessItIsAbsent) {
    const std::string readable = std::string(kStartupLine) + " <rest end=\"time\" planned=\"480\" rested=\"480\" start=\"09-00-00\"/>\r\n</profile>\r\n";
    const std::string pastMidnight = XML_HEAD "<profile>\r\n <rest end=\"time\" planned=\"480\" rested=\"480\" start=\"00-10-00\"/>\r\n</profile>\r\n";
    const std::string tail = "</profile>\r\n";
    const std::string tooBig = readable.substr(0, readable.size() - tail.size()) +
                               std::string(settings::kMaxDayFileBytes + 1 - readable.size(), ' ') + tail;
    const struct {
        const char* what;
        std::string before;  // today's file; empty: none
        bool locked;         // held open without sharing while the writer runs
        bool asideTaken;     // "...unreadable-1.xml" is there already
        const char* afterDelay;    // the folder after the history's write
        const char* afterStartup;  // the folder after the start-up
    } rows[] = {
        {"absent", "", false, false, "15.xml=delay", "15.xml=startup"},
        {"readable", readable, false, false, "15.xml=startup,rest,delay", "15.xml=old"},
        {"readable, written past midnight", pastMidnight, false, false, "15.xml=rest,delay", "15.xml=startup,rest"},
        {"locked", readable, true, false, "15.xml=old", "15.xml=old"},
        {"damaged", "<profile><startup_time>", false, false, "15.unreadable-1.xml=old 15.xml=delay",
         "15.unreadable-1.xml=old 15.xml=startup"},
        {"too big", tooBig, false, false, "15.unreadable-1.xml=old 15.xml=delay", "15.unreadable-1.xml=old 15.xml=startup"},
        {"damaged, a name taken", "garbage", false, true,
         "15.unreadable-1.xml=earlier 15.unreadable-2.xml=old 15.xml=delay",
         "15.unreadable-1.xml=earlier 15.unreadable-2.xml=old 15.xml=startup"},
    };
    // Each file of the folder: "old" (the bytes before), "earlier" (the aside already there)
    // or the records it holds.
    auto folder = [&](const std::string& before) {
        std::map<std::string, std::string> files;  // in name order
        for (const auto& entry : fs::directory_iterator(test::toPath(profileDir))) {
            const std::string bytes = ScratchFolder::readBytes(entry.path());
            std::string what;
            if (bytes == before) {
                what = "old";
            } else if (bytes == "earlier") {
                what = "earlier";
            } else {
                for (const char* tag : {"startup", "rest", "delay"})
                    if (bytes.find(std::string("<") + tag) != std::string::npos) what += (what.empty() ? "" : ",") + std::string(tag);
            }
            files[entry.path().filename().string().substr(8)] = what;
        }
        std::string out;
        for (const auto& file : files) out += (out.empty() ? "" : " ") + file.first + "=" + file.second;
        return out;
    };
    for (bool startup : {false, true}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.what) + (startup ? ", start-up" : ", delay"));
            const fs::path folderPath = test::toPath(profileDir).parent_path();  // without the last '\'
            fs::remove_all(folderPath);
            fs::create_directory(folderPath);
            if (!row.before.empty()) ScratchFolder::writeBytes(dayFile("2027-01-15.xml"), row.before);
            if (row.asideTaken) ScratchFolder::writeBytes(dayFile("2027-01-15.unreadable-1.xml"), "earlier");
            HANDLE lock = INVALID_HANDLE_VALUE;
            if (row.locked)
                lock = ::CreateFileW(dayFile("2027-01-15.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_EQ(lock != INVALID_HANDLE_VALUE, row.locked);
            if (startup) {
                EXPECT_EQ(settings::loadFirstStartToday(profileDir, at(u"2027-01-15 09-30-00"), 3600000).timeValue(),
                          at(u"2027-01-15 08-30-00").timeValue());
            } else {
                EXPECT_EQ(history::recordDelay(profileDir, at(u"2027-01-15 10-00-00"), 300), !row.locked);
            }
            if (lock != INVALID_HANDLE_VALUE) ::CloseHandle(lock);
            EXPECT_EQ(folder(row.before), startup ? row.afterStartup : row.afterDelay);
        }
    }
}

TEST_F(HistoryStoreTest, DaysWithoutHistoryReadEmpty) {
    const struct {
        const char* name;
        const char* bytes;  // null: no file
    } rows[] = {
        {"no file", nullptr},
        {"file from before the history", XML_HEAD "<profile>\r\n <startup_time>2027-01-15 08-30-00</startup_time>\r\n</profile>\r\n"},
        {"not XML", "garbage"},
        {"entries that do not read", XML_HEAD "<profile><rest start=\"25-00-00\" planned=\"480\" rested=\"1\" end=\"time\"/>"
                                     "<rest start=\"10-00-00\" planned=\"x\" rested=\"1\" end=\"time\"/>"
                                     "<rest start=\"10-00-00\" planned=\"480\" rested=\"1\" end=\"nap\"/>"
                                     "<delay at=\"10-00\" added=\"300\"/><work>-5</work>"
                                     "<hold at=\"10-00-00\" held=\"60\" why=\"lunch\"/>"
                                     "<hold at=\"10-00-00\" held=\"\" why=\"call\"/></profile>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove(dayFile("2027-01-15.xml"));
        if (row.bytes) ScratchFolder::writeBytes(dayFile("2027-01-15.xml"), row.bytes);
        const history::Day day = history::readDay(profileDir, at(u"2027-01-15 12-00-00"));
        EXPECT_TRUE(day.rests.empty());
        EXPECT_TRUE(day.delays.empty());
        EXPECT_TRUE(day.holds.empty());
        EXPECT_EQ(day.workSeconds, 0u);
    }
}

TEST_F(HistoryStoreTest, ABusyDayStaysUnderFourKilobytes) {
    startDay();
    for (int i = 0; i < 20; ++i) {
        const kiv::Time when(at(u"2027-01-15 09-00-00").timeValue() + i * 1700);
        history::recordRest(profileDir, when, 480, 1234, RestEnd::Shutdown);
        history::recordDelay(profileDir, when, 3120);
        history::recordPostponement(profileDir, when, 1200);
        history::addWorkSeconds(profileDir, when, 3120);
    }
    EXPECT_EQ(history::readDay(profileDir, at(u"2027-01-15 12-00-00")).rests.size(), 20u);
    EXPECT_LT(fs::file_size(dayFile("2027-01-15.xml")), 4096u);
}

// A run past midnight writes the new day's file before any start-up did; the next start
// that day records its power-on first and keeps that history.
TEST_F(HistoryStoreTest, HistoryWrittenBeforeTheDaysFirstStartIsKept) {
    history::recordDelay(profileDir, at(u"2027-01-15 00-10-00"), 300);
    settings::loadFirstStartToday(profileDir, at(u"2027-01-15 09-30-00"), 3600000);
    EXPECT_EQ(dayBytes("2027-01-15.xml"),
              std::string(kStartupLine) + " <delay added=\"300\" at=\"00-10-00\"/>\r\n</profile>\r\n");
}

}  // namespace
