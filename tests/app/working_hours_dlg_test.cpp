// The working-hours dialog run modally and walked with the keyboard: keys are posted to the
// focused control, so they pass the modal loop's dialog manager as typed keys do.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "hours/hours_clock.h"
#include "hours/working_hours_dlg.h"
#include "resource.h"
#include "test_support.h"

namespace {

const UINT kRunStep = WM_APP + 41;

hours::Schedule scheduleOf(const char* text) {
    hours::Schedule s;
    EXPECT_TRUE(hours::parseValue(kiv::String(text), s)) << text;
    return s;
}

std::string valueText(const hours::Schedule& s) {
    const kiv::String v = hours::valueOf(s);
    std::string out;
    for (unsigned i = 0; i < v.length(); ++i) out += static_cast<char>(v.at(i));
    return out;
}

// The real dialog with a script of steps, each run after what the one before posted (keys).
class ScriptedHoursDlg : public CWorkingHoursDlg {
public:
    using Step = std::function<void(ScriptedHoursDlg&)>;

    BOOL OnInitDialog() override {
        const BOOL result = CWorkingHoursDlg::OnInitDialog();
        ::PostMessageW(m_hWnd, kRunStep, 0, 0);
        return result;
    }
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message != kRunStep) return CWorkingHoursDlg::WindowProc(message, wParam, lParam, result);
        if (wParam < steps.size()) {
            steps[wParam](*this);
            if (m_hWnd) ::PostMessageW(m_hWnd, kRunStep, wParam + 1, 0);
        }
        return true;
    }
    void script(std::vector<Step> s) { steps = std::move(s); }

    int focusId() const {
        HWND focus = ::GetFocus();
        // A picker's focus may sit in its up-down part.
        while (focus && ::GetParent(focus) != m_hWnd) focus = ::GetParent(focus);
        return focus ? ::GetDlgCtrlID(focus) : 0;
    }
    bool checked(int id) const { return ::SendMessageW(GetDlgItem(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool enabled(int id) const { return ::IsWindowEnabled(GetDlgItem(id)) != FALSE; }
    void setTime(int id, int hour, int minute) {
        SYSTEMTIME t{};
        ::GetLocalTime(&t);
        t.wHour = static_cast<WORD>(hour);
        t.wMinute = static_cast<WORD>(minute);
        t.wSecond = 0;
        ::SendMessageW(GetDlgItem(id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t));
    }

    std::vector<Step> steps;
    std::vector<int> focusSeen;
};

// Keys as the keyboard sends them, to the focused window.
ScriptedHoursDlg::Step key(UINT vk) {
    return [vk](ScriptedHoursDlg&) {
        HWND focus = ::GetFocus();
        ::PostMessageW(focus, WM_KEYDOWN, vk, 1);
        ::PostMessageW(focus, WM_KEYUP, vk, 0xC0000001);
    };
}
// Alt+`c`: the dialog manager finds the control whose text underlines it.
ScriptedHoursDlg::Step alt(wchar_t c) {
    return [c](ScriptedHoursDlg&) { ::PostMessageW(::GetFocus(), WM_SYSCHAR, c, 0x20000001); };
}
ScriptedHoursDlg::Step look() {
    return [](ScriptedHoursDlg& d) { d.focusSeen.push_back(d.focusId()); };
}
ScriptedHoursDlg::Step command(int id) {
    return [id](ScriptedHoursDlg& d) { ::SendMessageW(d.m_hWnd, WM_COMMAND, id, 0); };
}

TEST(WorkingHoursDlg, TabWalksEachRowInOrderAndSkipsWhatIsOff) {
    test::MessageBoxRecorder boxes;
    ScriptedHoursDlg dlg;
    dlg.m_schedule = scheduleOf("mon 08:30-12:00 13:00-18:00; tue 09:00-17:00");
    std::vector<ScriptedHoursDlg::Step> steps{look()};
    for (int i = 0; i < 9; ++i) {
        steps.push_back(key(VK_TAB));
        steps.push_back(look());
    }
    steps.push_back(command(IDCANCEL));
    dlg.script(std::move(steps));
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    // Monday: both ranges; Tuesday: one (its second box, but not its pickers); Wednesday: off.
    const std::vector<int> expected{
        IDC_HOURS_DAY + 0, IDC_HOURS_FROM1 + 0, IDC_HOURS_TO1 + 0, IDC_HOURS_SECOND + 0, IDC_HOURS_FROM2 + 0,
        IDC_HOURS_TO2 + 0, IDC_HOURS_DAY + 1, IDC_HOURS_FROM1 + 1, IDC_HOURS_TO1 + 1, IDC_HOURS_SECOND + 1,
    };
    EXPECT_EQ(dlg.focusSeen, expected);
    EXPECT_TRUE(boxes.shown().empty());
}

// Each picker comes right after a label (its name for a screen reader), and each day's
// box has a mnemonic of its own.
TEST(WorkingHoursDlg, PickersFollowTheirLabelsAndDaysHaveMnemonics) {
    ScriptedHoursDlg dlg;
    std::vector<std::wstring> dayTexts;
    std::vector<std::wstring> labels;
    dlg.script({[&](ScriptedHoursDlg& d) {
                    for (int day = 0; day < 7; ++day) {
                        dayTexts.push_back(d.GetDlgItemText(IDC_HOURS_DAY + day));
                        for (int column : {IDC_HOURS_FROM1, IDC_HOURS_TO1, IDC_HOURS_FROM2, IDC_HOURS_TO2}) {
                            HWND before = ::GetWindow(d.GetDlgItem(column + day), GW_HWNDPREV);
                            labels.push_back(before && ::GetDlgCtrlID(before) == IDC_STATIC ? L"label" : L"none");
                        }
                    }
                },
                command(IDCANCEL)});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(dayTexts.size(), 7u);
    std::wstring keys;
    for (const std::wstring& text : dayTexts) {
        const size_t amp = text.find(L'&');
        ASSERT_NE(amp, std::wstring::npos) << "no mnemonic";
        ASSERT_LT(amp + 1, text.size());
        EXPECT_EQ(keys.find(::towlower(text[amp + 1])), std::wstring::npos) << "a mnemonic used twice";
        keys += static_cast<wchar_t>(::towlower(text[amp + 1]));
    }
    for (const std::wstring& l : labels) EXPECT_EQ(l, L"label");
}

// Alt+6 checks Saturday (Chinese set: "星期六(&6)"), space checks its second range, Enter is OK.
TEST(WorkingHoursDlg, TheKeyboardSetsADayAndItsSecondRange) {
    test::MessageBoxRecorder boxes;
    ScriptedHoursDlg dlg;  // not set: no day checked
    bool pickersOffAtFirst = false;
    bool pickersOnAfter = false;
    dlg.script({[&](ScriptedHoursDlg& d) { pickersOffAtFirst = !d.enabled(IDC_HOURS_FROM1 + 5); },
                alt(L'6'), look(),
                [&](ScriptedHoursDlg& d) { pickersOnAfter = d.enabled(IDC_HOURS_FROM1 + 5) && !d.enabled(IDC_HOURS_FROM2 + 5); },
                key(VK_TAB), key(VK_TAB), key(VK_TAB), look(), key(VK_SPACE),
                [](ScriptedHoursDlg& d) {
                    d.setTime(IDC_HOURS_FROM1 + 5, 9, 0);
                    d.setTime(IDC_HOURS_TO1 + 5, 12, 0);
                    d.setTime(IDC_HOURS_FROM2 + 5, 22, 0);
                    d.setTime(IDC_HOURS_TO2 + 5, 0, 0);  // 24:00
                },
                key(VK_RETURN)});
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(pickersOffAtFirst);
    EXPECT_TRUE(pickersOnAfter);
    EXPECT_EQ(dlg.focusSeen, (std::vector<int>{IDC_HOURS_DAY + 5, IDC_HOURS_SECOND + 5}));
    EXPECT_EQ(valueText(dlg.m_schedule), "sat 09:00-12:00 22:00-24:00");
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(WorkingHoursDlg, OverlapAndEmptyRangesAreRefusedWithTheirDay) {
    const struct {
        const char* name;
        int from1h, to1h, from2h, to2h;
        const wchar_t* message;
    } rows[] = {
        {"overlap", 8, 12, 11, 13, L"星期三的时间段与另一个时间段重叠，请调整。"},
        {"empty", 9, 9, 13, 14, L"星期三的时间段开始和结束是同一时刻，请改一下结束时间。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        test::MessageBoxRecorder boxes;
        ScriptedHoursDlg dlg;
        dlg.m_schedule = scheduleOf("wed 08:00-09:00 10:00-11:00");
        dlg.script({[&](ScriptedHoursDlg& d) {
                        d.setTime(IDC_HOURS_FROM1 + 2, row.from1h, 0);
                        d.setTime(IDC_HOURS_TO1 + 2, row.to1h, 0);
                        d.setTime(IDC_HOURS_FROM2 + 2, row.from2h, 0);
                        d.setTime(IDC_HOURS_TO2 + 2, row.to2h, 0);
                    },
                    command(IDOK), look(), command(IDCANCEL)});
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        ASSERT_EQ(boxes.shown().size(), 1u);
        EXPECT_EQ(boxes.shown()[0].text, row.message);
        ASSERT_EQ(dlg.focusSeen.size(), 1u);
        EXPECT_EQ(dlg.focusSeen[0] % 10, 2);  // on Wednesday's row
        EXPECT_EQ(valueText(dlg.m_schedule), "wed 08:00-09:00 10:00-11:00");  // nothing handed back
    }
}

TEST(WorkingHoursDlg, RowsShowTheScheduleAndNoDayCheckedMeansAlways) {
    test::MessageBoxRecorder boxes;
    ScriptedHoursDlg dlg;
    dlg.m_schedule = scheduleOf("mon-fri 08:30-12:00 13:00-18:00; sun 22:00-06:00");
    std::vector<bool> days;
    dlg.script({[&](ScriptedHoursDlg& d) {
                    for (int day = 0; day < 7; ++day) days.push_back(d.checked(IDC_HOURS_DAY + day));
                    for (int day = 0; day < 7; ++day)
                        if (d.checked(IDC_HOURS_DAY + day)) ::SendMessageW(d.GetDlgItem(IDC_HOURS_DAY + day), BM_CLICK, 0, 0);
                },
                command(IDOK)});
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(days, (std::vector<bool>{true, true, true, true, true, false, true}));
    EXPECT_FALSE(dlg.m_schedule.set);
    EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
