#include "remote_window.h"

#include <cwctype>

namespace e2e {
namespace {

// Sent messages to another process wait at most this long: a hung program fails the
// test instead of hanging it.
constexpr UINT kSendTimeoutMs = 3000;

LRESULT sendTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace

bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        ::Sleep(50);
    }
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->pid) search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM param) {
    if (_wcsicmp(windowClass(child).c_str(), L"Static") == 0) {
        auto* text = reinterpret_cast<std::wstring*>(param);
        *text += windowText(child);
        *text += L'\n';
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> windowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    ::EnumWindows(collectWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool taskbarVisible() {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar && ::IsWindowVisible(taskbar);
}

std::wstring windowText(HWND window) {
    wchar_t buffer[512] = {};
    const LRESULT n = sendTimeout(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer));
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n)) : std::wstring();
}

std::wstring windowClass(HWND window) {
    wchar_t buffer[256] = {};
    const int n = ::GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, n > 0 ? n : 0);
}

bool isCaptionlessDialog(HWND window) {
    return ::IsWindowVisible(window) && windowClass(window) == L"#32770" &&
           (::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) != WS_CAPTION;
}

std::wstring itemText(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return item ? windowText(item) : std::wstring(L"<no control>");
}

bool setItemText(HWND dialog, int id, const std::wstring& text) {
    HWND item = ::GetDlgItem(dialog, id);
    return item && sendTimeout(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == TRUE;
}

bool isChecked(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return item && sendTimeout(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool clickItem(HWND dialog, int id) {
    HWND item = ::GetDlgItem(dialog, id);
    return item && ::PostMessageW(item, BM_CLICK, 0, 0);
}

std::wstring staticTexts(HWND window) {
    std::wstring text;
    ::EnumChildWindows(window, collectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

long long durationSeconds(const std::wstring& text) {
    static const struct {
        const wchar_t* unit;
        long long seconds;
    } kUnits[] = {{L"days", 86400}, {L"hours", 3600}, {L"minutes", 60}, {L"seconds", 1}};
    long long total = 0;
    bool any = false;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L',' || text[i] == L' ') {
            ++i;
            continue;
        }
        if (!std::iswdigit(text[i])) return -1;
        long long number = 0;
        while (i < text.size() && std::iswdigit(text[i])) number = number * 10 + (text[i++] - L'0');
        if (i >= text.size() || text[i] != L' ') return -1;
        ++i;
        bool known = false;
        for (const auto& u : kUnits) {
            const size_t len = wcslen(u.unit);
            if (text.compare(i, len, u.unit) == 0) {
                total += number * u.seconds;
                i += len;
                known = true;
                break;
            }
        }
        if (!known) return -1;
        any = true;
    }
    return any ? total : -1;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace e2e
