// The history as CSV: the rows made from day records as a table, RFC 4180 quoting, the
// bytes of the file, and the export over real day files in a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "history/history_csv.h"
#include "scratch_folder.h"
#include "settings_store.h"

namespace {

namespace fs = std::filesystem;
using history::RestEnd;
using test::ScratchFolder;

kiv::Time at(const char16_t* localTime) {
    return kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S"));
}

// Plain words, and ends holding what a spreadsheet must see as part of the field.
history::CsvTexts texts() {
    history::CsvTexts t;
    t.header = {L"date", L"start", L"kind", L"planned", L"rested", L"end"};
    const wchar_t* kinds[] = {L"rest", L"eye break", L"delay", L"postponement", L"hold"};
    const wchar_t* restEnds[] = {L"time", L"unlock, early", L"away \"idle\"", L"exit\r\nnow", L"shutdown",
                                 L"schedule"};
    const wchar_t* eyeEnds[] = {L"time", L"skip", L"closed"};
    const wchar_t* whys[] = {L"call", L"camera", L"presentation"};
    for (int i = 0; i < 5; ++i) t.kinds[i] = kinds[i];
    for (int i = 0; i < 6; ++i) t.restEnds[i] = restEnds[i];
    for (int i = 0; i < 3; ++i) t.eyeBreakEnds[i] = eyeEnds[i];
    for (int i = 0; i < 3; ++i) t.holdWhys[i] = whys[i];
    return t;
}

TEST(HistoryCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } rows[] = {
        {L"", L""},
        {L"rest", L"rest"},
        {L"休息", L"休息"},
        {L"a,b", L"\"a,b\""},
        {L"say \"hi\"", L"\"say \"\"hi\"\"\""},
        {L"\"", L"\"\"\"\""},
        {L"two\nlines", L"\"two\nlines\""},
        {L"cr\ronly", L"\"cr\ronly\""},
        {L"crlf\r\n", L"\"crlf\r\n\""},
        {L" spaces kept ", L" spaces kept "},
    };
    for (const auto& row : rows) EXPECT_EQ(history::csvField(row.in), row.out) << testing::PrintToString(row.in);
}

TEST(HistoryCsv, OneRowPerEventInTheOrderTheyBeganAndUnreadableDaysCounted) {
    history::Day busy;
    busy.rests.push_back({10 * 3600, 480, 480, RestEnd::Time});
    busy.rests.push_back({9 * 3600, 480, 95, RestEnd::Unlock});
    busy.delays.push_back({9 * 3600 + 30 * 60, 300});
    busy.postponements.push_back({11 * 3600 + 5, 1200});
    busy.eyeBreaks.push_back({9 * 3600 + 20 * 60, 20, 20, history::EyeBreakEnd::Time});
    busy.eyeBreaks.push_back({10 * 3600 + 30 * 60, 20, 3, history::EyeBreakEnd::Skip});
    busy.workSeconds = 9000;  // not an event
    history::Day odd;
    odd.rests.push_back({8 * 3600, 600, 600, RestEnd::Away});
    odd.rests.push_back({8 * 3600 + 600, 600, 1, RestEnd::Exit});
    odd.rests.push_back({12 * 3600, 600, 3600, RestEnd::Schedule});
    odd.holds.push_back({11 * 3600, 720, hold::Reason::Camera});

    const std::vector<history::CsvDay> days = {
        {L"2027-03-01", true, busy},
        {L"2027-03-02", true, history::Day()},  // a day without events: no rows
        {L"2027-03-03", false, history::Day()},
        {L"2027-03-04", true, odd},
        {L"2027-03-05", false, busy},  // what an unreadable day would hold is never written
    };
    unsigned unreadable = 99;
    EXPECT_EQ(history::csvText(days, texts(), unreadable),
              L"date,start,kind,planned,rested,end\r\n"
              L"2027-03-01,09:00:00,rest,480,95,\"unlock, early\"\r\n"
              L"2027-03-01,09:20:00,eye break,20,20,time\r\n"
              L"2027-03-01,09:30:00,delay,300,,\r\n"
              L"2027-03-01,10:00:00,rest,480,480,time\r\n"
              L"2027-03-01,10:30:00,eye break,20,3,skip\r\n"
              L"2027-03-01,11:00:05,postponement,1200,,\r\n"
              L"2027-03-04,08:00:00,rest,600,600,\"away \"\"idle\"\"\"\r\n"
              L"2027-03-04,08:10:00,rest,600,1,\"exit\r\nnow\"\r\n"
              L"2027-03-04,11:00:00,hold,720,,camera\r\n"
              L"2027-03-04,12:00:00,rest,600,3600,schedule\r\n");
    EXPECT_EQ(unreadable, 2u);

    EXPECT_EQ(history::csvText({}, texts(), unreadable), L"date,start,kind,planned,rested,end\r\n");
    EXPECT_EQ(unreadable, 0u);
}

