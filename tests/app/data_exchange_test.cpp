// Data exchange and validation, on the settings dialog's template with the settings
// dialog's field list.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "dialogs/setting_dlg.h"
#include "framework/dialog.h"
#include "resource.h"
#include "test_support.h"

namespace {

// The settings dialog itself, starting from 52 and 8 minutes.
class SettingsLikeDlg : public CSettingDlg {
public:
    SettingsLikeDlg() {
        m_workMinutes = 52;
        m_restMinutes = 8;
    }
};

class DataExchangeTest : public ::testing::Test {
protected:
    void open() {
        ASSERT_TRUE(dlg.Create(SettingsLikeDlg::IDD));
        dlg.ShowWindow(SW_SHOW);
    }
    void TearDown() override { dlg.DestroyWindow(); }
    bool isChecked(int id) { return ::SendMessageW(dlg.GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void check(int id, bool on) { ::SendMessageW(dlg.GetDlgItem(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

    SettingsLikeDlg dlg;
    test::MessageBoxRecorder boxes;
};

TEST_F(DataExchangeTest, OpeningWritesTheMembersIntoTheControls) {
    dlg.m_workMinutes = 52;
    dlg.m_restMinutes = 8;
    dlg.m_restAtFullScreen = 1;
    dlg.m_place = 1;
    open();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_EDIT_WORKTIME), L"52");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_EDIT_RESTTIME), L"8");
    EXPECT_TRUE(isChecked(IDC_CHECK_FULLSCREEN));
    EXPECT_FALSE(isChecked(IDC_RADIO_HOME));
    EXPECT_TRUE(isChecked(IDC_RADIO_OFFICE));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(DataExchangeTest, OpeningShowsOutOfRangeValuesWithoutComplaint) {
    dlg.m_workMinutes = 0;  // a configured time under one minute
    dlg.m_restMinutes = 4000000000u;
    dlg.m_restAtFullScreen = 7;  // outside 0..2: shown clear
    open();
    EXPECT_EQ(dlg.GetDlgItemText(IDC_EDIT_WORKTIME), L"0");
    EXPECT_EQ(dlg.GetDlgItemText(IDC_EDIT_RESTTIME), L"4000000000");
    EXPECT_FALSE(isChecked(IDC_CHECK_FULLSCREEN));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(DataExchangeTest, SavingReadsTheControlsBack) {
    open();
    dlg.SetDlgItemText(IDC_EDIT_WORKTIME, L"45");
    dlg.SetDlgItemText(IDC_EDIT_RESTTIME, L"10");
    check(IDC_CHECK_FULLSCREEN, true);
    check(IDC_RADIO_HOME, false);
    check(IDC_RADIO_OFFICE, true);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_workMinutes, 45u);
    EXPECT_EQ(dlg.m_restMinutes, 10u);
    EXPECT_EQ(dlg.m_restAtFullScreen, 1);
    EXPECT_EQ(dlg.m_place, 1);
}

TEST_F(DataExchangeTest, NoRadioCheckedReadsMinusOneEvenWithTheCheckBoxInTheGroup) {
    dlg.m_place = -1;
    dlg.m_restAtFullScreen = 1;  // the check box lies inside the radio group's run
    open();
    EXPECT_FALSE(isChecked(IDC_RADIO_HOME));
    EXPECT_FALSE(isChecked(IDC_RADIO_OFFICE));
    dlg.m_place = 5;
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_place, -1);
}

struct ValidationRow {
    const char* name;
    const wchar_t* work;
    const wchar_t* rest;
    const wchar_t* message;  // null: accepted
    int focusId;
    std::uint32_t workRead;
};

class ValidationTest : public DataExchangeTest, public ::testing::WithParamInterface<ValidationRow> {};

TEST_P(ValidationTest, RefusesWithTheFrameworkMessageOrAccepts) {
    const ValidationRow& row = GetParam();
    open();
    dlg.SetDlgItemText(IDC_EDIT_WORKTIME, row.work);
    dlg.SetDlgItemText(IDC_EDIT_RESTTIME, row.rest);
    const bool ok = dlg.UpdateData(true);

    if (!row.message) {
        EXPECT_TRUE(ok);
        EXPECT_TRUE(boxes.shown().empty());
        EXPECT_EQ(dlg.m_workMinutes, row.workRead);
        return;
    }
    EXPECT_FALSE(ok);
    // The first failure stops the exchange: one message only.
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, row.message);
    EXPECT_EQ(boxes.shown()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));

    HWND edit = dlg.GetDlgItem(row.focusId);
    EXPECT_EQ(::GetFocus(), edit);
    DWORD start = 1, end = 0;
    ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthW(edit)));
}

const wchar_t kWorkRange[] = L"Please enter an integer between 1 and 1000000.";
const wchar_t kRestRange[] = L"Please enter an integer between 1 and 100000.";
const wchar_t kNotANumber[] = L"Please enter a positive integer.";

INSTANTIATE_TEST_SUITE_P(
    Table, ValidationTest,
    ::testing::Values(ValidationRow{"WorkZero", L"0", L"8", kWorkRange, IDC_EDIT_WORKTIME, 0},
                      ValidationRow{"WorkTooLarge", L"1000001", L"8", kWorkRange, IDC_EDIT_WORKTIME, 0},
                      ValidationRow{"WorkNegative", L"-5", L"8", kWorkRange, IDC_EDIT_WORKTIME, 0},
                      ValidationRow{"WorkHuge", L"4294967297", L"8", kWorkRange, IDC_EDIT_WORKTIME, 0},
                      ValidationRow{"WorkLetters", L"abc", L"", kNotANumber, IDC_EDIT_WORKTIME, 0},
                      ValidationRow{"RestTooLarge", L"52", L"100001", kRestRange, IDC_EDIT_RESTTIME, 0},
                      ValidationRow{"RestEmpty", L"52", L"", kNotANumber, IDC_EDIT_RESTTIME, 0},
                      ValidationRow{"WorkWithTrailingLetters", L"25abc", L"8", nullptr, 0, 25},
                      ValidationRow{"UpperBounds", L"1000000", L"100000", nullptr, 0, 1000000},
                      ValidationRow{"LowerBounds", L" 1", L"1", nullptr, 0, 1}),
    [](const ::testing::TestParamInfo<ValidationRow>& info) { return std::string(info.param.name); });

TEST(DataExchangeWithoutWindow, FailsQuietlyAndLeavesTheMembers) {
    test::MessageBoxRecorder boxes;
    SettingsLikeDlg dlg;
    dlg.m_workMinutes = 52;
    EXPECT_FALSE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_workMinutes, 52u);
    EXPECT_TRUE(boxes.shown().empty());
}

// Text fields, on the unlock question's answer box.
class TextDlg : public CDialog {
public:
    TextDlg() : CDialog(IDD_ASK_DIALOG) {}
    void DoDataExchange(fw::DataExchange& dx) override { dx.text(IDC_EDIT_ANSWER, m_answer); }
    std::wstring m_answer = L"四十二";
};

TEST(DataExchangeText, WritesAndReadsTheEditText) {
    TextDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_ASK_DIALOG));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_EDIT_ANSWER), L"四十二");
    dlg.SetDlgItemText(IDC_EDIT_ANSWER, L"");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.m_answer, L"");
    dlg.DestroyWindow();
}

}  // namespace
