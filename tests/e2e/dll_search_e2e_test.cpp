// System DLLs planted beside the program (a download folder it was unpacked into) are never
// loaded in place of the system's. Wine loads its own built-in DLLs whatever lies beside a
// program; told to prefer files ("n,b"), it searches as Windows does, the program's folder
// first, which is what a planted DLL relies on.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "kivtool_process.h"
#include "remote_window.h"

using namespace e2e;

namespace {

// Sets an environment variable for the processes started while it lives.
class EnvironmentScope {
public:
    EnvironmentScope(const wchar_t* name, const std::wstring& value) : m_name(name) {
        wchar_t old[1024] = {};
        const DWORD length = ::GetEnvironmentVariableW(name, old, 1024);
        m_had = length > 0 && length < 1024;
        if (m_had) m_old = old;
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentScope() { ::SetEnvironmentVariableW(m_name, m_had ? m_old.c_str() : nullptr); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const wchar_t* m_name;
    std::wstring m_old;
    bool m_had = false;
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
    {
        EnvironmentScope overrides(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;wtsapi32,winmm=n,b");
        ASSERT_TRUE(app.start()) << "the program did not start beside the planted DLLs";
    }
    // The session events (wtsapi32) are registered and the sound component (winmm) loaded
    // by the time the status window exists.
    for (const wchar_t* name : names) {
        const std::filesystem::path marker = app.folder() / (std::wstring(name) + L".loaded");
        EXPECT_FALSE(std::filesystem::exists(marker)) << "the planted " << narrow(name) << " was loaded";
    }
    EXPECT_TRUE(app.terminate());
}

}  // namespace