std::string asText(const std::vector<char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(HistoryCsv, BytesAreUtf8AfterAByteOrderMark) {
    // EF BB BF: the byte-order mark; E4 BC 91 E6 81 AF: U+4F11 U+606F (休息);
    // F0 9F 98 80: U+1F600, a surrogate pair in UTF-16.
    EXPECT_EQ(asText(history::csvBytes(L"\u4F11\u606F,\U0001F600\r\n")),
              "\xEF\xBB\xBF\xE4\xBC\x91\xE6\x81\xAF,\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(asText(history::csvBytes(L"")), "\xEF\xBB\xBF");
}

// Every day file of the folder, oldest first; a damaged one skipped and counted; other
// files left out; and not one byte of a day file changed.
TEST(HistoryCsv, ExportReadsEveryDayFileAndWritesNone) {
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.isReady());
    const kiv::String dir = scratch.folder("profile");
    settings::loadFirstStartToday(dir, at(u"2027-03-02 09-00-00"), 0);
    history::recordRest(dir, at(u"2027-03-02 10-00-00"), 480, 480, RestEnd::Time);
    history::recordEyeBreak(dir, at(u"2027-03-02 09-40-00"), 20, 20, history::EyeBreakEnd::Time);
    history::recordDelay(dir, at(u"2027-02-27 17-00-00"), 300);
    const fs::path folder = test::toPath(dir);
    ScratchFolder::writeBytes(folder / "2027-03-01.xml", "<profile><rest");
    ScratchFolder::writeBytes(folder / "Murvel.xml", "<profile><workTime>60</workTime></profile>");
    ScratchFolder::writeBytes(folder / "2027-3-4.xml", "<profile/>");
    // A day file moved aside as unreadable stays out even when it reads now.
    ScratchFolder::writeBytes(folder / "2027-03-03.unreadable-1.xml",
                              "<profile><rest end=\"time\" planned=\"480\" rested=\"480\" start=\"10-00-00\"/></profile>");
    const std::string before[] = {ScratchFolder::readBytes(folder / "2027-02-27.xml"),
                                  ScratchFolder::readBytes(folder / "2027-03-01.xml"),
                                  ScratchFolder::readBytes(folder / "2027-03-02.xml")};

    const fs::path out = scratch.path() / "history.csv";
    const history::ExportResult result = history::exportHistory(dir, out.wstring(), texts());
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.days, 2u);
    EXPECT_EQ(result.unreadable, 1u);
    EXPECT_EQ(ScratchFolder::readBytes(out),
              "\xEF\xBB\xBF"
              "date,start,kind,planned,rested,end\r\n"
              "2027-02-27,17:00:00,delay,300,,\r\n"
              "2027-03-02,09:40:00,eye break,20,20,time\r\n"
              "2027-03-02,10:00:00,rest,480,480,time\r\n");
    EXPECT_EQ(ScratchFolder::readBytes(folder / "2027-02-27.xml"), before[0]);
    EXPECT_EQ(ScratchFolder::readBytes(folder / "2027-03-01.xml"), before[1]);
    EXPECT_EQ(ScratchFolder::readBytes(folder / "2027-03-02.xml"), before[2]);

    // A path that cannot be written says so.
    EXPECT_FALSE(history::exportHistory(dir, (scratch.path() / "no such folder" / "x.csv").wstring(), texts()).written);
}

}  // namespace
