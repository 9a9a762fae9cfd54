// The byte and text layers of kiv::BaseStream over an in-memory source and sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "check_recorder.h"
#include "kiv/basestream_kiv.h"

namespace {

// Hands out the source `chunk` bytes per refill and, like the C runtime, reports the end
// only once a refill comes back short. The sink can be made to fail after some bytes: like
// fwrite on a full disk, it takes what fits of the write that fails.
class MemoryStream : public kiv::BaseStream {
public:
    explicit MemoryStream(std::string source = "", unsigned access = kRead, unsigned chunk = 256)
        : source_(std::move(source)), chunk_(chunk), bytes_(chunk) {
        state->access = access;
        state->buffer = bytes_.data();
    }

    bool fillReadBuff() override {
        size_t n = std::min<size_t>(chunk_, source_.size() - offset_);
        source_.copy(reinterpret_cast<char*>(bytes_.data()), n, offset_);
        offset_ += n;
        state->count = static_cast<uint32_t>(n);
        if (n < chunk_) state->eofFlag = true;
        // Like fread with a read error: the bytes it got, and the error.
        if (++refills == failingRefill) state->errorFlag = true;
        return n > 0;
    }
    bool addBuffer(const void* bytes, unsigned size) override {
        ++sinkCalls;
        if (state->errorFlag) return false;
        const size_t room = sinkLimit - std::min(sinkLimit, sink.size());
        sink.append(static_cast<const char*>(bytes), std::min<size_t>(size, room));
        if (size > room) {
            state->errorFlag = true;
            return false;
        }
        return true;
    }

