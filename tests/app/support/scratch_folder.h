// A fresh folder for one test in the current directory (the build tree), removed with
// everything in it when the test ends; with helpers to write and read raw file bytes, so
// the settings files are checked without the library that wrote them.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

#include "kiv/string_kiv.h"

namespace test {

inline kiv::String toKiv(const std::filesystem::path& path) {
    const std::u16string units = path.u16string();
    return kiv::String(units.c_str(), static_cast<int>(units.size()));
}

inline std::filesystem::path toPath(const kiv::String& text) {
    return std::filesystem::path(std::u16string(text.wstr(), text.length()));
}

class ScratchFolder {
public:
    ScratchFolder() {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path base = fs::current_path(error);
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_dir.empty(); ++attempt) {
            fs::path candidate = base / ("kiv_app_scratch_" + std::to_string(random()));
            if (fs::create_directory(candidate, error)) m_dir = candidate;
        }
    }
    ~ScratchFolder() {
        std::error_code error;
        if (!m_dir.empty()) std::filesystem::remove_all(m_dir, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool isReady() const { return !m_dir.empty(); }
    const std::filesystem::path& path() const { return m_dir; }
    // A folder below this one (created), as the program names directories: ending in '\'.
    kiv::String folder(const std::string& name) const {
        std::error_code error;
        std::filesystem::create_directories(m_dir / name, error);
        return toKiv(m_dir / name) + u"\\";
    }
    // The same, not created.
    kiv::String missingFolder(const std::string& name) const { return toKiv(m_dir / name) + u"\\"; }

    static void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string readBytes(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path m_dir;
};

}  // namespace test
