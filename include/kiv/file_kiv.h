// kiv::File: a disk file as a kiv::BaseStream, through the C runtime's buffered files.
#pragma once

#include <cstdio>

#include "kiv/basestream_kiv.h"
#include "kiv/string_kiv.h"

namespace kiv {

// Files are always opened in binary mode; the text layer of BaseStream does all line-end
// translation. The name is used wide (Windows: _wfopen; POSIX: the name in UTF-8), so a
// profile folder with characters outside the ANSI code page still opens.
//
// Saving safely: write, then `flush()` (pushes the bytes to the disk) and `close()`; both
// return false when anything written since `open` failed.
class File : public BaseStream {
public:
    // Closed: access "read", encoding ANSI; owns a 256-byte read buffer.
    File();
    // Closes the file if it is open.
    ~File() override;

    // Added to kWrite: the file is created new, and the open fails when anything (a file, a
    // link) already has the name, so a planted link is never written through.
    enum { kCreateNew = 4 };

    // Opens `fileName`: mode kRead (1) "rb", kWrite (2) "wb" (truncating), both (3)
    // "r+b", 0 as kRead; kWrite | kCreateNew creates it new. An open file is closed first.
    // `encoding` is a BaseStream::Encoding code.
    // On failure the file is closed, the path empty and isError() true.
    bool open(const String& fileName, int mode, int encoding);
    bool isOpened() const;
    // The size of the open file in bytes; -1 when no file is open or the system cannot say.
    long long size() const;
    // The name the file was opened with; empty when no file is open.
    const String& getPath() const;

    // Writes the C runtime's buffer out and asks the system to put the file on the disk.
    // False (and the error state set) when that fails, when an earlier write failed, or
    // when no file is open. Does nothing more for a file opened only for reading.
    bool flush();
    // Closes the file. False when no file was open, the close failed, or an earlier read
    // or write failed; the file is closed in any case.
    bool close();

    // Test seam: after `bytes` more bytes have been written by any File, writes fail as on
    // a full disk (the write returns false and the error state is set). -1, the default,
    // turns it off. For tests only; not meant to be used from several threads.
    static void failWritesAfter(long bytes);

    bool fillReadBuff() override;
    bool addBuffer(const void* bytes, unsigned size) override;
    // Precondition: a file is open. A closed file reports that and answers true.
    bool isEof() const override;
    // True when no file is open or a read or write has failed.
    bool isError() const override;

private:
    enum { kBufferSize = 256 };

    struct FileState {
        FILE* handle = nullptr;
        String path;
        unsigned char readBuffer[kBufferSize];  // the stream's `buffer`
    };

    // Closes the handle and forgets the path and the stream state; the fclose result.
    bool closeHandle();

    // Points at `ownFile` as constructed.
    FileState* file;
    FileState ownFile;
};

}  // namespace kiv
