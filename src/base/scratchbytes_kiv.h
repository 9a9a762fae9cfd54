// Room for bytes that one function puts together before they become a kiv::String.
//
// The library keeps the C++ runtime's narrow string out of the program: any use of it links
// the runtime's whole compiled copy of that class, a good part of the program's size.
#pragma once

#include <cstddef>

namespace kiv {

// `size` bytes, uninitialised: in the object itself up to `Inline` bytes (the usual short
// text needs no allocation), on the heap beyond.
template <size_t Inline>
class ScratchBytes {
public:
    explicit ScratchBytes(size_t size) : data_(size <= Inline ? inline_ : new char[size]) {}
    ~ScratchBytes() {
        if (data_ != inline_) delete[] data_;
    }
    ScratchBytes(const ScratchBytes&) = delete;
    ScratchBytes& operator=(const ScratchBytes&) = delete;

    char* data() { return data_; }

private:
    char inline_[Inline];
    char* data_;
};

}  // namespace kiv
