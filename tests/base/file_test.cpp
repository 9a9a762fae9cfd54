// kiv::File on real files: the 256-byte refill, open and reopen, refusals, safe saving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check_recorder.h"
#include "kiv/file_kiv.h"
#include "os_kiv.h"
#include "scratch_dir.h"

namespace {

using Lines = std::vector<std::u16string>;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.isReady()); }
    void TearDown() override { kiv::File::failWritesAfter(-1); }

    // All lines of a file written with `bytes`, read as UTF-8.
    Lines linesOf(const std::string& bytes) {
        scratch.writeBytes(u"lines.txt", bytes);
        kiv::File file;
        EXPECT_TRUE(file.open(scratch.path(u"lines.txt"), kiv::File::kRead, kiv::BaseStream::kUtf8));
        Lines lines;
        kiv::String line;
        while (file.readLine(line) && lines.size() < 100) lines.emplace_back(line.wstr(), line.length());
        EXPECT_FALSE(file.isError());
        EXPECT_TRUE(file.isEof());
        return lines;
    }

    kivtest::ScratchDir scratch;
};

std::u16string repeat(char16_t unit, size_t count) { return std::u16string(count, unit); }

struct BoundaryCase {
    const char* name;
    std::string bytes;
    Lines lines;
};

TEST_F(FileTest, ReadLineAcrossTheRefillBoundary) {
    const std::string x255(255, 'x'), x256(256, 'x'), x257(257, 'x');
    const BoundaryCase cases[] = {
        {"line of 255", x255 + "\nnext", {repeat(u'x', 255), u"next"}},
        {"line of 256", x256 + "\nnext", {repeat(u'x', 256), u"next"}},
        {"line of 257", x257 + "\nnext", {repeat(u'x', 257), u"next"}},
        {"crlf split over the boundary", x255 + "\r\nb", {repeat(u'x', 255), u"b"}},
        {"lf first byte of the second fill", x256 + "\n", {repeat(u'x', 256)}},
        {"exactly 256 bytes, no line end", "ab\n" + std::string(253, 'y'), {u"ab", repeat(u'y', 253)}},
        {"exactly 512 bytes, no line end", std::string(512, 'z'), {repeat(u'z', 512)}},
        {"last line without line end", "a\r\nbc", {u"a", u"bc"}},
        {"one character after the last line end", "a\nb", {u"a", u"b"}},
        {"empty file", "", {}},
    };
    for (const BoundaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(linesOf(c.bytes), c.lines);
    }
}

TEST_F(FileTest, ReadsUtf16Lines) {
    // 2D 4E: U+4E2D; 3D D8 00 DE: U+1F600 as a surrogate pair
    scratch.writeBytes(u"u16.txt", std::string("\x2D\x4E\r\0\n\0\x3D\xD8\x00\xDE", 10));
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"u16.txt"), kiv::File::kRead, kiv::BaseStream::kUtf16));
    kiv::String line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"\u4e2d");
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"\U0001F600");
    EXPECT_FALSE(file.readLine(line));
}

TEST_F(FileTest, ReadOf300From1000BytesThenTheRest) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>(i * 7));
    scratch.writeBytes(u"raw.bin", bytes);
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"raw.bin"), kiv::File::kRead, kiv::BaseStream::kAnsi));
    std::string got(1000, '\0');
    EXPECT_EQ(file.read(&got[0], 300), 300u);
    unsigned char byte = 0;
    ASSERT_TRUE(file.readByte(byte));
    EXPECT_EQ(byte, static_cast<unsigned char>(bytes[300]));
    EXPECT_EQ(file.read(&got[301], 800), 699u);
    got[300] = static_cast<char>(byte);
    EXPECT_EQ(got, bytes);
    EXPECT_TRUE(file.isEof());
}

TEST_F(FileTest, WritesEncodedTextAndIntsToDisk) {
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"out.txt"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    EXPECT_TRUE(file.writeLine(u"\u4e2d"));
    EXPECT_TRUE(file.writeInt(0x01020304));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(scratch.readBytes(u"out.txt"), std::string("\xE4\xB8\xAD\r\n\x04\x03\x02\x01", 9));

    ASSERT_TRUE(file.open(scratch.path(u"out16.txt"), kiv::File::kWrite, kiv::BaseStream::kUtf16));
    EXPECT_TRUE(file.writeText(u"a\nb"));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(scratch.readBytes(u"out16.txt"), std::string("a\0\r\0\n\0b\0", 8));
}

