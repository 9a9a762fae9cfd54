#include "hours/working_hours_dlg.h"

#include <commctrl.h>

#include "framework/message_box.h"
#include "framework/resource_string.h"
#include "framework/resources.h"

namespace {

// A new row's ranges: the usual office day.
const hours::Range kDefaultFirst{8 * 60 + 30, 12 * 60};
const hours::Range kDefaultSecond{13 * 60, 18 * 60};

bool isChecked(HWND control) { return ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void setChecked(HWND control, bool checked) {
    ::SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

CWorkingHoursDlg::CWorkingHoursDlg(CDialog* pParent) : CDialog(IDD, pParent) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_DATE_CLASSES;
    ::InitCommonControlsEx(&controls);
}

BOOL CWorkingHoursDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int day = 0; day < hours::kDaysInWeek; ++day) {
        for (int column : {IDC_HOURS_FROM1, IDC_HOURS_TO1, IDC_HOURS_FROM2, IDC_HOURS_TO2})
            ::SendMessageW(GetDlgItem(column + day), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm"));
    }
    writeRows();
    return TRUE;
}

// An end of 24:00 shows as 00:00, which reads back as 24:00 (see minutesOf).
void CWorkingHoursDlg::setMinutes(int id, int minutes) {
    SYSTEMTIME time{};
    ::GetLocalTime(&time);  // a valid date: the picker shows only the time
    time.wHour = static_cast<WORD>(minutes / 60 % 24);
    time.wMinute = static_cast<WORD>(minutes % 60);
    time.wSecond = 0;
    time.wMilliseconds = 0;
    ::SendMessageW(GetDlgItem(id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

int CWorkingHoursDlg::minutesOf(int id) const {
    SYSTEMTIME time{};
    if (::SendMessageW(GetDlgItem(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return -1;
    return time.wHour * 60 + time.wMinute;
}

void CWorkingHoursDlg::writeRows() {
    for (int day = 0; day < hours::kDaysInWeek; ++day) {
        const std::vector<hours::Range>& ranges = m_schedule.days[day];
        const hours::Range first = ranges.empty() ? kDefaultFirst : ranges[0];
        const hours::Range second = ranges.size() > 1 ? ranges[1] : kDefaultSecond;
        setChecked(GetDlgItem(IDC_HOURS_DAY + day), m_schedule.set && !ranges.empty());
        setChecked(GetDlgItem(IDC_HOURS_SECOND + day), ranges.size() > 1);
        setMinutes(IDC_HOURS_FROM1 + day, first.start);
        setMinutes(IDC_HOURS_TO1 + day, first.end);
        setMinutes(IDC_HOURS_FROM2 + day, second.start);
        setMinutes(IDC_HOURS_TO2 + day, second.end);
        enableRow(day);
    }
}

// A row's pickers and second box only while its day is checked; the second range's
// pickers only while its box is checked too.
void CWorkingHoursDlg::enableRow(int day) {
    const bool on = isChecked(GetDlgItem(IDC_HOURS_DAY + day));
    const bool second = on && isChecked(GetDlgItem(IDC_HOURS_SECOND + day));
    ::EnableWindow(GetDlgItem(IDC_HOURS_FROM1 + day), on);
    ::EnableWindow(GetDlgItem(IDC_HOURS_TO1 + day), on);
    ::EnableWindow(GetDlgItem(IDC_HOURS_SECOND + day), on);
    ::EnableWindow(GetDlgItem(IDC_HOURS_FROM2 + day), second);
    ::EnableWindow(GetDlgItem(IDC_HOURS_TO2 + day), second);
}

bool CWorkingHoursDlg::OnCommand(UINT id) {
    const int day = static_cast<int>(id) % 10;
    const int column = static_cast<int>(id) - day;
    if ((column == IDC_HOURS_DAY || column == IDC_HOURS_SECOND) && day < hours::kDaysInWeek) {
        enableRow(day);
        return true;
    }
    return CDialog::OnCommand(id);
}

hours::Schedule CWorkingHoursDlg::readRows(hours::Check& problem) const {
    hours::Schedule schedule;
    for (int day = 0; day < hours::kDaysInWeek; ++day) {
        if (!isChecked(GetDlgItem(IDC_HOURS_DAY + day))) continue;
        schedule.set = true;
        // A picker's 00:00 as an end is the end of the day.
        auto range = [&](int from, int to) {
            const int end = minutesOf(to + day);
            return hours::Range{minutesOf(from + day), end == 0 ? hours::kMinutesInDay : end};
        };
        schedule.days[day].push_back(range(IDC_HOURS_FROM1, IDC_HOURS_TO1));
        if (isChecked(GetDlgItem(IDC_HOURS_SECOND + day)))
            schedule.days[day].push_back(range(IDC_HOURS_FROM2, IDC_HOURS_TO2));
    }
    problem = hours::check(schedule);
    return schedule;
}

void CWorkingHoursDlg::OnOK() {
    hours::Check problem;
    const hours::Schedule schedule = readRows(problem);
    if (problem.problem == hours::Problem::None) {
        m_schedule = schedule;
        EndDialog(IDOK);
        return;
    }
    const UINT message = problem.problem == hours::Problem::OutOfDay ? IDS_HOURS_OUT_OF_DAY
                         : problem.problem == hours::Problem::Empty  ? IDS_HOURS_EMPTY
                                                                     : IDS_HOURS_OVERLAP;
    const std::wstring dayName = fw::loadString(IDS_HOURS_MONDAY + problem.day);
    fw::showMessageBox(m_hWnd, fw::formatString(fw::loadString(message), {dayName}), MB_OK | MB_ICONEXCLAMATION);
    const int column = problem.range == 0 ? IDC_HOURS_FROM1 : IDC_HOURS_FROM2;
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(column + problem.day)), TRUE);
}
