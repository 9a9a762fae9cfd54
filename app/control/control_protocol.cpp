#include "control/control_protocol.h"

#include <cstring>

#include "control/json_line.h"

namespace control {
namespace {

const char* const kCommandNames[] = {"status", "pause", "resume", "rest-now", "delay", "skip-today", "exit"};
const char* const kErrorNames[] = {"", "too-long", "malformed", "unknown-command", "bad-argument", "policy", "not-now"};
const char* const kStateNames[] = {"working", "resting", "held", "paused", "outside"};
const char* const kHeldNames[] = {"call", "camera", "presentation"};

bool equals(const Bytes& bytes, const char* text) {
    const std::size_t n = std::strlen(text);
    return bytes.size() == n && std::memcmp(bytes.data(), text, n) == 0;
}

// A whole number of at most six digits, nothing else.
bool smallNumber(const char* text, uint32_t& out) {
    out = 0;
    std::size_t digits = 0;
    for (; text[digits]; ++digits) {
        if (text[digits] < '0' || text[digits] > '9' || digits == 6) return false;
        out = out * 10 + static_cast<uint32_t>(text[digits] - '0');
    }
    return digits > 0;
}

void append(Bytes& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }

void appendNumber(Bytes& out, uint32_t value, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value || n < width);
    while (n) out.push_back(digits[--n]);
}

// "2:10", "23:14", "1:02:03".
void appendDuration(Bytes& out, uint32_t seconds) {
    if (seconds >= 3600) {
        appendNumber(out, seconds / 3600, 1);
        out.push_back(':');
        appendNumber(out, seconds / 60 % 60, 2);
    } else {
        appendNumber(out, seconds / 60, 1);
    }
    out.push_back(':');
    appendNumber(out, seconds % 60, 2);
}

// "14:30"; the day's end reads "24:00".
void appendClock(Bytes& out, int minutes) {
    appendNumber(out, static_cast<uint32_t>(minutes / 60), 2);
    out.push_back(':');
    appendNumber(out, static_cast<uint32_t>(minutes % 60), 2);
}

void writeStatus(json::Writer& w, const Status& s) {
    w.string("state", kStateNames[static_cast<int>(s.state)]);
    w.number("worked", s.worked);
    w.number("left", s.left);
    w.number("rest", s.rest);
    if (s.held) w.string("held", s.held);
    else w.null("held");
    if (s.pausedUntil >= 0) {
        Bytes clock;
        appendClock(clock, s.pausedUntil);
        w.string("pausedUntil", clock.data(), clock.size());
    } else {
        w.null("pausedUntil");
    }
    w.string("mode", s.homeMode ? "home" : "office");
    w.strings("managed", s.managed);
}

const char* languageName(Language language) { return language == Language::Chinese ? "zh" : "en"; }

// "14:30" or "24:00" as minutes after midnight; -1 otherwise.
int clockMinutes(const Bytes& text) {
    if (text.size() != 5 || text[2] != ':') return -1;
    for (int i : {0, 1, 3, 4})
        if (text[i] < '0' || text[i] > '9') return -1;
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (minutes > 59 || hours * 60 + minutes > 1440) return -1;
    return hours * 60 + minutes;
}

bool readSeconds(const json::Value* value, uint32_t& out) {
    if (!value || value->kind != json::Value::Number || value->number < 0 || value->number > UINT32_MAX) return false;
    out = static_cast<uint32_t>(value->number);
    return true;
}

bool readStatus(const std::vector<json::Member>& members, Response& out) {
    Status& s = out.status;
    const json::Value* state = json::find(members, "state");
    if (!state) return true;  // an answer without status
    int found = -1;
    for (int i = 0; i < 5; ++i)
        if (json::isString(state, kStateNames[i])) found = i;
    if (found < 0) return false;
    s.state = static_cast<State>(found);
    if (!readSeconds(json::find(members, "worked"), s.worked) || !readSeconds(json::find(members, "left"), s.left) ||
        !readSeconds(json::find(members, "rest"), s.rest))
        return false;
    const json::Value* held = json::find(members, "held");
    for (const char* name : kHeldNames)
        if (json::isString(held, name)) s.held = name;
    if (held && held->kind != json::Value::Null && !s.held) return false;
    const json::Value* until = json::find(members, "pausedUntil");
    if (until && until->kind == json::Value::String) {
        s.pausedUntil = clockMinutes(until->text);
        if (s.pausedUntil < 0) return false;
    }
    s.homeMode = !json::isString(json::find(members, "mode"), "office");
    const json::Value* managed = json::find(members, "managed");
    if (managed && managed->kind == json::Value::Array) {
        out.storage = managed->items;
        for (Bytes& name : out.storage) name.push_back('\0');
        for (const Bytes& name : out.storage) s.managed.push_back(name.data());
    }
    out.hasStatus = true;
    return true;
}

}  // namespace

bool parseDuration(const char* text, Duration& out) {
    out = Duration();
    if (!text) return false;
    if (std::strcmp(text, "until-tomorrow") == 0) {
        out.untilTomorrow = true;
        return true;
    }
    if (std::strcmp(text, "30m") == 0) out.minutes = 30;
    else if (std::strcmp(text, "1h") == 0) out.minutes = 60;
    else if (std::strcmp(text, "2h") == 0) out.minutes = 120;
    else if (!smallNumber(text, out.minutes)) out.minutes = 0;
    if (out.minutes >= 1 && out.minutes <= kMaxPauseMinutes) return true;
    out = Duration();
    return false;
}