// Regression: names were converted to the ANSI code page before opening, so a profile
// folder with characters outside it could never be read or written.
TEST_F(FileTest, NameOutsideTheAnsiCodePageOpens) {
    // U+8BBE U+7F6E (Chinese) and U+1F600 (an emoji, a surrogate pair)
    const kiv::String name = scratch.path(u"\u8bbe\u7f6e\U0001F600.xml");
    kiv::File file;
    ASSERT_TRUE(file.open(name, kiv::File::kWrite, kiv::BaseStream::kUtf8));
    EXPECT_EQ(file.getPath(), name);
    EXPECT_TRUE(file.writeText(u"<a/>"));
    EXPECT_TRUE(file.close());

    ASSERT_TRUE(file.open(name, kiv::File::kRead, kiv::BaseStream::kUtf8));
    kiv::String line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"<a/>");
    EXPECT_TRUE(file.close());
    // The file on disk carries exactly that name.
    EXPECT_EQ(scratch.readBytes(u"\u8bbe\u7f6e\U0001F600.xml"), "<a/>");
    EXPECT_TRUE(kiv::os::removeFile(name));
}

TEST_F(FileTest, OpenModesChooseAccess) {
    scratch.writeBytes(u"f.txt", "abc");
    struct ModeCase {
        int mode;
        bool canRead;
        bool canWrite;
    };
    const ModeCase cases[] = {{0, true, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        kiv::File file;
        ASSERT_TRUE(file.open(scratch.path(u"f.txt"), c.mode, kiv::BaseStream::kUtf8));
        EXPECT_EQ(file.isCanRead(), c.canRead);
        EXPECT_EQ(file.isCanWrite(), c.canWrite);
        EXPECT_EQ(file.getEncoding(), kiv::BaseStream::kUtf8);
        EXPECT_FALSE(file.isError());
    }
    EXPECT_EQ(scratch.readBytes(u"f.txt"), "");  // mode 2 truncated it
}

TEST_F(FileTest, OpenOfAMissingFileFails) {
    kiv::File file;
    EXPECT_FALSE(file.open(scratch.path(u"missing.txt"), kiv::File::kRead, kiv::BaseStream::kUtf8));
    EXPECT_FALSE(file.isOpened());
    EXPECT_TRUE(file.isError());
    EXPECT_TRUE(file.getPath().isEmpty());
    kiv::String line;
    kivtest::CheckRecorder checks;
    EXPECT_FALSE(file.readLine(line));  // refused quietly: a closed file is in error
    EXPECT_TRUE(checks.entries().empty());
}

TEST_F(FileTest, FailedOpenClosesThePreviousFile) {
    scratch.writeBytes(u"a.txt", "a");
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"a.txt"), kiv::File::kRead, kiv::BaseStream::kUtf8));
    EXPECT_FALSE(file.open(scratch.path(u"missing.txt"), kiv::File::kRead, kiv::BaseStream::kUtf8));
    EXPECT_FALSE(file.isOpened());
    EXPECT_TRUE(file.isError());
    EXPECT_TRUE(file.getPath().isEmpty());
}

TEST_F(FileTest, ReopenStartsFresh) {
    scratch.writeBytes(u"a.txt", "first\n");
    scratch.writeBytes(u"b.txt", "second\n");
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"a.txt"), kiv::File::kRead, kiv::BaseStream::kAnsi));
    kiv::String line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_TRUE(file.isEof());
    file.setNewlineMode(0);

    // Reopening by its own path (which closing clears) and then another file.
    ASSERT_TRUE(file.open(file.getPath(), kiv::File::kRead, kiv::BaseStream::kUtf8));
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"first");
    ASSERT_TRUE(file.open(scratch.path(u"b.txt"), kiv::File::kRead, kiv::BaseStream::kUtf16));
    EXPECT_FALSE(file.isEof());
    EXPECT_FALSE(file.isError());
    EXPECT_EQ(file.getEncoding(), kiv::BaseStream::kUtf16);
    EXPECT_EQ(file.getNewlineMode(), 1);
    EXPECT_EQ(file.getPath(), scratch.path(u"b.txt"));
    file.setEncoding(kiv::BaseStream::kUtf8);
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"second");  // nothing of a.txt was left in the buffer
}

