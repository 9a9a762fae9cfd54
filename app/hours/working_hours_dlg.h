// The working-hours dialog: one row per weekday (Monday first) with a check box, a from-to
// range in two time pickers and a second range behind its own check box. The caller fills
// m_schedule, runs the dialog modally and takes m_schedule back when it ends with IDOK; no
// day checked gives a schedule that is not set (always working hours).
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "hours/working_hours.h"
#include "resource.h"

class CWorkingHoursDlg : public CDialog {
public:
    enum { IDD = IDD_WORKING_HOURS_DIALOG };

    // Registers the time pickers' window class first (common controls: date classes).
    explicit CWorkingHoursDlg(CDialog* pParent = nullptr);

    BOOL OnInitDialog() override;
    // Reads the rows; a range outside 00:00-24:00, of no length or overlapping another is
    // refused with a message naming the weekday, and the focus goes to that row.
    void OnOK() override;
    bool OnCommand(UINT id) override;

    // The rows as a schedule (at most two ranges a day); its check problem, if any.
    hours::Schedule readRows(hours::Check& problem) const;

    hours::Schedule m_schedule;

private:
    void writeRows();
    void enableRow(int day);
    int minutesOf(int id) const;
    void setMinutes(int id, int minutes);
};