    std::string sink;
    size_t sinkLimit = std::string::npos;
    unsigned sinkCalls = 0;
    unsigned refills = 0;
    unsigned failingRefill = 0;  // 0: no refill fails

private:
    std::string source_;
    size_t offset_ = 0;
    unsigned chunk_;
    std::vector<unsigned char> bytes_;
};

std::vector<std::u16string> readAllLines(kiv::BaseStream& stream, char16_t delimiter = u'\n') {
    std::vector<std::u16string> lines;
    kiv::String line;
    while (stream.readLine(line, delimiter) && lines.size() < 100) lines.emplace_back(line.wstr(), line.length());
    return lines;
}

using Lines = std::vector<std::u16string>;

struct WriteCase {
    const char* name;
    int encoding;
    int newlineMode;
    std::u16string text;
    std::string bytes;
};

TEST(BaseStreamWrite, EncodesEachEncodingExactly) {
    const WriteCase cases[] = {
        {"utf8 crlf", 1, 1, u"a\nb", "a\r\nb"},
        {"utf16 crlf", 2, 1, u"a\nb", std::string("a\0\r\0\n\0b\0", 8)},
        {"utf8 lf only", 1, 0, u"a\nb", "a\nb"},
        {"utf16 lf only", 2, 0, u"a\nb", std::string("a\0\n\0b\0", 6)},
        {"ansi ascii crlf", 0, 1, u"a\nb", "a\r\nb"},
        {"ansi lf only", 0, 0, u"x\n", "x\n"},
        // E4 B8 AD: U+4E2D; E6 96 87: U+6587
        {"utf8 chinese", 1, 1, u"\u4e2d\u6587", "\xE4\xB8\xAD\xE6\x96\x87"},
        {"utf16 chinese", 2, 1, u"\u4e2d", "\x2D\x4E"},
        // F0 9F 98 80: U+1F600, a surrogate pair in UTF-16
        {"utf8 pair", 1, 1, u"\U0001F600", "\xF0\x9F\x98\x80"},
        {"utf16 pair", 2, 1, u"\U0001F600", std::string("\x3D\xD8\x00\xDE", 4)},
        {"existing cr kept", 1, 1, u"a\r\n", "a\r\r\n"},
        {"utf8 line feeds at both ends", 1, 1, u"\n\na\n", "\r\n\r\na\r\n"},
        {"utf16 line feeds at both ends", 2, 1, u"\n\na\n", std::string("\r\0\n\0\r\0\n\0a\0\r\0\n\0", 14)},
        // U+010A, U+0A00, U+0A0A: a 0A byte in a unit that is not a line feed, in either half
        {"utf16 0A bytes are not line feeds", 2, 1, u"\u010a\u0a00\u0a0a", std::string("\x0A\x01\x00\x0A\x0A\x0A", 6)},
        {"utf16be crlf", 3, 1, u"a\n\u4e2d", std::string("\0a\0\r\0\n\x4E\x2D", 8)},
        {"utf16be 0A bytes are not line feeds", 3, 1, u"\u010a\u0a00", std::string("\x01\x0A\x0A\x00", 4)},
        {"empty", 1, 1, u"", ""},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream("", kiv::BaseStream::kWrite);
        stream.setEncoding(c.encoding);
        stream.setNewlineMode(c.newlineMode);
        EXPECT_TRUE(stream.writeText(kiv::String(c.text.c_str(), static_cast<int>(c.text.size()))));
        EXPECT_EQ(stream.sink, c.bytes);
    }
}

// The sink is virtual (for a file, a C runtime call): text goes to it a run at a time,
// not unit by unit. A carriage return is written alone, just before its line feed.
TEST(BaseStreamWrite, EachRunBetweenLineFeedsIsOneSinkCall) {
    const struct {
        const char* name;
        int encoding;
        int newlineMode;
        unsigned calls;
    } cases[] = {
        {"utf8 crlf", 1, 1, 5},   // "ab", CR, "\ncd", CR, "\n"
        {"utf16 crlf", 2, 1, 5},
        {"ansi crlf", 0, 1, 5},
        {"utf8 lf only", 1, 0, 1},
        {"utf16 lf only", 2, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream("", kiv::BaseStream::kWrite);
        stream.setEncoding(c.encoding);
        stream.setNewlineMode(c.newlineMode);
        EXPECT_TRUE(stream.writeText(u"ab\ncd\n"));
        EXPECT_EQ(stream.sinkCalls, c.calls);
    }
}

TEST(BaseStreamWrite, WriteLineEndsWithCrLf) {
    MemoryStream stream("", kiv::BaseStream::kWrite);
    stream.setEncoding(kiv::BaseStream::kUtf8);
    EXPECT_TRUE(stream.writeLine(u"<a/>"));
    EXPECT_TRUE(stream.writeLine(u""));
    EXPECT_EQ(stream.sink, "<a/>\r\n\r\n");
}

TEST(BaseStreamWrite, NarrowTextIsRefused) {
    MemoryStream stream("", kiv::BaseStream::kWrite);
    stream.setEncoding(kiv::BaseStream::kUtf16);
    EXPECT_FALSE(stream.writeText(kiv::String("abc")));
    EXPECT_TRUE(stream.writeText(kiv::String("")));  // nothing to write
    EXPECT_EQ(stream.sink, "");
}

TEST(BaseStreamWrite, WriteIntIsLittleEndian) {
    MemoryStream stream("", kiv::BaseStream::kWrite);
    EXPECT_TRUE(stream.writeInt(0x12345678));
    EXPECT_TRUE(stream.writeInt(-2));
    EXPECT_EQ(stream.sink, std::string("\x78\x56\x34\x12\xFE\xFF\xFF\xFF", 8));
}

TEST(BaseStreamWrite, SinkFailureFailsThisAndEveryLaterWrite) {
    MemoryStream stream("", kiv::BaseStream::kWrite);
    stream.setEncoding(kiv::BaseStream::kUtf8);
    stream.sinkLimit = 2;
    EXPECT_FALSE(stream.writeText(u"abc"));
    EXPECT_TRUE(stream.isError());
    EXPECT_EQ(stream.sink, "ab");
    stream.sinkLimit = std::string::npos;
    EXPECT_FALSE(stream.writeText(u"d"));
    EXPECT_FALSE(stream.writeInt(1));
    EXPECT_EQ(stream.sink, "ab");
}

TEST(BaseStreamWrite, FailedCarriageReturnFailsTheWrite) {
    MemoryStream stream("", kiv::BaseStream::kWrite);
    stream.setEncoding(kiv::BaseStream::kUtf16);
    stream.sinkLimit = 2;  // room for "a" only, not for the CR before the line feed
    EXPECT_FALSE(stream.writeText(u"a\n"));
    EXPECT_EQ(stream.sink, std::string("a\0", 2));
}

TEST(BaseStreamRead, LinesAreTheSameWhateverTheRefillSize) {
    // Every refill boundary falls somewhere inside "\r\n", a line, or the last byte.
    const std::string source = "one\r\ntwo\n\r\nfour\rx\nlast";
    const Lines expected = {u"one", u"two", u"", u"fourx", u"last"};
    for (unsigned chunk : {1u, 2u, 3u, 4u, 5u, 7u, 256u}) {
        SCOPED_TRACE(chunk);
        MemoryStream stream(source, kiv::BaseStream::kRead, chunk);
        stream.setEncoding(kiv::BaseStream::kUtf8);
        EXPECT_EQ(readAllLines(stream), expected);
        EXPECT_FALSE(stream.isError());
        EXPECT_TRUE(stream.isEof());
    }
}

struct LineCase {
    const char* name;
    int encoding;
    std::string source;
    char16_t delimiter;
    Lines lines;
};

TEST(BaseStreamRead, DecodesLinesInEachEncoding) {
    const LineCase cases[] = {
        {"utf8 chinese crlf", 1, "\xE4\xB8\xAD\r\n\xE6\x96\x87", u'\n', {u"\u4e2d", u"\u6587"}},
        {"utf8 pair", 1, "\xF0\x9F\x98\x80\n", u'\n', {u"\U0001F600"}},
        {"utf16 crlf", 2, std::string("a\0\r\0\n\0\x2D\x4E", 8), u'\n', {u"a", u"\u4e2d"}},
        {"utf16 last unit alone", 2, std::string("a\0\n\0b\0", 6), u'\n', {u"a", u"b"}},
        {"utf16be crlf", 3, std::string("\0a\0\r\0\n\x4E\x2D", 8), u'\n', {u"a", u"\u4e2d"}},
        {"ansi ascii", 0, "x\r\ny", u'\n', {u"x", u"y"}},
        {"zero byte ends a line", 1, std::string("a\0b", 3), u'\n', {u"a", u"b"}},
        {"other delimiter keeps cr", 1, "a\r,b", u',', {u"a\r", u"b"}},
        {"last byte alone", 1, "ab\nc", u'\n', {u"ab", u"c"}},
        {"no line end at all", 1, "abc", u'\n', {u"abc"}},
        {"empty source", 1, "", u'\n', {}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream(c.source);
        stream.setEncoding(c.encoding);
        EXPECT_EQ(readAllLines(stream, c.delimiter), c.lines);
    }
}

// Regression: a source ending in a line feed right after a line end gave a last "line"
// holding the line feed itself; a line never holds its delimiter.
TEST(BaseStreamRead, LastByteThatEndsALineGivesAnEmptyLine) {
    const LineCase cases[] = {
        {"lf", 1, "a\n\n", u'\n', {u"a", u""}},
        {"cr", 1, "a\n\r", u'\n', {u"a", u""}},
        {"lone lf", 1, "\n", u'\n', {u""}},
        {"utf16 lf", 2, std::string("a\0\n\0\n\0", 6), u'\n', {u"a", u""}},
        {"utf16 cr", 2, std::string("\r\0", 2), u'\n', {u""}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream(c.source);
        stream.setEncoding(c.encoding);
        EXPECT_EQ(readAllLines(stream, c.delimiter), c.lines);
    }
}

// Regression: a line that was not UTF-8 (one Latin-1 byte in a settings file) came back as
// an empty line with success, so the setting on it went back to its default unnoticed.
TEST(BaseStreamRead, UndecodableLineFailsAndLeavesTheStreamInError) {
    const struct {
        const char* name;
        int encoding;
        std::string source;
    } cases[] = {
        // E9: e-acute in Latin-1; in UTF-8 the lead of a 3-byte sequence, here with nothing after it
        {"e9 alone", 1, "a=1\n\xE9\nb=2\n"},
        {"e9 ends the line", 1, "a=1\r\nname=caf\xE9\r\nb=2\r\n"},
        {"e9 on the last line", 1, "a=1\n\xE9"},
        // 80: a continuation byte without a lead
        {"stray continuation byte", 1, "a=1\nx\x80y\n"},
        // a lone byte where a UTF-16 unit should be
        {"utf16 odd byte", 2, std::string("a\0=\0" "1\0\n\0x", 9)},
        {"utf16be odd byte", 3, std::string("\0a\0=\0" "1\0\nx", 9)},
    };
    for (const auto& c : cases) {
        for (unsigned chunk : {1u, 5u, 256u}) {
            SCOPED_TRACE(testing::Message() << c.name << ", chunk " << chunk);
            MemoryStream stream(c.source, kiv::BaseStream::kRead, chunk);
            stream.setEncoding(c.encoding);
            kiv::String line;
            ASSERT_TRUE(stream.readLine(line));
            EXPECT_EQ(line, u"a=1");
            EXPECT_FALSE(stream.readLine(line));
            EXPECT_TRUE(line.isEmpty());
            EXPECT_TRUE(stream.isError());
            EXPECT_FALSE(stream.readLine(line));  // the lines after it are not read either
        }
    }
}

TEST(BaseStreamRead, ReadErrorDuringALineFailsIt) {
    const struct {
        const char* name;
        int encoding;
        std::string source;
        unsigned chunk;
        unsigned failingRefill;
        Lines before;  // the lines read before the failure
    } cases[] = {
        {"in the middle of a line", 1, "abcdef\n", 3, 2, {}},
        {"after a complete line", 1, "ab\ncd\n", 3, 2, {u"ab"}},
        {"long line", 1, std::string(600, 'x') + "\n", 256, 2, {}},
        {"utf16", 2, std::string("a\0b\0c\0\n\0", 8), 4, 2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryStream stream(c.source, kiv::BaseStream::kRead, c.chunk);
        stream.setEncoding(c.encoding);
        stream.failingRefill = c.failingRefill;
        EXPECT_EQ(readAllLines(stream), c.before);
        EXPECT_TRUE(stream.isError());
    }
}

TEST(BaseStreamRead, ReadAndReadByteCrossRefills) {
    std::string source;
    for (int i = 0; i < 10; ++i) source.push_back(static_cast<char>('0' + i));
    MemoryStream stream(source, kiv::BaseStream::kRead, 3);
    unsigned char first = 0;
    ASSERT_TRUE(stream.readByte(first));
    EXPECT_EQ(first, '0');
    char bytes[16] = {};
    EXPECT_EQ(stream.read(bytes, 7), 7u);
    EXPECT_EQ(std::string(bytes, 7), "1234567");
    EXPECT_EQ(stream.read(bytes, 16), 2u);  // only what is left
    EXPECT_EQ(std::string(bytes, 2), "89");
    EXPECT_TRUE(stream.isEof());
    EXPECT_EQ(stream.read(bytes, 1), 0u);
    EXPECT_FALSE(stream.readByte(first));
    EXPECT_FALSE(stream.isError());
}

TEST(BaseStreamState, ResetStateRestoresDefaultsButKeepsAccess) {
    MemoryStream stream("abc", kiv::BaseStream::kRead | kiv::BaseStream::kWrite);
    stream.setEncoding(kiv::BaseStream::kUtf16);
    stream.setNewlineMode(0);
    unsigned char byte = 0;
    ASSERT_TRUE(stream.readByte(byte));  // buffer now holds bytes
    stream.sinkLimit = 0;
    EXPECT_FALSE(stream.writeText(u"x"));  // error flag set
    ASSERT_TRUE(stream.isError());

    stream.resetState();
    EXPECT_EQ(stream.getEncoding(), kiv::BaseStream::kAnsi);
    EXPECT_EQ(stream.getNewlineMode(), 1);
    EXPECT_FALSE(stream.isError());
    EXPECT_FALSE(stream.isEof());
    EXPECT_TRUE(stream.isBufferEmpty());
    EXPECT_TRUE(stream.isCanRead());
    EXPECT_TRUE(stream.isCanWrite());
}

TEST(BaseStreamChecks, WrongDirectionIsReportedAndRefused) {
    MemoryStream reader("abc", kiv::BaseStream::kRead);
    MemoryStream writer("abc", kiv::BaseStream::kWrite);
    unsigned char byte = 0;
    char bytes[4] = {};
    kiv::String line(u"stale");
    struct Refusal {
        const char* expression;
        unsigned line;
        bool result;
    };
    std::vector<Refusal> refusals;
    {
        kivtest::CheckRecorder checks;
        refusals.push_back({"isCanWrite()", 224, reader.writeText(u"x")});
        refusals.push_back({"isCanWrite()", 224, reader.writeLine(u"x")});
        refusals.push_back({"isCanRead()", 76, writer.read(bytes, 2) != 0});
        refusals.push_back({"isCanRead()", 94, writer.readByte(byte)});
        refusals.push_back({"isCanRead()", 407, writer.readLine(line)});
        ASSERT_EQ(checks.entries().size(), refusals.size());
        for (size_t i = 0; i < refusals.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(checks.entries()[i].expression, refusals[i].expression);
            EXPECT_EQ(checks.entries()[i].file, "src/base/basestream_kiv.cpp");
            EXPECT_EQ(checks.entries()[i].line, refusals[i].line);
            EXPECT_FALSE(refusals[i].result);
        }
    }
    EXPECT_TRUE(reader.sink.empty());
    EXPECT_TRUE(line.isEmpty());
    EXPECT_FALSE(reader.writeInt(7));  // refused without reaching the sink
    EXPECT_TRUE(reader.sink.empty());
}

struct WritableBase : kiv::BaseStream {
    WritableBase() { state->access = kRead | kWrite; }
};

TEST(BaseStreamChecks, NoSourceOrSinkIsReportedAndFails) {
    WritableBase stream;
    kivtest::CheckRecorder checks;
    char bytes[4] = {};
    EXPECT_EQ(stream.read(bytes, 4), 0u);
    ASSERT_EQ(checks.entries().size(), 1u);
    EXPECT_EQ(checks.entries()[0].expression, "!\"[BaseStream::fillReadBuff]it is not carry out\"");
    EXPECT_EQ(checks.entries()[0].file, "src/base/basestream_kiv.cpp");
    EXPECT_EQ(checks.entries()[0].line, 35u);

    EXPECT_FALSE(stream.writeText(u"a"));
    ASSERT_EQ(checks.entries().size(), 2u);
    EXPECT_EQ(checks.entries()[1].expression, "!\"[BaseStream::addBuffer]it is not carry out\"");
    EXPECT_EQ(checks.entries()[1].line, 110u);
}

}  // namespace
