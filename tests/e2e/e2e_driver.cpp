// e2e_driver <out-file> <command> [arguments]: looks at kivTool's windows from outside for
// scripts (the demo) that drive it with X input. Runs in the program's Wine desktop, writes
// its answer and then a line "done <exit code>" to <out-file> (a program started through
// Wine's explorer has no standard output of its own).
//
//   tray-icon                 "x y": the screen point of the right-most tray icon
//   wait-title <title> <ms>   a top-level window with this title exists
//   wait-shown <title> <ms>   ... and is visible
//   wait-gone <title> <ms>    no window with this title is left
//   wait-question <ms>        the unlock question (window class "kivAskDlg") is open
//   wait-rest <ms>            a visible dialog without a caption covers the whole screen
//   wait-rest-gone <ms>       no such window is left
//   wait-notice <ms>          the small top-most countdown is shown
//   wait-eye-break <ms>       the eye break is shown (its title starts with its line)
//   wait-eye-break-gone <ms>  no eye break is shown
//   wait-balloon <ms>         a balloon tip is shown
//   wait-no-balloon <ms>      no balloon tip is shown
//   menu-item <n> <count>     "x y": the middle of item n (from 0) of the open popup menu
//                             of <count> items, at any display scale
//   answer                    the product asked by the unlock question
//   command <id>              posts the tray-menu command <id> to the status window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "remote_window.h"

using namespace e2e;

