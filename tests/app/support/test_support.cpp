#include "test_support.h"

#include <cstring>

#include "dialogs/ask_dlg.h"
#include "framework/message_box.h"
#include "framework/modeless_registry.h"

namespace test {
namespace {

// Many tests borrow the question's template, which names the question's own window class:
// registered once for the whole run, as CAskDlg::Open registers it in the program.
const bool g_questionClassRegistered = CAskDlg::RegisterWindowClass();

std::vector<MessageBoxRecorder::Shown> g_shown;

int WINAPI recordMessageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
    g_shown.push_back({text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

// Walks a resource's bytes; a read past the end marks the reader as failed.
class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    template <typename T>
    T read() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::wstring readString() {
        std::wstring s;
        for (wchar_t c = read<wchar_t>(); m_ok && c != 0; c = read<wchar_t>()) s.push_back(c);
        return s;
    }
    // sz_Or_Ord: 0 = none, 0xFFFF = an ordinal follows, else a string.
    std::wstring readNameOrOrdinal(int* ordinal = nullptr) {
        const WORD first = read<WORD>();
        if (first == 0) return std::wstring();
        if (first == 0xFFFF) {
            const WORD value = read<WORD>();
            if (ordinal) *ordinal = value;
            return std::wstring();
        }
        m_pos -= sizeof(WORD);
        return readString();
    }
    std::wstring readClassName() {
        int ordinal = 0;
        std::wstring name = readNameOrOrdinal(&ordinal);
        return ordinal ? ordinalClassName(static_cast<WORD>(ordinal)) : name;
    }
    void alignToDword() { m_pos = (m_pos + 3) & ~std::size_t(3); }
    void skip(std::size_t n) { m_pos += n; }

private:
    static std::wstring ordinalClassName(WORD ordinal) {
        switch (ordinal) {
        case 0x80: return L"Button";
        case 0x81: return L"Edit";
        case 0x82: return L"Static";
        case 0x83: return L"ListBox";
        case 0x84: return L"ScrollBar";
        case 0x85: return L"ComboBox";
        default: return L"#" + std::to_wstring(ordinal);
        }
    }

    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace

bool pumpMessages() {
    bool quit = false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        fw::dispatchLoopMessage(msg);
    }
    return quit;
}

MessageBoxRecorder::MessageBoxRecorder() {
    g_shown.clear();
    fw::setMessageBoxFunction(&recordMessageBox);
}

MessageBoxRecorder::~MessageBoxRecorder() { fw::setMessageBoxFunction(nullptr); }

const std::vector<MessageBoxRecorder::Shown>& MessageBoxRecorder::shown() const { return g_shown; }

bool loadDialogTemplate(UINT id, DialogTemplate& out, LANGID language) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceExW(module, MAKEINTRESOURCEW(5) /* RT_DIALOG */, MAKEINTRESOURCEW(id), language);
    if (!info) return false;
    HGLOBAL loaded = ::LoadResource(module, info);
    const auto* data = static_cast<const BYTE*>(::LockResource(loaded));
    if (!data) return false;
    Reader r(data, ::SizeofResource(module, info));

    const WORD version = r.read<WORD>();
    const WORD signature = r.read<WORD>();
    if (version != 1 || signature != 0xFFFF) return false;
    r.read<DWORD>();  // help id
    out.exStyle = r.read<DWORD>();
    out.style = r.read<DWORD>();
    const WORD count = r.read<WORD>();
    out.x = r.read<short>();
    out.y = r.read<short>();
    out.cx = r.read<short>();
    out.cy = r.read<short>();
    r.readNameOrOrdinal();  // menu
    out.windowClass = r.readNameOrOrdinal();
    out.caption = r.readString();
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = r.read<WORD>();
        out.weight = r.read<WORD>();
        r.read<BYTE>();  // italic
        out.charset = r.read<BYTE>();
        out.typeface = r.readString();
    }
    for (WORD i = 0; i < count && r.ok(); ++i) {
        r.alignToDword();
        TemplateItem item;
        r.read<DWORD>();  // help id
        item.exStyle = r.read<DWORD>();
        item.style = r.read<DWORD>();
        item.x = r.read<short>();
        item.y = r.read<short>();
        item.cx = r.read<short>();
        item.cy = r.read<short>();
        item.id = static_cast<int>(r.read<DWORD>());
        item.className = r.readClassName();
        item.text = r.readNameOrOrdinal(&item.iconId);
        r.skip(r.read<WORD>());  // creation data
        out.items.push_back(item);
    }
    return r.ok();
}

}  // namespace test
