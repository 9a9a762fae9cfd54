// The settings dialog and the About box, run modally as the tray commands run them, and
// driven by messages posted from inside the run.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/about_dlg.h"
#include "dialogs/setting_dlg.h"
#include "resource.h"
#include "test_support.h"

namespace {

const wchar_t kWorkRange[] = L"Please enter an integer between 1 and 1000000.";
const wchar_t kRestRange[] = L"Please enter an integer between 1 and 100000.";
const wchar_t kNotANumber[] = L"Please enter a positive integer.";

// One thing the user does while the dialog is open.
struct Step {
    enum Kind { Type, Click, Command, CloseBox, Look } kind;
    int id;                  // control or command
    const wchar_t* text;     // Type: the new edit text
};

Step type(int id, const wchar_t* text) { return {Step::Type, id, text}; }
Step click(int id) { return {Step::Click, id, nullptr}; }
Step command(int id) { return {Step::Command, id, nullptr}; }
Step closeBox() { return {Step::CloseBox, 0, nullptr}; }
// Records where the focus is and what the focused edit box has selected.
Step look() { return {Step::Look, 0, nullptr}; }

const UINT kRunStep = WM_APP + 40;

// What a Look step saw.
struct Seen {
    int focusId = 0;
    DWORD selStart = 0;
    DWORD selEnd = 0;
    int textLength = 0;
    std::wstring work, rest;
    bool fullScreen = false, home = false, office = false;
};

// The real dialog with a script: OnInitDialog posts one message per step, so the steps run
// inside the modal loop, in order, after the members have been written into the controls.
class ScriptedSettingDlg : public CSettingDlg {
public:
    BOOL OnInitDialog() override {
        const BOOL result = CSettingDlg::OnInitDialog();
        for (size_t i = 0; i < steps.size(); ++i) ::PostMessageW(m_hWnd, kRunStep, i, 0);
        return result;
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != kRunStep) return CSettingDlg::WindowProc(message, wParam, lParam, result);
        run(steps.at(wParam));
        return true;
    }

    // Built as a new vector and moved in: GCC 12 warns falsely on assigning a braced list.
    void script(std::vector<Step> s) { steps = std::move(s); }

    std::vector<Step> steps;
    std::vector<Seen> seen;

private:
    bool isChecked(int id) const { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void run(const Step& step) {
        switch (step.kind) {
        case Step::Type: SetDlgItemText(step.id, step.text); break;
        case Step::Click: ::SendMessageW(GetDlgItem(step.id), BM_CLICK, 0, 0); break;
        case Step::Command: ::SendMessageW(m_hWnd, WM_COMMAND, step.id, 0); break;
        case Step::CloseBox: ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case Step::Look: {
            Seen s;
            HWND focus = ::GetFocus();
            s.focusId = focus ? ::GetDlgCtrlID(focus) : 0;
            ::SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&s.selStart),
                           reinterpret_cast<LPARAM>(&s.selEnd));
            s.textLength = ::GetWindowTextLengthW(focus);
            s.work = GetDlgItemText(IDC_EDIT_WORKTIME);
            s.rest = GetDlgItemText(IDC_EDIT_RESTTIME);
            s.fullScreen = isChecked(IDC_CHECK_FULLSCREEN);
            s.home = isChecked(IDC_RADIO_HOME);
            s.office = isChecked(IDC_RADIO_OFFICE);
            seen.push_back(s);
            break;
        }
        }
    }
};

// The members as OnSettings fills them for the default settings: 3120 s, 480 s, home.
void fillDefaults(CSettingDlg& dlg) {
    dlg.m_workMinutes = 52;
    dlg.m_restMinutes = 8;
    dlg.m_restAtFullScreen = 0;
    dlg.m_place = 0;
}

TEST(SettingDlg, OpensWithTheMembersInTheControls) {
    const struct {
        std::uint32_t work, rest;
        int fullScreen, place;
        const wchar_t *workText, *restText;
        bool checked, home, office;
    } rows[] = {
        {52, 8, 0, 0, L"52", L"8", false, true, false},
        {1000000, 100000, 1, 1, L"1000000", L"100000", true, false, true},
        {0, 0, 7, -1, L"0", L"0", false, false, false},  // under a minute; a box value beyond 0..2
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.work << " min");
        test::MessageBoxRecorder boxes;
        ScriptedSettingDlg dlg;
        dlg.m_workMinutes = row.work;
        dlg.m_restMinutes = row.rest;
        dlg.m_restAtFullScreen = row.fullScreen;
        dlg.m_place = row.place;
        dlg.script({look(), command(IDCANCEL)});
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        ASSERT_EQ(dlg.seen.size(), 1u);
        EXPECT_EQ(dlg.seen[0].work, row.workText);
        EXPECT_EQ(dlg.seen[0].rest, row.restText);
        EXPECT_EQ(dlg.seen[0].fullScreen, row.checked);
        EXPECT_EQ(dlg.seen[0].home, row.home);
        EXPECT_EQ(dlg.seen[0].office, row.office);
        EXPECT_TRUE(boxes.shown().empty());  // range checks act only on OK
    }
}

