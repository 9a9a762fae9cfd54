// Every dialog used from the keyboard alone, through the program's message loop: Tab
// reaches each control that takes input, in order, and comes round again; the arrows move
// within the place-of-work group; Space ticks a box; Enter and Esc give OK and Cancel.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dialogs/setting_dlg.h"
#include "framework/dialog.h"
#include "resource.h"
#include "test_support.h"

namespace {

std::vector<UINT>& commands() {
    static std::vector<UINT> list;
    return list;
}

// A dialog class that records its commands instead of ending.
template <typename Base>
class Recording : public Base {
public:
    using Base::Base;
    bool OnCommand(UINT id) override {
        commands().push_back(id);
        return true;
    }
};

// A modeless dialog, shown and focused, whose keys go through the program's message loop.
// The settings dialog is the real one, opened with the place of work `place` (0 home,
// 1 office, -1 neither) as OnSettings fills it; the others are their bare templates.
class KeyboardDialog {
public:
    KeyboardDialog(UINT id, int place) {
        commands().clear();
        if (id == IDD_SETTING_DIALOG) {
            auto settings = std::make_unique<Recording<CSettingDlg>>();
            settings->m_workMinutes = 52;
            settings->m_restMinutes = 8;
            settings->m_place = place;
            m_dlg = std::move(settings);
        } else {
            m_dlg = std::make_unique<Recording<CDialog>>(id);
        }
        if (!m_dlg->Create(id)) return;
        m_dlg->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(hwnd());
        test::pumpMessages();
    }
    ~KeyboardDialog() {
        m_dlg->DestroyWindow();
        test::pumpMessages();
    }
    KeyboardDialog(const KeyboardDialog&) = delete;
    KeyboardDialog& operator=(const KeyboardDialog&) = delete;