TEST_F(FileTest, WrongDirectionIsReportedAndLeavesTheFileAlone) {
    scratch.writeBytes(u"ro.txt", "keep");
    kiv::File reader;
    kiv::File writer;
    ASSERT_TRUE(reader.open(scratch.path(u"ro.txt"), kiv::File::kRead, kiv::BaseStream::kUtf8));
    ASSERT_TRUE(writer.open(scratch.path(u"wo.txt"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    kiv::String line;
    {
        kivtest::CheckRecorder checks;
        EXPECT_FALSE(reader.writeText(u"x"));
        EXPECT_EQ(checks.only().expression, "isCanWrite()");
        EXPECT_EQ(checks.only().line, 224u);
    }
    {
        kivtest::CheckRecorder checks;
        EXPECT_FALSE(writer.readLine(line));
        EXPECT_EQ(checks.only().expression, "isCanRead()");
        EXPECT_EQ(checks.only().line, 407u);
    }
    EXPECT_FALSE(reader.addBuffer("x", 1));
    EXPECT_FALSE(reader.isError());  // a refused write does not spoil the reader
    ASSERT_TRUE(reader.readLine(line));
    EXPECT_EQ(line, u"keep");
    EXPECT_TRUE(writer.close());
    EXPECT_EQ(scratch.readBytes(u"wo.txt"), "");
}

TEST_F(FileTest, IsEofOnAClosedFileIsReported) {
    kiv::File file;
    kivtest::CheckRecorder checks;
    EXPECT_TRUE(file.isEof());
    EXPECT_EQ(checks.only().expression, "isOpened()");
    EXPECT_EQ(checks.only().file, "src/base/file_kiv.cpp");
    EXPECT_EQ(checks.only().line, 614u);
}

TEST_F(FileTest, FlushPutsTheBytesOnDiskBeforeClose) {
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"s.xml"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    EXPECT_TRUE(file.writeText(u"saved"));
    EXPECT_TRUE(file.flush());
    EXPECT_EQ(scratch.readBytes(u"s.xml"), "saved");
    EXPECT_TRUE(file.close());
    EXPECT_FALSE(file.isOpened());
    EXPECT_TRUE(file.getPath().isEmpty());
    EXPECT_FALSE(file.close());  // nothing left to close
    EXPECT_FALSE(file.flush());
}

TEST_F(FileTest, InjectedFullDiskFailsWritesFlushAndClose) {
    kiv::File file;
    ASSERT_TRUE(file.open(scratch.path(u"full.xml"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    kiv::File::failWritesAfter(3);
    EXPECT_FALSE(file.writeText(u"abcdef"));
    EXPECT_TRUE(file.isError());
    EXPECT_FALSE(file.writeText(u"g"));
    EXPECT_FALSE(file.flush());
    EXPECT_FALSE(file.close());
    EXPECT_EQ(scratch.readBytes(u"full.xml"), "abc");
}

TEST_F(FileTest, InjectedLimitCountsTheBytesOfEveryFile) {
    kiv::File first;
    kiv::File second;
    ASSERT_TRUE(first.open(scratch.path(u"1.bin"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    ASSERT_TRUE(second.open(scratch.path(u"2.bin"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    kiv::File::failWritesAfter(6);
    EXPECT_TRUE(first.writeInt(1));
    EXPECT_FALSE(second.writeInt(2));  // only 2 of its 4 bytes fit
    EXPECT_TRUE(first.close());
    EXPECT_FALSE(second.close());

    kiv::File::failWritesAfter(-1);  // off again: writes succeed
    ASSERT_TRUE(second.open(scratch.path(u"2.bin"), kiv::File::kWrite, kiv::BaseStream::kUtf8));
    EXPECT_TRUE(second.writeText(u"0123456789"));
    EXPECT_TRUE(second.close());
    EXPECT_EQ(scratch.readBytes(u"2.bin"), "0123456789");
}

}  // namespace
