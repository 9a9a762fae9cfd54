// What kivctl.exe and the running program say to each other over the pipe: one request
// line and one response line, each a UTF-8 JSON object ending in "\n". Both programs build
// and read their lines with these plain functions (no Windows, no narrow std::string), so
// the two sides cannot drift apart and the native tests check every rule.
//
//   {"command":"pause","arg":"30m"}
//   {"ok":true,"lang":"en"}
//   {"ok":false,"lang":"en","error":"policy","policy":"AllowPause"}
//   {"ok":true,"lang":"en","state":"working","worked":120,"left":1394,"rest":480,...}
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace control {

using Bytes = std::vector<char>;

// A request line longer than this (its line end not counted) is refused unread.
constexpr std::size_t kMaxRequestBytes = 4096;
// A response is short; a longer one is not ours.
constexpr std::size_t kMaxResponseBytes = 4096;

enum class Command { Status, Pause, Resume, RestNow, Delay, SkipToday, Exit };

// How long a pause lasts: a number of minutes, or until the next day begins.
struct Duration {
    bool untilTomorrow = false;
    uint32_t minutes = 0;
    bool operator==(const Duration& o) const { return untilTomorrow == o.untilTomorrow && minutes == o.minutes; }
};
// The longest pause in minutes: a day.
constexpr uint32_t kMaxPauseMinutes = 1440;

// "30m", "1h", "2h", "until-tomorrow" or a plain number of minutes (1..kMaxPauseMinutes).
bool parseDuration(const char* text, Duration& out);

enum class DelayKind { FiveMinutes, Preset };
// "5m" or "preset".
bool parseDelay(const char* text, DelayKind& out);

struct Request {
    Command command = Command::Status;
    Duration pause;                             // Pause
    DelayKind delay = DelayKind::FiveMinutes;   // Delay
    bool operator==(const Request& o) const {
        return command == o.command && pause == o.pause && delay == o.delay;
    }
};

// Why a request was not done. The first four are the client's fault (bad usage), Policy
// names the policy that forbids it, NotNow: the program's state does not allow it (a delay
// while a rest runs).
enum class Error { None, TooLong, Malformed, UnknownCommand, BadArgument, Policy, NotNow };

// The command's name on the command line and in the request ("rest-now"); null for none.
const char* commandName(Command command);
bool commandFromName(const char* name, Command& out);

// One request line without its line end: a JSON object with "command" and, for pause and
// delay, "arg". Anything else (not JSON, not an object, duplicate or unknown members,
// control characters, bad UTF-8 escapes, trailing bytes) is Malformed.
Error parseRequest(const char* line, std::size_t size, Request& out);
// The request line, "\n" included.
Bytes renderRequest(const Request& request);

enum class Language { Chinese, English };

// An answer without status: done, or the error (and the policy that forbids, for Policy).
Bytes renderResult(Language language, Error error, const char* policy = nullptr);

// What `kivctl status` shows.
enum class State { Working, Resting, Held, Paused, Outside };
struct Status {
    State state = State::Working;
    uint32_t worked = 0;       // seconds of work counted in this period
    uint32_t left = 0;         // seconds to the rest (working) or to its end (resting)
    uint32_t rest = 0;         // the rest's length in seconds
    const char* held = nullptr;  // "call", "camera", "presentation" while a rest is held
    int pausedUntil = -1;      // minutes after midnight while paused (1440: the day's end)
    bool homeMode = true;
    std::vector<const char*> managed;  // names of the policies in force
};
Bytes renderStatus(Language language, const Status& status);

// A response line as kivctl reads it. Strings point into `storage`.
struct Response {
    bool ok = false;
    Language language = Language::English;
    Error error = Error::None;
    Bytes policy;          // for Policy
    bool hasStatus = false;
    Status status;
    std::vector<Bytes> storage;
};
// False when the line is not a response of this program.
bool parseResponse(const char* line, std::size_t size, Response& out);

// The one-line status as a person reads it ("working, 23:14 left", "已暂停，到 14:30").
Bytes statusLine(Language language, const Status& status);
// The status as one JSON object for scripts (the response without "ok" and "lang").
Bytes statusJson(const Status& status);

// Error names as they appear in the response ("policy").
const char* errorName(Error error);

}  // namespace control
