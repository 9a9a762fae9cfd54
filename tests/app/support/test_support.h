// Helpers shared by the application tests: a message pump, a message-box recorder and a
// reader for the dialog templates in the program's resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// Handles every message waiting in the thread's queue the way the program's loop does.
// Returns true when a WM_QUIT was among them (it is consumed).
bool pumpMessages();

// Replaces the framework's message box while alive; records what would have been shown
// and answers IDOK.
class MessageBoxRecorder {
public:
    struct Shown {
        std::wstring text;
        std::wstring caption;
        UINT type;
    };
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    const std::vector<Shown>& shown() const;
};

// One control of a DLGTEMPLATEEX.
struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;  // "Button", "Edit", "Static" for the predefined ordinals
    std::wstring text;
    int iconId = 0;          // a static's picture given by ordinal (ICON statement)
};

// A DLGTEMPLATEEX from the resources, read field by field.
struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring windowClass;  // empty: the system's dialog class
    std::wstring caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// False when the template is missing or not a DLGTEMPLATEEX.
bool loadDialogTemplate(UINT id, DialogTemplate& out, LANGID language = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));

}  // namespace test