namespace {

// The status window's title in the Chinese and the English set.
const wchar_t* const kStatusTitles[] = {L"Vanto\u5B9A\u65F6\u4F11\u606F\u5DE5\u5177", L"Vanto Break Timer"};

BOOL CALLBACK collectTopLevel(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> all;
    ::EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND titled(const std::wstring& title, bool visible) {
    for (HWND w : topLevelWindows()) {
        if ((!visible || ::IsWindowVisible(w)) && windowText(w) == title) return w;
    }
    return nullptr;
}

// The eye break's window text is its line and the seconds left, in either set.
HWND eyeBreakWindow() {
    const wchar_t* const lines[] = {L"\u770B\u54116\u7C73\u5916\u7684\u8FDC\u5904", L"Look at something far away"};
    for (HWND w : topLevelWindows()) {
        if (!::IsWindowVisible(w)) continue;
        for (const wchar_t* line : lines)
            if (windowText(w).rfind(line, 0) == 0) return w;
    }
    return nullptr;
}

HWND restWindow() {
    RECT screen{};
    ::GetWindowRect(::GetDesktopWindow(), &screen);
    for (HWND w : topLevelWindows()) {
        RECT rect{};
        ::GetWindowRect(w, &rect);
        if (isCaptionlessDialog(w) && ::EqualRect(&rect, &screen)) return w;
    }
    return nullptr;
}

HWND noticeWindow() {
    for (HWND w : topLevelWindows()) {
        RECT rect{};
        ::GetWindowRect(w, &rect);
        if (isCaptionlessDialog(w) && (::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
            rect.right - rect.left < 300 && rect.bottom - rect.top < 200) {
            return w;
        }
    }
    return nullptr;
}

HWND balloon() {
    for (HWND w : topLevelWindows()) {
        if (::IsWindowVisible(w) && _wcsicmp(windowClass(w).c_str(), L"tooltips_class32") == 0 &&
            (::GetWindowLongW(w, GWL_STYLE) & 0x40 /* TTS_BALLOON */)) {
            return w;
        }
    }
    return nullptr;
}

// The screen rectangle of item `index` of the open popup menu (a window of the class
// "#32768") of `count` items. The menu's own answer where Windows gives it to another
// process; else the inside of the menu window divided evenly (its items are all text items
// of one height, at any display scale). Read once the menu window has stopped growing.
bool openMenuItemRect(int index, int count, RECT& item) {
    HWND menu = nullptr;
    RECT rect{}, before{};
    const bool settled = waitFor(
        [&] {
            menu = ::FindWindowW(L"#32768", nullptr);
            if (!menu || !::IsWindowVisible(menu)) return false;
            before = rect;
            ::GetWindowRect(menu, &rect);
            return !::IsRectEmpty(&rect) && ::EqualRect(&rect, &before);
        },
        3000);
    if (!settled) return false;
    const auto handle = reinterpret_cast<HMENU>(::SendMessageW(menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
    if (handle && ::GetMenuItemRect(nullptr, handle, static_cast<UINT>(index), &item) && !::IsRectEmpty(&item))
        return true;
    const int border = ::GetSystemMetrics(SM_CYEDGE) + 1;
    const int inner = rect.bottom - rect.top - 2 * border;
    item = RECT{rect.left + border, rect.top + border + inner * index / count, rect.right - border,
                rect.top + border + inner * (index + 1) / count};
    return true;
}

DWORD argMs(int argc, wchar_t** argv, int i) { return i < argc ? static_cast<DWORD>(_wtoi(argv[i])) : 10000; }

int run(int argc, wchar_t** argv, std::string& out) {
    if (argc < 3) return 2;
    const std::wstring cmd = argv[2];
    if (cmd == L"tray-icon") {
        HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        RECT rect{};
        if (!tray || !::GetWindowRect(tray, &rect)) return 1;
        // The notification area starts at the taskbar's right end; the newest icon is the
        // right-most, one small icon wide.
        const int icon = ::GetSystemMetrics(SM_CXSMICON);
        out = std::to_string(rect.right - icon / 2 - 3) + " " + std::to_string((rect.top + rect.bottom) / 2);
        return 0;
    }
    if (cmd == L"wait-title" && argc > 3) {
        return waitFor([&] { return titled(argv[3], false) != nullptr; }, argMs(argc, argv, 4)) ? 0 : 1;
    }
    if (cmd == L"wait-shown" && argc > 3) {
        return waitFor([&] { return titled(argv[3], true) != nullptr; }, argMs(argc, argv, 4)) ? 0 : 1;
    }
    if (cmd == L"wait-gone" && argc > 3) {
        return waitFor([&] { return titled(argv[3], false) == nullptr; }, argMs(argc, argv, 4)) ? 0 : 1;
    }
    if (cmd == L"wait-no-balloon") return waitFor([] { return balloon() == nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"menu-item" && argc > 4) {
        const int index = _wtoi(argv[3]), count = _wtoi(argv[4]);
        if (count <= 0 || index < 0 || index >= count) return 2;
        RECT item{};
        if (!openMenuItemRect(index, count, item)) return 1;
        out = std::to_string((item.left + item.right) / 2) + " " + std::to_string((item.top + item.bottom) / 2);
        return 0;
    }
    if (cmd == L"wait-question")
        return waitFor([] { return ::FindWindowW(L"kivAskDlg", nullptr) != nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-rest") return waitFor([] { return restWindow() != nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-rest-gone") return waitFor([] { return restWindow() == nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-notice") return waitFor([] { return noticeWindow() != nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-eye-break")
        return waitFor([] { return eyeBreakWindow() != nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-eye-break-gone")
        return waitFor([] { return eyeBreakWindow() == nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"wait-balloon") return waitFor([] { return balloon() != nullptr; }, argMs(argc, argv, 3)) ? 0 : 1;
    if (cmd == L"answer") {
        HWND ask = ::FindWindowW(L"kivAskDlg", nullptr);
        if (!ask) return 1;
        const int a = _wtoi(itemText(ask, 1002).c_str()), b = _wtoi(itemText(ask, 1003).c_str());
        out = std::to_string(a * b);
        return 0;
    }
    if (cmd == L"command" && argc > 3) {
        HWND status = ::FindWindowW(nullptr, kStatusTitles[0]);
        if (!status) status = ::FindWindowW(nullptr, kStatusTitles[1]);
        return status && ::PostMessageW(status, WM_COMMAND, MAKEWPARAM(_wtoi(argv[3]), 0), 0) ? 0 : 1;
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    std::string out;
    const int code = run(argc, argv, out);
    if (FILE* f = _wfopen(argv[1], L"wb")) {
        if (!out.empty()) std::fprintf(f, "%s\n", out.c_str());
        std::fprintf(f, "done %d\n", code);
        std::fclose(f);
    }
    return code;
}
