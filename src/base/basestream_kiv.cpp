// The byte and text layers of kiv::BaseStream, independent of any source or sink.
#include "kiv/basestream_kiv.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kiv/debug_kiv.h"
#include "kiv/stringc_kiv.h"
#include "utf8_kiv.h"

namespace kiv {

namespace {
const char kFile[] = "src/base/basestream_kiv.cpp";
const char16_t kCarriageReturn = 13;
const char16_t kLineFeed = 10;
}  // namespace

BaseStream::BaseStream() : state(&ownState) {}

BaseStream::~BaseStream() = default;

bool BaseStream::fillReadBuff() {
    reportCheck("!\"[BaseStream::fillReadBuff]it is not carry out\"", kFile, 35);
    return false;
}

bool BaseStream::addBuffer(const void*, unsigned) {
    reportCheck("!\"[BaseStream::addBuffer]it is not carry out\"", kFile, 110);
    return false;
}

bool BaseStream::writeInt(int32_t value) {
    // Refused like any write, so a read-only stream never reaches its sink.
    if (!isCanWrite() || isError()) return false;
    uint32_t bits = static_cast<uint32_t>(value);
    unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                              static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
    addBuffer(bytes, sizeof bytes);
    return !isError();
}

bool BaseStream::isEof() const { return state->position >= state->count && state->eofFlag; }

bool BaseStream::isError() const { return state->errorFlag; }

bool BaseStream::isCanRead() const { return (state->access & kRead) != 0; }

bool BaseStream::isCanWrite() const { return (state->access & kWrite) != 0; }

void BaseStream::setEncoding(int encoding) { state->encoding = encoding; }

int BaseStream::getEncoding() const { return state->encoding; }

void BaseStream::setNewlineMode(int mode) { state->newlineMode = mode; }

int BaseStream::getNewlineMode() const { return state->newlineMode; }

void BaseStream::resetState() {
    state->count = 0;
    state->position = 0;
    state->errorFlag = false;
    state->eofFlag = false;
    state->newlineMode = 1;
    state->encoding = kAnsi;
}

bool BaseStream::isBufferEmpty() const { return state->position >= state->count; }

bool BaseStream::takeUtf16ByteOrderMark() {
    if (!isCanRead() || isError()) return false;
    if (state->position >= state->count) {
        if (isEof()) return false;
        state->position = 0;
        if (!fillReadBuff()) return false;
    }
    if (state->count - state->position < 2) return false;
    const unsigned char* mark = state->buffer + state->position;
    int encoding;
    if (mark[0] == 0xFF && mark[1] == 0xFE) encoding = kUtf16;
    else if (mark[0] == 0xFE && mark[1] == 0xFF) encoding = kUtf16BigEndian;
    else return false;
    state->position += 2;
    state->encoding = encoding;
    return true;
}

bool BaseStream::isUtf16() const { return state->encoding == kUtf16 || state->encoding == kUtf16BigEndian; }

// The next buffered byte, refilling the buffer when it has run empty.
bool BaseStream::nextByte(unsigned char& byte) {
    if (state->position >= state->count) {
        state->position = 0;
        if (!fillReadBuff()) return false;
        if (state->position >= state->count) return false;  // a source that claims bytes but gives none
    }
    byte = state->buffer[state->position++];
    return true;
}

unsigned BaseStream::read(void* bytes, unsigned count) {
    if (!check(isCanRead(), "isCanRead()", kFile, 76)) return 0;
    // isError first: a closed file answers it without being asked isEof.
    if (isError() || isEof()) return 0;
    unsigned char* out = static_cast<unsigned char*>(bytes);
    for (unsigned i = 0; i < count; ++i) {
        if (!nextByte(out[i])) return i;
    }
    return count;
}

bool BaseStream::readByte(unsigned char& byte) {
    if (!check(isCanRead(), "isCanRead()", kFile, 94)) return false;
    if (isError() || isEof()) return false;
    return nextByte(byte);
}

bool BaseStream::readLine(String& line, char16_t delimiter) {
    line.clear();
    if (!check(isCanRead(), "isCanRead()", kFile, 407)) return false;
    if (isError() || isEof()) return false;
    return isUtf16() ? readLineUtf16(line, delimiter) : readLineBytes(line, delimiter);
}

// Lines end at the delimiter, at a zero unit or at the end of the source; carriage returns
// are dropped when the delimiter is a line feed. The last unit of the source is no
// different: a file ending in "\n\n" gives an empty last line, never one holding "\n".
//
// The checks of read() (error, end) are made once per refill rather than once per unit:
// between refills neither answer can change. readLine has seen no error before the first.
bool BaseStream::readLineUtf16(String& line, char16_t delimiter) {
    std::u16string& units = lineUnits;
    units.clear();
    bool errorSeen = false;  // isError() after the last refill
    // The byte that holds the low half of a unit: the first (little-endian) or the second.
    const unsigned low = state->encoding == kUtf16BigEndian ? 1 : 0;
    // A unit is two bytes. Straight from the buffer while it holds both bytes; otherwise
    // read() refills and makes its checks. An odd byte left at the end is not a unit but
    // input that does not decode: the line fails and the stream is in error.
    auto readUnit = [this, &errorSeen, low](char16_t& unit) {
        const uint32_t position = state->position;
        const unsigned char* bytes = state->buffer + position;
        unsigned char copied[2];
        if (!errorSeen && position + 2 <= state->count) {
            state->position = position + 2;
        } else {
            const unsigned got = read(copied, 2);
            errorSeen = isError();
            if (got == 1) state->errorFlag = true;
            if (got != 2) return false;
            bytes = copied;
        }
        unit = static_cast<char16_t>(bytes[low] | (bytes[1 - low] << 8));
        return true;
    };
    const bool dropCr = delimiter == kLineFeed;
    char16_t unit = 0;
    if (!readUnit(unit)) return false;
    while (unit != 0 && unit != delimiter) {
        if (!(unit == kCarriageReturn && dropCr)) units.push_back(unit);
        // The end is only possible once the buffer is used up.
        if (state->position >= state->count && isEof()) break;
        if (!readUnit(unit)) {
            if (isError()) return false;
            break;
        }
    }
    if (units.empty()) {
        if (!line.isWide()) line = String();
    } else {
        line.assign(units.data(), static_cast<int>(units.size()));
    }
    return true;
}

namespace {

// The first zero byte or `end` byte in [begin, limit), or `limit`.
const unsigned char* findLineEnd(const unsigned char* begin, const unsigned char* limit, unsigned char end) {
    const size_t size = static_cast<size_t>(limit - begin);
    const void* hit = std::memchr(begin, end, size);
    const unsigned char* stop = hit ? static_cast<const unsigned char*>(hit) : limit;
    if (end != 0) {
        const void* zero = std::memchr(begin, 0, static_cast<size_t>(stop - begin));
        if (zero) stop = static_cast<const unsigned char*>(zero);
    }
    return stop;
}

// Appends [begin, stop) to `bytes`, without its carriage returns when `dropCr` is set.
void appendRun(std::vector<char>& bytes, const unsigned char* begin, const unsigned char* stop, bool dropCr) {
    while (dropCr) {
        const void* found = std::memchr(begin, kCarriageReturn, static_cast<size_t>(stop - begin));
        if (!found) break;
        const unsigned char* cr = static_cast<const unsigned char*>(found);
        bytes.insert(bytes.end(), reinterpret_cast<const char*>(begin), reinterpret_cast<const char*>(cr));
        begin = cr + 1;
    }
    bytes.insert(bytes.end(), reinterpret_cast<const char*>(begin), reinterpret_cast<const char*>(stop));
}

}  // namespace

// Whole runs of the buffer at a time, with the same results as taking the bytes one by one
// with readByte: its error and end checks are made once per refill, where their answers
// can change.
bool BaseStream::readLineBytes(String& line, char16_t delimiter) {
    std::vector<char>& bytes = lineBytes;
    bytes.clear();
    const bool dropCr = delimiter == kLineFeed;
    // A delimiter above 0xFF equals no byte; then only a zero byte ends the line.
    const unsigned char end = delimiter <= 0xFF ? static_cast<unsigned char>(delimiter) : 0;
    bool tookAny = false;    // a byte of this line has been taken
    bool errorSeen = false;  // isError() after the last refill
    for (;;) {
        if (state->position >= state->count) {
            if (tookAny) {
                if (isEof()) break;
                if (isError()) return false;
            }
            state->position = 0;
            // A source that claims bytes but gives none has no more to give.
            if (!fillReadBuff() || state->position >= state->count) {
                if (!tookAny || isError()) return false;
                break;
            }
            errorSeen = isError();
        }
        unsigned char* const buffer = state->buffer;
        const unsigned char* begin = buffer + state->position;
        // After a refill that reported an error, byte-by-byte reading takes its first byte
        // and then stops.
        const unsigned char* limit = errorSeen ? begin + 1 : buffer + state->count;
        const unsigned char* stop = findLineEnd(begin, limit, end);
        appendRun(bytes, begin, stop, dropCr);
        if (stop != limit) {
            state->position = static_cast<uint32_t>(stop + 1 - buffer);
            break;
        }
        state->position = static_cast<uint32_t>(limit - buffer);
        tookAny = true;
        if (errorSeen && state->position < state->count) return false;
    }
    return decodeLine(line);
}

// The bytes of the line read (`lineBytes`) as wide text. A line with bytes that do not
// decode puts the stream in error: an empty line in its place would read as a line that
// is really empty, and whatever it held would be lost without a word.
bool BaseStream::decodeLine(String& line) {
    const unsigned count = static_cast<unsigned>(lineBytes.size());
    if (count == 0) {
        if (!line.isWide()) line = String();
        return true;
    }
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(lineBytes.data());
    String decoded;
    if (state->encoding == kUtf8) {
        // Plain ASCII, the usual line: each byte is its own unit. Widened while looking.
        lineUnits.resize(count);
        char16_t* units = &lineUnits[0];
        unsigned char high = 0;
        for (unsigned i = 0; i < count; ++i) {
            high |= bytes[i];
            units[i] = bytes[i];
        }
        if (high < 0x80) {
            line.assign(units, static_cast<int>(count));
            return true;
        }
        decoded = decodeUtf8(bytes, count);
    } else {
        decoded = stringC().strToWStr(String(lineBytes.data(), static_cast<int>(count)));
    }
    // Both conversions give text for any bytes they accept.
    if (decoded.isEmpty()) {
        state->errorFlag = true;
        return false;
    }
    line = std::move(decoded);
    return true;
}

bool BaseStream::writeText(const String& text) {
    if (!check(isCanWrite(), "isCanWrite()", kFile, 224)) return false;
    if (isError()) return false;
    // Text is wide; narrow units read as wide ones would run past the block.
    if (!text.isWide() && !text.isEmpty()) return false;
    if (isUtf16()) {
        const char16_t* units = text.wstr();
        const unsigned count = text.length();
        const unsigned low = state->encoding == kUtf16BigEndian ? 1 : 0;
        std::vector<char>& bytes = lineBytes;  // reused: no line is being read during a write
        bytes.resize(2 * static_cast<size_t>(count));
        for (unsigned i = 0; i < count; ++i) {
            bytes[2 * i + low] = static_cast<char>(units[i] & 0xFF);
            bytes[2 * i + 1 - low] = static_cast<char>(units[i] >> 8);
        }
        return writeRuns(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 2,
                         state->encoding == kUtf16BigEndian);
    }
    String encoded = state->encoding == kUtf8 ? stringC().wstrToUtf8(text) : stringC().wstrToStr(text);
    // A conversion that fails gives nothing; writing nothing would look like success.
    if (!text.isEmpty() && encoded.isEmpty()) return false;
    return writeRuns(reinterpret_cast<const unsigned char*>(encoded.str()), encoded.length(), 1);
}

// One sink call per run between line feeds, not one per unit: the sink is virtual and, for
// a file, a locked C runtime call, which made the calls most of the cost of an XML save.
// Each line feed starts the next run, its carriage return written alone just before it:
// the bytes are those of writing unit by unit, and a sink that takes what fits of a
// failing write (a file on a full disk) stops at the same byte.
bool BaseStream::writeRuns(const unsigned char* bytes, size_t size, unsigned unitSize, bool bigEndian) {
    static const unsigned char carriageReturn[3] = {0, static_cast<unsigned char>(kCarriageReturn), 0};
    // The low byte of a unit: the second one in big-endian UTF-16.
    const unsigned low = bigEndian ? 1 : 0;
    // A String holds fewer than 2^30 units of at most 3 bytes each here, so no run overflows
    // addBuffer's unsigned size.
    size_t start = 0;
    if (state->newlineMode == 1) {
        for (size_t i = 0; i < size; i += unitSize) {
            if (bytes[i + low] != kLineFeed || (unitSize == 2 && bytes[i + 1 - low] != 0)) continue;
            if (i > start && !addBuffer(bytes + start, static_cast<unsigned>(i - start))) return false;
            if (!addBuffer(carriageReturn + 1 - low, unitSize)) return false;
            start = i;
        }
    }
    return start == size || addBuffer(bytes + start, static_cast<unsigned>(size - start));
}

bool BaseStream::writeLine(const String& text) {
    String withEnd(text);
    withEnd.append(static_cast<unsigned>(kLineFeed));
    return writeText(withEnd);
}

}  // namespace kiv
