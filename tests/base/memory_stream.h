// kivtest::MemoryStream: a kiv::BaseStream over bytes in memory, for tests, fuzz targets and
// benchmarks. Reads hand out the bytes in chunks the size of a file's read buffer (so line
// and character boundaries fall across refills as they do with kiv::File); writes append
// to `written()`.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "kiv/basestream_kiv.h"

namespace kivtest {

class MemoryStream : public kiv::BaseStream {
public:
    explicit MemoryStream(std::string bytes = std::string(), int encoding = kUtf8,
                          unsigned chunk = 256)
        : bytes_(std::move(bytes)), chunk_(std::max(1u, std::min(chunk, kMaxChunk))) {
        state->buffer = buffer_;
        state->access = kRead | kWrite;
        setEncoding(encoding);
    }

    bool fillReadBuff() override {
        const size_t left = bytes_.size() - offset_;
        const size_t take = std::min<size_t>(left, chunk_);
        if (take > 0) std::memcpy(buffer_, bytes_.data() + offset_, take);
        offset_ += take;
        state->count = static_cast<uint32_t>(take);
        // Like a C stream: the end is known once a read comes up short.
        if (take < chunk_) state->eofFlag = true;
        return take > 0;
    }

    bool addBuffer(const void* bytes, unsigned size) override {
        written_.append(static_cast<const char*>(bytes), size);
        return true;
    }

    const std::string& written() const { return written_; }

private:
    static constexpr unsigned kMaxChunk = 4096;

    std::string bytes_;
    size_t offset_ = 0;
    unsigned chunk_;
    unsigned char buffer_[kMaxChunk];
    std::string written_;
};

}  // namespace kivtest
