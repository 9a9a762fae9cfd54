// A fresh directory for one test, removed with everything in it when the test ends.
// Natively it lives in the system's temp directory; under Wine in the current directory
// (the build tree), so nothing is left in the prefix.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "kiv/string_kiv.h"
#include "os_kiv.h"

namespace kivtest {

inline std::filesystem::path toFsPath(const kiv::String& wide) {
    return std::filesystem::path(std::u16string(wide.wstr(), wide.length()));
}

inline kiv::String toKivString(const std::filesystem::path& path) {
    std::u16string units = path.u16string();
    return kiv::String(units.c_str(), static_cast<int>(units.size()));
}

class ScratchDir {
public:
    ScratchDir() {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path base = kiv::os::pathSeparator() == u'\\' ? fs::current_path(error) : fs::temp_directory_path(error);
        std::random_device random;
        for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
            fs::path candidate = base / ("kiv_scratch_" + std::to_string(random()));
            if (fs::create_directory(candidate, error)) dir_ = candidate;
        }
    }
    ~ScratchDir() {
        std::error_code error;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    bool isReady() const { return !dir_.empty(); }
    const std::filesystem::path& dir() const { return dir_; }
    // The full name of an entry of the directory, as the library takes it.
    kiv::String path(const char16_t* name) const { return toKivString(dir_ / std::u16string(name)); }

    // Raw file contents, written and read without the library.
    void writeBytes(const char16_t* name, const std::string& bytes) const {
        std::ofstream out(dir_ / std::u16string(name), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string readBytes(const char16_t* name) const {
        std::ifstream in(dir_ / std::u16string(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path dir_;
};

}  // namespace kivtest