bool parseDelay(const char* text, DelayKind& out) {
    if (!text) return false;
    if (std::strcmp(text, "5m") == 0) out = DelayKind::FiveMinutes;
    else if (std::strcmp(text, "preset") == 0) out = DelayKind::Preset;
    else return false;
    return true;
}

const char* commandName(Command command) { return kCommandNames[static_cast<int>(command)]; }

bool commandFromName(const char* name, Command& out) {
    for (int i = 0; i < 7; ++i)
        if (std::strcmp(name, kCommandNames[i]) == 0) {
            out = static_cast<Command>(i);
            return true;
        }
    return false;
}

const char* errorName(Error error) { return kErrorNames[static_cast<int>(error)]; }

Error parseRequest(const char* line, std::size_t size, Request& out) {
    out = Request();
    if (size > kMaxRequestBytes) return Error::TooLong;
    std::vector<json::Member> members;
    // Every member of a request is a string: any other value is malformed.
    if (!json::parseStringObject(line, size, members)) return Error::Malformed;
    for (const json::Member& m : members)
        if (!equals(m.name, "command") && !equals(m.name, "arg")) return Error::Malformed;
    const json::Value* command = json::find(members, "command");
    const json::Value* arg = json::find(members, "arg");
    if (!command || command->kind != json::Value::String) return Error::Malformed;
    if (arg && arg->kind != json::Value::String) return Error::Malformed;
    Bytes name = command->text;
    name.push_back('\0');
    if (std::strlen(name.data()) + 1 != name.size() || !commandFromName(name.data(), out.command))
        return Error::UnknownCommand;
    const bool takesArg = out.command == Command::Pause || out.command == Command::Delay;
    if (takesArg != (arg != nullptr)) return Error::BadArgument;
    if (!takesArg) return Error::None;
    Bytes text = arg->text;
    text.push_back('\0');
    if (std::strlen(text.data()) + 1 != text.size()) return Error::BadArgument;
    const bool good = out.command == Command::Pause ? parseDuration(text.data(), out.pause)
                                                     : parseDelay(text.data(), out.delay);
    return good ? Error::None : Error::BadArgument;
}

Bytes renderRequest(const Request& request) {
    json::Writer w;
    w.string("command", commandName(request.command));
    if (request.command == Command::Pause) {
        Bytes arg;
        if (request.pause.untilTomorrow) append(arg, "until-tomorrow");
        else appendNumber(arg, request.pause.minutes, 1);
        w.string("arg", arg.data(), arg.size());
    } else if (request.command == Command::Delay) {
        w.string("arg", request.delay == DelayKind::Preset ? "preset" : "5m");
    }
    return w.finish(true);
}

Bytes renderResult(Language language, Error error, const char* policy) {
    json::Writer w;
    w.boolean("ok", error == Error::None);
    w.string("lang", languageName(language));
    if (error != Error::None) w.string("error", errorName(error));
    if (error == Error::Policy && policy) w.string("policy", policy);
    return w.finish(true);
}

Bytes renderStatus(Language language, const Status& status) {
    json::Writer w;
    w.boolean("ok", true);
    w.string("lang", languageName(language));
    writeStatus(w, status);
    return w.finish(true);
}

Bytes statusJson(const Status& status) {
    json::Writer w;
    writeStatus(w, status);
    return w.finish(false);
}

bool parseResponse(const char* line, std::size_t size, Response& out) {
    out = Response();
    if (size > kMaxResponseBytes) return false;
    std::vector<json::Member> members;
    if (!json::parseObject(line, size, members)) return false;
    const json::Value* ok = json::find(members, "ok");
    if (!ok || (ok->kind != json::Value::True && ok->kind != json::Value::False)) return false;
    out.ok = ok->kind == json::Value::True;
    out.language = json::isString(json::find(members, "lang"), "zh") ? Language::Chinese : Language::English;
    if (!out.ok) {
        const json::Value* error = json::find(members, "error");
        for (int i = 1; i < 7; ++i)
            if (json::isString(error, kErrorNames[i])) out.error = static_cast<Error>(i);
        if (out.error == Error::None) return false;
        const json::Value* policy = json::find(members, "policy");
        if (policy && policy->kind == json::Value::String) out.policy = policy->text;
        out.policy.push_back('\0');
        return true;
    }
    return readStatus(members, out);
}

Bytes statusLine(Language language, const Status& s) {
    const bool zh = language == Language::Chinese;
    Bytes out;
    switch (s.state) {
    case State::Working:
    case State::Resting:
        if (zh) {
            append(out, s.state == State::Working ? u8"工作中，还剩 " : u8"休息中，还剩 ");
            appendDuration(out, s.left);
        } else {
            append(out, s.state == State::Working ? "working, " : "resting, ");
            appendDuration(out, s.left);
            append(out, " left");
        }
        break;
    case State::Held: {
        const char* why = s.held ? s.held : "";
        if (zh) {
            append(out, u8"暂缓休息：");
            const char* words[] = {u8"通话", u8"摄像头", u8"演示"};
            for (int i = 0; i < 3; ++i)
                if (std::strcmp(why, kHeldNames[i]) == 0) append(out, words[i]);
        } else {
            append(out, "held: ");
            append(out, why);
        }
        break;
    }
    case State::Paused:
        append(out, zh ? u8"已暂停，到 " : "paused until ");
        appendClock(out, s.pausedUntil < 0 ? 0 : s.pausedUntil);
        break;
    case State::Outside:
        append(out, zh ? u8"现在是非工作时间" : "outside working hours");
        break;
    }
    return out;
}

}  // namespace control
