// The control lines: the pause's lengths, request lines as any program of the user's may
// write them (the pipe's other end is not always kivctl), responses and the status in both
// languages. Tables of text in, whole values out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/control_protocol.h"

namespace {

using namespace control;

std::string str(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Duration minutes(uint32_t n) { return Duration{false, n}; }
const Duration kTomorrow{true, 0};

TEST(ControlDuration, TextsAndTheirLengths) {
    const struct {
        const char* text;
        bool ok;
        Duration length;
    } rows[] = {
        {"30m", true, minutes(30)},
        {"1h", true, minutes(60)},
        {"2h", true, minutes(120)},
        {"until-tomorrow", true, kTomorrow},
        {"1", true, minutes(1)},
        {"45", true, minutes(45)},
        {"1440", true, minutes(1440)},  // a day at most
        {"1441", false, {}},
        {"0", false, {}},
        {"", false, {}},
        {"-5", false, {}},
        {"5m", false, {}},               // only the stated words
        {"30 ", false, {}},
        {"1000000", false, {}},          // seven digits never reach the number
        {"until-Tomorrow", false, {}},
        {"3h", false, {}},
    };
    for (const auto& row : rows) {
        Duration got{true, 99};
        EXPECT_EQ(parseDuration(row.text, got), row.ok) << row.text;
        EXPECT_EQ(got, row.length) << row.text;
    }
}

TEST(ControlRequest, LinesAndWhatTheyAsk) {
    auto req = [](Command c) { Request r; r.command = c; return r; };
    auto pause = [](Duration d) { Request r; r.command = Command::Pause; r.pause = d; return r; };
    Request preset;
    preset.command = Command::Delay;
    preset.delay = DelayKind::Preset;
    const struct {
        std::string line;
        Error error;
        Request request;
    } rows[] = {
        {R"({"command":"status"})", Error::None, req(Command::Status)},
        {" \t{ \"command\" : \"exit\" }\r\n ", Error::None, req(Command::Exit)},
        {R"({"command":"rest-now"})", Error::None, req(Command::RestNow)},
        {R"({"command":"skip-today"})", Error::None, req(Command::SkipToday)},
        {R"({"command":"resume"})", Error::None, req(Command::Resume)},
        {R"({"command":"pause","arg":"2h"})", Error::None, pause(minutes(120))},
        {R"({"arg":"until-tomorrow","command":"pause"})", Error::None, pause(kTomorrow)},
        {R"({"command":"delay","arg":"preset"})", Error::None, preset},
        {R"({"command":"delay","arg":"5m"})", Error::None, req(Command::Delay)},
        // Escapes read as their characters: "\u0073tatus" is "status".
        {R"({"command":"\u0073tatus"})", Error::None, req(Command::Status)},
        // Asked for, but not well: the command or its argument.
        {R"({"command":"unlock"})", Error::UnknownCommand, req(Command::Status)},
        {R"({"command":"Status"})", Error::UnknownCommand, req(Command::Status)},
        {R"({"command":"stat\u0000us"})", Error::UnknownCommand, req(Command::Status)},  // a NUL inside
        {R"({"command":"pause"})", Error::BadArgument, req(Command::Pause)},
        {R"({"command":"pause","arg":"0"})", Error::BadArgument, req(Command::Pause)},
        {R"({"command":"status","arg":"1"})", Error::BadArgument, req(Command::Status)},
        {R"({"command":"delay","arg":"10m"})", Error::BadArgument, req(Command::Delay)},
        // Not a request at all.
        {"", Error::Malformed, {}},
        {"status", Error::Malformed, {}},
        {R"(["status"])", Error::Malformed, {}},
        {R"({"command":"status"} x)", Error::Malformed, {}},
        {R"({"command":"status"}{})", Error::Malformed, {}},
        {R"({"command":"status",})", Error::Malformed, {}},
        {R"({"command":"status","command":"exit"})", Error::Malformed, {}},  // which one?
        {R"({"command":"status","user":"x"})", Error::Malformed, {}},
        {R"({"command":1})", Error::Malformed, {}},
        {R"({"command":"pause","arg":30})", Error::Malformed, {}},
        {R"({"command":{"name":"status"}})", Error::Malformed, {}},
        {R"({"command":"status)", Error::Malformed, {}},
        {"{\"command\":\"sta\ttus\"}", Error::Malformed, {}},           // a raw control character
        {R"({"command":"\x"})", Error::Malformed, {}},                 // no such escape
        {R"({"command":"\ud800"})", Error::Malformed, {}},             // half a surrogate pair
        {R"({"command":"\udc00\ud800"})", Error::Malformed, {}},
        {"{\"command\":\"\xC0\xAF\"}", Error::Malformed, {}},          // C0 AF: an overlong '/'
        {"{\"command\":\"\xED\xA0\x80\"}", Error::Malformed, {}},      // ED A0 80: a surrogate in UTF-8
        {"{\"command\":\"\xE4\xBD\"}", Error::Malformed, {}},          // E4 BD: a cut sequence
        {"{\"command\":\"\xF5\x80\x80\x80\"}", Error::Malformed, {}},  // F5: beyond U+10FFFF
        {R"({"command":"status","n":01})", Error::Malformed, {}},
        {R"({"command":"status","n":1.5})", Error::Malformed, {}},
        // Well-formed non-ASCII is read, and is simply no command: E6 9A 82 E5 81 9C "暂停".
        {"{\"command\":\"\xE6\x9A\x82\xE5\x81\x9C\"}", Error::UnknownCommand, {}},
        {R"({"command":"\ud83d\ude00"})", Error::UnknownCommand, {}},  // a pair: U+1F600
    };
    for (const auto& row : rows) {
        Request got;
        got.command = Command::Exit;
        EXPECT_EQ(parseRequest(row.line.data(), row.line.size(), got), row.error) << row.line;
        if (row.error == Error::None) {
            EXPECT_EQ(got, row.request) << row.line;
        }
    }
}

TEST(ControlRequest, TheSizeLimitIsFourKilobytesOfLine) {
    std::string line = R"({"command":"status"})";
    line.insert(1, kMaxRequestBytes - line.size(), ' ');  // white space is allowed, up to the limit
    Request got;
    EXPECT_EQ(parseRequest(line.data(), line.size(), got), Error::None);
    line.insert(1, " ");
    EXPECT_EQ(parseRequest(line.data(), line.size(), got), Error::TooLong);
}

TEST(ControlRequest, KivctlsLinesAreReadBackAsSent) {
    for (int c = 0; c <= static_cast<int>(Command::Exit); ++c) {
        Request sent;
        sent.command = static_cast<Command>(c);
        if (sent.command == Command::Pause) sent.pause = minutes(90);
        if (sent.command == Command::Delay) sent.delay = DelayKind::Preset;
        const Bytes line = renderRequest(sent);
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\n');
        Request got;
        EXPECT_EQ(parseRequest(line.data(), line.size() - 1, got), Error::None) << str(line);
        EXPECT_EQ(got, sent) << str(line);
    }
    Request tomorrow;
    tomorrow.command = Command::Pause;
    tomorrow.pause = kTomorrow;
    EXPECT_EQ(str(renderRequest(tomorrow)), "{\"command\":\"pause\",\"arg\":\"until-tomorrow\"}\n");
}

Status working() {
    Status s;
    s.worked = 600;
    s.left = 1394;
    s.rest = 480;
    return s;
}

TEST(ControlResponse, ResultLines) {
    EXPECT_EQ(str(renderResult(Language::English, Error::None)), "{\"ok\":true,\"lang\":\"en\"}\n");
    EXPECT_EQ(str(renderResult(Language::Chinese, Error::Policy, "AllowPause")),
              "{\"ok\":false,\"lang\":\"zh\",\"error\":\"policy\",\"policy\":\"AllowPause\"}\n");
    EXPECT_EQ(str(renderResult(Language::English, Error::TooLong)),
              "{\"ok\":false,\"lang\":\"en\",\"error\":\"too-long\"}\n");
}

TEST(ControlResponse, StatusLineAndJsonInBothLanguages) {
    Status held = working();
    held.state = State::Held;
    held.held = "call";
    Status resting = working();
    resting.state = State::Resting;
    resting.left = 130;
    Status paused = working();
    paused.state = State::Paused;
    paused.pausedUntil = 14 * 60 + 30;
    paused.homeMode = false;
    paused.managed = {"AllowPause", "WorkMinutes"};
    Status outside = working();
    outside.state = State::Outside;
    Status long_ = working();
    long_.left = 3723;
    const struct {
        Status status;
        const char* english;
        const char* chinese;
        const char* json;
    } rows[] = {
        {working(), "working, 23:14 left", u8"工作中，还剩 23:14",
         R"({"state":"working","worked":600,"left":1394,"rest":480,"held":null,"pausedUntil":null,"mode":"home","managed":[]})"},
        {long_, "working, 1:02:03 left", u8"工作中，还剩 1:02:03", nullptr},
        {resting, "resting, 2:10 left", u8"休息中，还剩 2:10", nullptr},
        {held, "held: call", u8"暂缓休息：通话",
         R"({"state":"held","worked":600,"left":1394,"rest":480,"held":"call","pausedUntil":null,"mode":"home","managed":[]})"},
        {paused, "paused until 14:30", u8"已暂停，到 14:30",
         R"({"state":"paused","worked":600,"left":1394,"rest":480,"held":null,"pausedUntil":"14:30","mode":"office","managed":["AllowPause","WorkMinutes"]})"},
        {outside, "outside working hours", u8"现在是非工作时间", nullptr},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(str(statusLine(Language::English, row.status)), row.english);
        EXPECT_EQ(str(statusLine(Language::Chinese, row.status)), row.chinese);
        if (row.json) {
            EXPECT_EQ(str(statusJson(row.status)), row.json);
        }
        // What kivctl reads back from the program's line shows the same.
        for (Language lang : {Language::English, Language::Chinese}) {
            const Bytes line = renderStatus(lang, row.status);
            Response got;
            ASSERT_TRUE(parseResponse(line.data(), line.size() - 1, got)) << str(line);
            EXPECT_TRUE(got.ok && got.hasStatus);
            EXPECT_EQ(got.language, lang);
            EXPECT_EQ(str(statusJson(got.status)), str(statusJson(row.status)));
        }
    }
}

TEST(ControlResponse, LinesThatAreNotOurs) {
    const char* const rows[] = {
        "", "{}", R"({"ok":1})", R"({"ok":false})", R"({"ok":false,"error":"unheard-of"})",
        R"({"ok":true,"state":"sleeping","worked":1,"left":1,"rest":1})",
        R"({"ok":true,"state":"working","worked":-1,"left":1,"rest":1})",
        R"({"ok":true,"state":"working","left":1,"rest":1})",
        R"({"ok":true,"state":"paused","worked":1,"left":1,"rest":1,"pausedUntil":"25:00"})",
        R"({"ok":true,"state":"held","worked":1,"left":1,"rest":1,"held":"lunch"})",
    };
    for (const char* row : rows) {
        Response got;
        EXPECT_FALSE(parseResponse(row, std::char_traits<char>::length(row), got)) << row;
    }
    const std::string refused = R"({"ok":false,"lang":"zh","error":"policy","policy":"AllowDelays"})";
    Response got;
    ASSERT_TRUE(parseResponse(refused.data(), refused.size(), got));
    EXPECT_EQ(got.error, Error::Policy);
    EXPECT_STREQ(got.policy.data(), "AllowDelays");
    EXPECT_EQ(got.language, Language::Chinese);
}

}  // namespace

#include "control/request_pacer.h"

namespace {

// Requests at these milliseconds wait so long: four at once, then one every 250 ms.
TEST(ControlPacer, AFewRequestsASecondTheRestWait) {
    const struct {
        const char* name;
        std::vector<uint64_t> arrivals;
        std::vector<uint64_t> waits;
    } rows[] = {
        {"a burst of four is served at once", {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"the fifth and sixth wait for a token each", {0, 0, 0, 0, 0, 250}, {0, 0, 0, 0, 250, 250}},
        {"a script in a tight loop gets four a second",
         {1000, 1001, 1002, 1003, 1004, 1254, 1504}, {0, 0, 0, 0, 246, 246, 246}},
        {"a quiet second fills the bucket again", {0, 0, 0, 0, 1000, 1000, 1000, 1000, 1000}, {0, 0, 0, 0, 0, 0, 0, 0, 250}},
        // The fifth's token is counted from 250 on: one arriving before that earns none.
        {"a request just before the last token's time", {0, 0, 0, 0, 0, 249}, {0, 0, 0, 0, 250, 251}},
        {"one request a second never waits", {0, 1000, 2000, 3000, 4000, 5000}, {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        control::RequestPacer pacer;
        std::vector<uint64_t> waits;
        for (uint64_t at : row.arrivals) waits.push_back(pacer.admit(at));
        EXPECT_EQ(waits, row.waits) << row.name;
    }
}

}  // namespace
