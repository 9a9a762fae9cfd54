// The manifest Windows reads from the built kivTool.exe. Wine ignores most of it, so the
// test reads the embedded text itself: what a standard user's Windows would do with the
// program depends on these entries alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "kivtool_process.h"

using namespace e2e;

namespace {

// The manifest resource (RT_MANIFEST, id 1) of `exe`, as stored; empty when there is none.
std::string embeddedManifest(const std::wstring& exe) {
    HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return {};
    std::string text;
    if (HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
        if (bytes) text.assign(bytes, ::SizeofResource(module, found));
    }
    ::FreeLibrary(module);
    return text;
}

// Registry virtualization is off only with an execution level; the supported systems keep
// Windows from running the program in a compatibility context.
TEST(ManifestE2E, TheProgramAsksForNoVirtualizationAndNamesTheWindowsVersionsItKnows) {
    const std::string manifest = embeddedManifest((programFolder() / L"kivTool.exe").wstring());
    ASSERT_FALSE(manifest.empty());
    const char* const entries[] = {
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">",
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // Windows 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // Windows 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // Windows 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // Windows 10 and 11
    };
    for (const char* entry : entries) EXPECT_NE(manifest.find(entry), std::string::npos) << entry;
    // Nothing asks for more: the program runs with the rights of the user who starts it.
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
    EXPECT_EQ(manifest.find("highestAvailable"), std::string::npos);
}

}  // namespace
