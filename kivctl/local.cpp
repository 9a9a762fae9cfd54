#include "local.h"

#include <windows.h>

#include <vector>

#include "framework/handles.h"

namespace kivctl {
namespace {

const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Kelbrook\\kivTool";

// The Language policy: 'z' or 'e', or 0 when not set. The computer's wins, as in the program.
wchar_t languagePolicy() {
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        wchar_t value[4] = L"";
        DWORD size = sizeof(value);
        if (::RegGetValueW(hive, kPolicyKey, L"Language", RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, value,
                           &size) != ERROR_SUCCESS)
            continue;
        if (::lstrcmpW(value, L"zh") == 0) return L'z';
        if (::lstrcmpW(value, L"en") == 0) return L'e';
    }
    return 0;
}

std::vector<wchar_t> moduleFolder() {
    std::vector<wchar_t> path(MAX_PATH * 4);
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return {};
    DWORD cut = n;
    while (cut > 0 && path[cut - 1] != L'\\' && path[cut - 1] != L'/') --cut;
    path.resize(cut);
    return path;
}

void append(std::vector<wchar_t>& out, const wchar_t* text) { out.insert(out.end(), text, text + ::lstrlenW(text)); }

// A path that goes between quotes on a command line as it is: no quote in it (no file name
// has one) and no backslash before the closing quote (that would escape it; it names a
// folder anyway). Anything else would reach kivTool.exe as other words than "--export FILE",
// and it would start as the program instead.
bool quotable(const wchar_t* path, DWORD length) {
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == L'"') return false;
    return length > 0 && path[length - 1] != L'\\';
}

}  // namespace

control::Language localLanguage() {
    const wchar_t policy = languagePolicy();
    if (policy) return policy == L'z' ? control::Language::Chinese : control::Language::English;
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_CHINESE ? control::Language::Chinese
                                                                        : control::Language::English;
}

ExportOutcome exportHistory(const wchar_t* file) {
    std::vector<wchar_t> program = moduleFolder();
    append(program, L"kivTool.exe");
    program.push_back(L'\0');
    if (::GetFileAttributesW(program.data()) == INVALID_FILE_ATTRIBUTES) return ExportOutcome::NoProgram;
    std::vector<wchar_t> full(MAX_PATH * 4);
    const DWORD n = ::GetFullPathNameW(file, static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size() || !quotable(full.data(), n)) return ExportOutcome::NotWritten;
    std::vector<wchar_t> line;
    append(line, L"\"");
    append(line, program.data());
    append(line, L"\" --export \"");
    append(line, full.data());
    append(line, L"\"");
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.data(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return ExportOutcome::NoProgram;
    const fw::KernelHandle thread(process.hThread);
    const fw::KernelHandle exporter(process.hProcess);
    ::WaitForSingleObject(exporter.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(exporter.get(), &code);
    return code == 0 ? ExportOutcome::Written : ExportOutcome::NotWritten;
}

}  // namespace kivctl
