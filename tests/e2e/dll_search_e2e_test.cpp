// System DLLs planted beside the program (a download folder it was unpacked into) are never
// loaded in place of the system's. Wine loads its own built-in DLLs whatever lies beside a
// program; told to prefer files ("n,b"), it searches as Windows does, the program's folder
// first, which is what a planted DLL relies on. The planted names are marked so for
// kivTool.exe while the program starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// Wine's own per-program setting, for the program's processes started while it lives:
// DLLs named here are looked for as files first (the key kKey below HKEY_CURRENT_USER).
// Wine reads it when a process starts.
class PreferFilesScope {
public:
    explicit PreferFilesScope(std::initializer_list<const wchar_t*> dlls) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        const wchar_t value[] = L"native,builtin";
        for (const wchar_t* dll : dlls)
            ::RegSetValueExW(key, dll, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
        ::RegCloseKey(key);
    }
    ~PreferFilesScope() { ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey); }
    PreferFilesScope(const PreferFilesScope&) = delete;
    PreferFilesScope& operator=(const PreferFilesScope&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\kivTool.exe\\DllOverrides";
};

TEST(DllSearchE2E, SystemDllsPlantedBesideTheProgramAreNotLoaded) {
    KivTool app({600, 60, 1});
    ASSERT_EQ(app.setupError(), "");
    const std::filesystem::path planted = programFolder().parent_path() / L"tests" / L"e2e" / L"planted_system_dll.dll";
    const wchar_t* const names[] = {L"wtsapi32.dll", L"winmm.dll"};
    for (const wchar_t* name : names) {
        std::error_code error;
        ASSERT_TRUE(std::filesystem::copy_file(planted, app.folder() / name, error)) << error.message();
    }
    bool started = false;
    {
        PreferFilesScope preferFiles({L"wtsapi32", L"winmm"});
        started = app.start();
    }
    // The session events (wtsapi32) are registered and the sound component (winmm) loaded
    // by the time the status window exists. (The planted DLLs export nothing: loaded, they
    // would also keep the program from starting.)
    for (const wchar_t* name : names) {
        const std::filesystem::path marker = app.folder() / (std::wstring(name) + L".loaded");
        EXPECT_FALSE(std::filesystem::exists(marker)) << "the planted " << narrow(name) << " was loaded";
    }
    EXPECT_TRUE(started) << "the program did not start beside the planted DLLs";
    EXPECT_TRUE(!started || app.terminate());
}

}  // namespace
