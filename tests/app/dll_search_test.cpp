// Where DLLs come from: the search restricted at start, system DLLs by full path.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dll_search.h"

namespace {

std::vector<std::wstring> g_calls;
BOOL g_restrictAnswer = TRUE;

BOOL WINAPI recordSetDefault(DWORD flags) {
    g_calls.push_back(L"SetDefaultDllDirectories:" + std::to_wstring(flags));
    if (!g_restrictAnswer) ::SetLastError(ERROR_PROC_NOT_FOUND);
    return g_restrictAnswer;
}

BOOL WINAPI recordSetDirectory(const wchar_t* directory) {
    g_calls.push_back(std::wstring(L"SetDllDirectory:") + (directory ? L"\"" + std::wstring(directory) + L"\"" : L"null"));
    return TRUE;
}

class DllSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        m_saved = dlls::setSearchCalls({&recordSetDefault, &recordSetDirectory});
    }
    void TearDown() override { dlls::setSearchCalls(m_saved); }
    dlls::SearchCalls m_saved{};
};

// The system folder only: no application folder (the component is loaded by full path), no
// folders added by anyone, no PATH.
TEST_F(DllSearchTest, TheSearchIsTheSystemFolderOnly) {
    g_restrictAnswer = TRUE;
    EXPECT_TRUE(dlls::restrictDllSearch());
    EXPECT_EQ(g_calls, std::vector<std::wstring>{L"SetDefaultDllDirectories:" +
                                                 std::to_wstring(LOAD_LIBRARY_SEARCH_SYSTEM32)});
}

// Windows 7 without KB2533623: at least the current directory leaves the search.
TEST_F(DllSearchTest, WithoutTheCallTheCurrentDirectoryLeavesTheSearch) {
    g_restrictAnswer = FALSE;
    EXPECT_FALSE(dlls::restrictDllSearch());
    EXPECT_EQ(g_calls, (std::vector<std::wstring>{L"SetDefaultDllDirectories:" +
                                                      std::to_wstring(LOAD_LIBRARY_SEARCH_SYSTEM32),
                                                  L"SetDllDirectory:\"\""}));
}

TEST(DllSearch, SystemDllsComeFromTheSystemFolder) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring expected = std::wstring(system) + L"\\wtsapi32.dll";
    EXPECT_EQ(dlls::systemLibraryPath(L"wtsapi32.dll"), expected);
    HMODULE module = dlls::loadSystemLibrary(L"wtsapi32.dll");
    ASSERT_NE(module, nullptr);
    wchar_t loaded[MAX_PATH] = {};
    ::GetModuleFileNameW(module, loaded, MAX_PATH);
    EXPECT_EQ(::CompareStringOrdinal(loaded, -1, expected.c_str(), -1, TRUE), CSTR_EQUAL) << loaded;
    ::FreeLibrary(module);
    EXPECT_EQ(dlls::loadSystemLibrary(L"no-such-kiv-library.dll"), nullptr);
}

}  // namespace
