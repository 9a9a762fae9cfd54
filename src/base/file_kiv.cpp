// kiv::File: the disk file behind the settings, per-day and XML files.
#include "kiv/file_kiv.h"

#include "kiv/debug_kiv.h"
#include "os_kiv.h"

namespace kiv {

namespace {
const char kFile[] = "src/base/file_kiv.cpp";

// Bytes any File may still write before writes fail as on a full disk; -1: no limit.
long writeBudget = -1;
}  // namespace

File::File() : file(&ownFile) { state->buffer = file->readBuffer; }

File::~File() {
    if (file->handle) std::fclose(file->handle);
}

void File::failWritesAfter(long bytes) { writeBudget = bytes < 0 ? -1 : bytes; }

bool File::closeHandle() {
    bool closed = std::fclose(file->handle) == 0;
    file->handle = nullptr;
    file->path.clear();
    resetState();
    return closed;
}

bool File::open(const String& fileName, int mode, int encoding) {
    // A copy: the caller may pass getPath(), which closing clears.
    const String name(fileName);
    if (isOpened()) closeHandle();
    // Nothing read from an earlier file may leak into this one.
    resetState();
    state->errorFlag = true;

    const char* runtimeMode = "rb";
    state->access = kRead;
    if ((mode & (kRead | kWrite)) == (kRead | kWrite)) {
        runtimeMode = "r+b";
        state->access = kRead | kWrite;
    } else if (mode & kWrite) {
        runtimeMode = "wb";
        state->access = kWrite;
    }

    // By the wide name, so names outside the ANSI code page open too.
    const bool createNew = (mode & (kRead | kWrite | kCreateNew)) == (kWrite | kCreateNew);
    file->handle = createNew ? os::createNewFile(name) : os::openFile(name, runtimeMode);
    if (!file->handle) return false;

    state->errorFlag = false;
    file->path = name;
    state->encoding = encoding;
    state->newlineMode = 1;
    return true;
}

bool File::isOpened() const { return file->handle != nullptr; }

const String& File::getPath() const { return file->path; }

long long File::size() const { return isOpened() ? os::fileSize(file->handle) : -1; }

bool File::flush() {
    if (!isOpened()) return false;
    if (isCanWrite() && !isError()) {
        if (std::fflush(file->handle) != 0 || !os::syncFile(file->handle)) state->errorFlag = true;
    }
    return !isError();
}

bool File::close() {
    if (!isOpened()) return false;
    const bool fine = !isError();
    const bool closed = closeHandle();
    return fine && closed;
}

bool File::fillReadBuff() {
    if (!isOpened()) return false;
    size_t n = std::fread(state->buffer, 1, kBufferSize, file->handle);
    state->count = static_cast<uint32_t>(n);
    if (std::feof(file->handle)) state->eofFlag = true;
    if (std::ferror(file->handle)) state->errorFlag = true;
    return n > 0;
}

bool File::addBuffer(const void* bytes, unsigned size) {
    // A read-only file is never written (that would mark it failed); after a failure every
    // later write fails at once.
    if (!isOpened() || !isCanWrite() || isError()) return false;
    size_t allowed = size;
    bool full = false;
    if (writeBudget >= 0) {
        if (static_cast<unsigned long>(writeBudget) < size) {
            allowed = static_cast<size_t>(writeBudget);
            full = true;
        }
        writeBudget -= static_cast<long>(allowed);
    }
    size_t written = allowed ? std::fwrite(bytes, 1, allowed, file->handle) : 0;
    if (full || written < allowed || std::ferror(file->handle)) {
        state->errorFlag = true;
        return false;
    }
    return true;
}

bool File::isEof() const {
    // Nothing can be read from a closed file.
    if (!check(isOpened(), "isOpened()", kFile, 614)) return true;
    return isBufferEmpty() && std::feof(file->handle);
}

bool File::isError() const { return !isOpened() || state->errorFlag || std::ferror(file->handle); }

}  // namespace kiv
