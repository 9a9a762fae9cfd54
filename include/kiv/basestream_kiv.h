// kiv::BaseStream: a byte stream with a read buffer and a text layer on top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kiv/object_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

// Reads raw bytes, single bytes and whole lines, and writes text, in one of four encodings
// (the system ANSI code page, UTF-8, UTF-16 little-endian or big-endian). It knows nothing
// of where the bytes come from or go to: a concrete stream supplies the source
// (`fillReadBuff`, which fills `buffer`) and the sink (`addBuffer`). No byte order mark is
// ever written; one is read only when asked for (takeUtf16ByteOrderMark).
//
// A stream belongs to one thread. It is not copyable: its state pointer points into itself.
class BaseStream : public Object {
public:
    enum Encoding { kAnsi = 0, kUtf8 = 1, kUtf16 = 2, kUtf16BigEndian = 3 };
    enum Access { kRead = 1, kWrite = 2 };

    BaseStream();
    ~BaseStream() override;
    BaseStream(const BaseStream&) = delete;
    BaseStream& operator=(const BaseStream&) = delete;

    // The source: refills `buffer` (the caller has set `position` to 0) and sets `count`;
    // true when at least one byte came. The base stream has no source and reports that.
    virtual bool fillReadBuff();
    // The sink: writes `size` bytes; false when they could not be written. The base stream
    // has no sink and reports that.
    virtual bool addBuffer(const void* bytes, unsigned size);
    // The value's 4 bytes, little-endian. True when the stream is writable and no error
    // has happened (the bytes reached the sink).
    virtual bool writeInt(int32_t value);
    // Every buffered byte has been read and the source has reported its end.
    virtual bool isEof() const;
    // A read or write of the source or sink has failed.
    virtual bool isError() const;

    bool isCanRead() const;
    bool isCanWrite() const;
    void setEncoding(int encoding);
    int getEncoding() const;
    // 1: every line feed written is preceded by a carriage return; 0: written as it is.
    void setNewlineMode(int mode);
    int getNewlineMode() const;
    // Forgets buffered bytes and the error and end flags; encoding back to ANSI, newline
    // mode 1. The access flags and the buffer stay.
    void resetState();
    bool isBufferEmpty() const;
    // For the start of a text: when the next two bytes are a UTF-16 byte order mark (FF FE
    // or FE FF), takes them and switches the encoding to UTF-16 of that byte order; true
    // then. Anything else is left unread. Only the bytes the source gives in one refill are
    // looked at, which for a file is its first 256.
    bool takeUtf16ByteOrderMark();

    // Raw bytes; returns how many were read (0 when the stream refuses).
    unsigned read(void* bytes, unsigned count);
    bool readByte(unsigned char& byte);
    // One line of text without its delimiter (and without carriage returns when the
    // delimiter is a line feed), decoded from the stream's encoding. False when there is
    // no more line or the source failed. A zero unit also ends a line.
    // A line that does not decode (bytes that are not UTF-8, not text of the ANSI code
    // page, or a lone byte where a UTF-16 unit should be) is not handed out as an empty
    // one: the result is false and the stream is left in error, so a reader stops instead
    // of quietly losing that line.
    bool readLine(String& line, char16_t delimiter = u'\n');
    // The wide text, encoded; false when the stream refuses, the text is narrow, the
    // encoding fails, or a byte could not be written.
    bool writeText(const String& text);
    // The text followed by a line feed.
    bool writeLine(const String& text);

protected:
    struct State {
        int32_t encoding = kAnsi;
        int32_t newlineMode = 1;
        bool errorFlag = false;
        bool eofFlag = false;
        uint32_t access = kRead;
        unsigned char* buffer = nullptr;  // provided by the concrete stream
        uint32_t count = 0;               // valid bytes in `buffer`
        uint32_t position = 0;            // next byte to read in `buffer`
    };

    // Points at `ownState` as constructed.
    State* state;

private:
    bool nextByte(unsigned char& byte);
    bool readLineUtf16(String& line, char16_t delimiter);
    bool readLineBytes(String& line, char16_t delimiter);
    bool decodeLine(String& line);
    bool isUtf16() const;
    bool writeRuns(const unsigned char* bytes, size_t size, unsigned unitSize, bool bigEndian = false);

    State ownState;
    // The line being read (and the bytes of UTF-16 text being written), kept between calls
    // so that their memory is reused. Not a std::string: that would link the C++ runtime's
    // compiled narrow string into the program.
    std::vector<char> lineBytes;
    std::u16string lineUnits;
};

}  // namespace kiv