TEST(SettingDlg, OkHandsBackWhatTheUserChose) {
    test::MessageBoxRecorder boxes;
    ScriptedSettingDlg dlg;
    fillDefaults(dlg);
    dlg.script({type(IDC_EDIT_WORKTIME, L"25abc"), type(IDC_EDIT_RESTTIME, L" 10"), click(IDC_RADIO_OFFICE),
                 click(IDC_CHECK_FULLSCREEN), command(IDOK)});
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_workMinutes, 25u);
    EXPECT_EQ(dlg.m_restMinutes, 10u);
    EXPECT_EQ(dlg.m_restAtFullScreen, 1);
    EXPECT_EQ(dlg.m_place, 1);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(SettingDlg, CancelAfterEditingHandsNothingBack) {
    for (const Step& ending : {click(IDCANCEL), closeBox()}) {
        SCOPED_TRACE(ending.kind == Step::Click ? "Cancel button" : "close box");
        test::MessageBoxRecorder boxes;
        ScriptedSettingDlg dlg;
        fillDefaults(dlg);
        dlg.script({type(IDC_EDIT_WORKTIME, L"30"), click(IDC_RADIO_OFFICE), click(IDC_CHECK_FULLSCREEN), ending});
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.m_workMinutes, 52u);
        EXPECT_EQ(dlg.m_restMinutes, 8u);
        EXPECT_EQ(dlg.m_restAtFullScreen, 0);
        EXPECT_EQ(dlg.m_place, 0);
        EXPECT_TRUE(boxes.shown().empty());
    }
}

struct RefusedRow {
    const char* name;
    const wchar_t* work;
    const wchar_t* rest;
    const wchar_t* message;
    int field;  // the edit box that gets the focus
};

const RefusedRow kRefused[] = {
    {"work 0", L"0", L"8", kWorkRange, IDC_EDIT_WORKTIME},
    {"work 1000001", L"1000001", L"8", kWorkRange, IDC_EDIT_WORKTIME},
    {"work negative", L"-1", L"8", kWorkRange, IDC_EDIT_WORKTIME},
    {"work letters", L"abc", L"8", kNotANumber, IDC_EDIT_WORKTIME},
    {"rest 100001", L"52", L"100001", kRestRange, IDC_EDIT_RESTTIME},
    {"rest 0", L"52", L"0", kRestRange, IDC_EDIT_RESTTIME},
    {"rest empty", L"52", L"", kNotANumber, IDC_EDIT_RESTTIME},
    {"both wrong: the work time is named", L"", L"", kNotANumber, IDC_EDIT_WORKTIME},
};

// A refused OK shows one message, keeps the dialog open with the offending field focused
// and selected; the user can then correct it and OK again.
TEST(SettingDlg, RefusedInputKeepsTheDialogOpenUntilCorrected) {
    for (const RefusedRow& row : kRefused) {
        SCOPED_TRACE(row.name);
        test::MessageBoxRecorder boxes;
        ScriptedSettingDlg dlg;
        fillDefaults(dlg);
        dlg.script({type(IDC_EDIT_WORKTIME, row.work), type(IDC_EDIT_RESTTIME, row.rest), command(IDOK), look(),
                     type(IDC_EDIT_WORKTIME, L"45"), type(IDC_EDIT_RESTTIME, L"5"), command(IDOK)});
        EXPECT_EQ(dlg.DoModal(), IDOK);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, row.message);
        EXPECT_EQ(boxes.shown()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        ASSERT_EQ(dlg.seen.size(), 1u);
        EXPECT_EQ(dlg.seen[0].focusId, row.field);
        EXPECT_EQ(dlg.seen[0].selStart, 0u);
        EXPECT_EQ(dlg.seen[0].selEnd, static_cast<DWORD>(dlg.seen[0].textLength));
        EXPECT_EQ(dlg.m_workMinutes, 45u);
        EXPECT_EQ(dlg.m_restMinutes, 5u);
    }
}

// --- About box --------------------------------------------------------------------------

std::wstring windowText(HWND wnd) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(wnd, buffer, 256);
    return buffer;
}

class ScriptedAboutDlg : public CAboutDlg {
public:
    BOOL OnInitDialog() override {
        const BOOL result = CAboutDlg::OnInitDialog();
        caption = windowText(m_hWnd);
        for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            texts.push_back(windowText(child));
            if (!icon) icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
        }
        ::PostMessageW(m_hWnd, WM_COMMAND, ending, 0);
        return result;
    }
    UINT ending = IDOK;
    std::wstring caption;
    std::vector<std::wstring> texts;
    HICON icon = nullptr;
};

TEST(AboutDlg, OpensWithItsTextsAndIconAndCloses) {
    for (UINT ending : {IDOK, IDCANCEL}) {
        ScriptedAboutDlg dlg;
        dlg.ending = ending;
        EXPECT_EQ(dlg.DoModal(), static_cast<INT_PTR>(ending));
        EXPECT_EQ(dlg.caption, L"关于Vanto定时休息工具");
        ASSERT_EQ(dlg.texts.size(), 4u);
        EXPECT_EQ(dlg.texts[1], L"Vanto定时休息工具 1.0.2 版");
        EXPECT_EQ(dlg.texts[2].rfind(L"作者:", 0), 0u);
        EXPECT_NE(dlg.texts[2].find(L"\n网站:"), std::wstring::npos);
        EXPECT_EQ(dlg.texts[3], L"确定");
        EXPECT_NE(dlg.icon, nullptr);
    }
}

}  // namespace