    HWND hwnd() const { return m_dlg->GetSafeHwnd(); }
    int focusId() const {
        HWND focus = ::GetFocus();
        return focus && ::IsChild(hwnd(), focus) ? ::GetDlgCtrlID(focus) : 0;
    }
    // A key pressed and released on the focused control.
    void press(UINT key) const {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, key, 1);
        ::PostMessageW(::GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        test::pumpMessages();
    }
    bool isChecked(int id) const { return ::IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }

private:
    std::unique_ptr<CDialog> m_dlg;
};

struct TabRow {
    const char* name;
    UINT id;
    int place;               // the settings' place of work: 0 home, 1 office, -1 neither
    std::vector<int> order;  // the focus, from the first tab stop, one Tab after another
};

void PrintTo(const TabRow& row, std::ostream* out) { *out << row.name; }

const std::vector<TabRow>& tabRows() {
    static const std::vector<TabRow> rows = {
        {"AboutBox", IDD_ABOUTBOX, -1, {IDOK}},
        {"StatusWindow", IDD_KIVTOOL_DIALOG, -1, {IDOK}},
        {"UnlockQuestion", IDD_ASK_DIALOG, -1, {IDC_EDIT_ANSWER, IDOK, IDCANCEL}},
        // The place of work is one stop: the checked button, else the first of the group.
        {"SettingsNoPlace", IDD_SETTING_DIALOG, -1,
         {IDC_EDIT_WORKTIME, IDC_EDIT_RESTTIME, IDC_RADIO_HOME, IDC_CHECK_FULLSCREEN, IDOK, IDCANCEL,
          IDC_CHECK_IDLE_REST, IDC_CHECK_HOLD_CALLS, IDC_BUTTON_WORKING_HOURS}},
        {"SettingsHome", IDD_SETTING_DIALOG, 0,
         {IDC_EDIT_WORKTIME, IDC_EDIT_RESTTIME, IDC_RADIO_HOME, IDC_CHECK_FULLSCREEN, IDOK, IDCANCEL,
          IDC_CHECK_IDLE_REST, IDC_CHECK_HOLD_CALLS, IDC_BUTTON_WORKING_HOURS}},
        {"SettingsOffice", IDD_SETTING_DIALOG, 1,
         {IDC_EDIT_WORKTIME, IDC_EDIT_RESTTIME, IDC_RADIO_OFFICE, IDC_CHECK_FULLSCREEN, IDOK, IDCANCEL,
          IDC_CHECK_IDLE_REST, IDC_CHECK_HOLD_CALLS, IDC_BUTTON_WORKING_HOURS}},
    };
    return rows;
}

class TabOrderTest : public ::testing::TestWithParam<TabRow> {};

TEST_P(TabOrderTest, TabVisitsEachControlInOrderAndShiftTabGoesBack) {
    const TabRow& row = GetParam();
    KeyboardDialog dlg(row.id, row.place);
    ASSERT_NE(dlg.hwnd(), nullptr);

    std::vector<int> forward{dlg.focusId()};
    for (std::size_t i = 0; i < row.order.size(); ++i) {
        dlg.press(VK_TAB);
        forward.push_back(dlg.focusId());
    }
    std::vector<int> expected = row.order;
    expected.push_back(row.order.front());  // round again
    EXPECT_EQ(forward, expected);

    // Back with Shift+Tab: the same stops in reverse.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    std::vector<int> backward;
    for (std::size_t i = 0; i < row.order.size(); ++i) {
        dlg.press(VK_TAB);
        backward.push_back(dlg.focusId());
    }
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(backward, std::vector<int>(row.order.rbegin(), row.order.rend()));
}

INSTANTIATE_TEST_SUITE_P(Dialogs, TabOrderTest, ::testing::ValuesIn(tabRows()),
                         [](const ::testing::TestParamInfo<TabRow>& info) { return std::string(info.param.name); });

TEST(SettingsKeyboard, ArrowsChooseThePlaceAndSpaceTicksTheBoxes) {
    KeyboardDialog dlg(IDD_SETTING_DIALOG, 0);
    ASSERT_NE(dlg.hwnd(), nullptr);
    dlg.press(VK_TAB);
    dlg.press(VK_TAB);
    ASSERT_EQ(dlg.focusId(), IDC_RADIO_HOME);

    dlg.press(VK_RIGHT);
    EXPECT_EQ(dlg.focusId(), IDC_RADIO_OFFICE);
    EXPECT_TRUE(dlg.isChecked(IDC_RADIO_OFFICE));
    EXPECT_FALSE(dlg.isChecked(IDC_RADIO_HOME));
    dlg.press(VK_DOWN);  // the group ends at the office button: round to home
    EXPECT_EQ(dlg.focusId(), IDC_RADIO_HOME);
    EXPECT_TRUE(dlg.isChecked(IDC_RADIO_HOME));
    dlg.press(VK_LEFT);
    EXPECT_TRUE(dlg.isChecked(IDC_RADIO_OFFICE));

    dlg.press(VK_TAB);
    ASSERT_EQ(dlg.focusId(), IDC_CHECK_FULLSCREEN);
    dlg.press(VK_SPACE);
    EXPECT_TRUE(dlg.isChecked(IDC_CHECK_FULLSCREEN));
    dlg.press(VK_SPACE);
    EXPECT_FALSE(dlg.isChecked(IDC_CHECK_FULLSCREEN));
}

TEST(SettingsKeyboard, EnterIsOkAndEscIsCancelFromEveryStop) {
    KeyboardDialog dlg(IDD_SETTING_DIALOG, 0);
    ASSERT_NE(dlg.hwnd(), nullptr);
    // Not from the buttons themselves: Enter on Cancel is Cancel.
    for (int stop : {IDC_EDIT_WORKTIME, IDC_EDIT_RESTTIME, IDC_RADIO_HOME, IDC_CHECK_FULLSCREEN}) {
        SCOPED_TRACE(stop);
        ASSERT_EQ(dlg.focusId(), stop);
        commands().clear();
        dlg.press(VK_RETURN);
        dlg.press(VK_ESCAPE);
        EXPECT_EQ(commands(), (std::vector<UINT>{IDOK, IDCANCEL}));
        dlg.press(VK_TAB);
    }
}

}  // namespace
