// kivctl.exe: the command line of kivTool. Each command is one request line to the running
// copy of this user and session (see control/control_protocol.h); `export` needs no running
// copy. Exit codes: 0 done, 1 refused (by a policy, or not possible now), 2 no running copy
// (or one kivctl may not trust), 3 bad usage.
#include <windows.h>

#include <vector>

#include "console.h"
#include "control/control_protocol.h"
#include "kivctl_texts.h"
#include "local.h"
#include "pipe_client.h"

namespace {

using control::Language;
using kivctl::Text;

enum ExitCode { kDone = 0, kRefused = 1, kNoCopy = 2, kBadUsage = 3 };

// The command line's words as UTF-8 (ASCII for every valid word), for the shared parsers.
std::vector<char> narrow(const wchar_t* word) {
    std::vector<char> out;
    for (; *word; ++word) out.push_back(*word < 0x80 ? static_cast<char>(*word) : '?');
    out.push_back('\0');
    return out;
}

// As the program does, first thing: no DLL by name from the folder kivctl lies in (found at
// run time: Windows 7 without KB2533623 lacks the call; then the current directory at least).
void restrictDllSearch() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

int usage(Language language) {
    kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(language, Text::Usage));
    return kBadUsage;
}

int runExport(const wchar_t* file) {
    const Language language = kivctl::localLanguage();
    switch (kivctl::exportHistory(file)) {
    case kivctl::ExportOutcome::Written:
        kivctl::writeFormatted(STD_OUTPUT_HANDLE, kivctl::text(language, Text::ExportDone), file);
        return kDone;
    case kivctl::ExportOutcome::NotWritten:
        kivctl::writeFormatted(STD_ERROR_HANDLE, kivctl::text(language, Text::ExportFailed), file);
        return kRefused;
    case kivctl::ExportOutcome::NoProgram:
        break;
    }
    kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(language, Text::NoProgram));
    return kRefused;
}

// Parses the words after the program's name into a request; false for bad usage.
bool requestOf(int argc, wchar_t** argv, control::Request& request, bool& json) {
    json = false;
    if (argc < 2) return false;
    const std::vector<char> name = narrow(argv[1]);
    if (!control::commandFromName(name.data(), request.command)) return false;
    switch (request.command) {
    case control::Command::Status:
        if (argc == 3 && ::lstrcmpW(argv[2], L"--json") == 0) json = true;
        else if (argc != 2) return false;
        return true;
    case control::Command::Pause:
        return argc == 3 && control::parseDuration(narrow(argv[2]).data(), request.pause);
    case control::Command::Delay:
        return argc == 3 && control::parseDelay(narrow(argv[2]).data(), request.delay);
    default:
        return argc == 2;
    }
}

int runCommand(const control::Request& request, bool json) {
    control::Bytes line;
    const kivctl::Outcome outcome = kivctl::exchange(control::renderRequest(request), line);
    if (outcome == kivctl::Outcome::Busy) {  // running, but too busy to answer in time
        kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(kivctl::localLanguage(), Text::NotNow));
        return kRefused;
    }
    if (outcome != kivctl::Outcome::Answered) {
        const Language language = kivctl::localLanguage();
        kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(language, outcome == kivctl::Outcome::Stranger
                                                                        ? Text::StrangerPipe
                                                                        : outcome == kivctl::Outcome::Broken
                                                                              ? Text::BadAnswer
                                                                              : Text::NoRunningCopy));
        return kNoCopy;
    }
    control::Response response;
    if (!control::parseResponse(line.data(), line.size(), response)) {
        kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(Language::English, Text::BadAnswer));
        return kNoCopy;
    }
    const Language language = response.language;
    if (!response.ok) {
        switch (response.error) {
        case control::Error::Policy: {
            std::vector<wchar_t> policy(response.policy.begin(), response.policy.end());  // ASCII, NUL-ended
            kivctl::writeFormatted(STD_ERROR_HANDLE, kivctl::text(language, Text::RefusedByPolicy), policy.data());
            return kRefused;
        }
        case control::Error::NotNow:
            kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(language, Text::NotNow));
            return kRefused;
        default:  // the program read our request as bad usage
            return usage(language);
        }
    }
    if (request.command == control::Command::Status) {
        if (!response.hasStatus) {
            kivctl::writeText(STD_ERROR_HANDLE, kivctl::text(language, Text::BadAnswer));
            return kNoCopy;
        }
        control::Bytes out = json ? control::statusJson(response.status)
                                  : control::statusLine(language, response.status);
        out.insert(out.end(), {'\r', '\n'});
        kivctl::writeUtf8(STD_OUTPUT_HANDLE, out);
    }
    return kDone;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    restrictDllSearch();
    if (argc == 3 && ::lstrcmpW(argv[1], L"export") == 0) return runExport(argv[2]);
    control::Request request;
    bool json = false;
    if (!requestOf(argc, argv, request, json)) return usage(kivctl::localLanguage());
    return runCommand(request, json);
}
