// Bytes -> a file -> kiv::ProfileFile::load, then the lookups the program makes at start-up.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "kiv/profilefile_kiv.h"
#include "kiv/string_kiv.h"

namespace {

kiv::String inputFile() {
    static const std::u16string name =
        (std::filesystem::temp_directory_path() /
         ("kiv_fuzz_profile_" + std::to_string(getpid()) + ".xml"))
            .u16string();
    return kiv::String(name.c_str(), static_cast<int>(name.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kiv::String name = inputFile();
    FILE* file = std::fopen(std::filesystem::path(std::u16string(name.wstr(), name.length())).c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    kiv::ProfileFile profile;
    profile.load(name);
    const kiv::String section(u"Settings");
    profile.getValue(section, kiv::String(u"RelaxMusic"), kiv::String(u"relax.mp3"));
    profile.getIntValue(section, kiv::String(u"WorkTime"), 3120);
    profile.getIntValue(section, kiv::String(u"RelaxTime"), 480);
    profile.getValue(kiv::String(), kiv::String(u"HomeMode"), kiv::String(u"1"));
    profile.getIntValue(kiv::String(u"a>b[2]"), kiv::String(u"c[0]"), -1);
    return 0;
}
