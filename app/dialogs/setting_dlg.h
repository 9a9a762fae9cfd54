// The settings dialog: work and rest time in minutes, home or office, whether to rest
// while a full-screen program runs, and whether time away from the keyboard is rest. The caller (OnSettings) fills the members, runs the
// dialog modally and takes the members back only when it ends with IDOK.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/dialog.h"
#include "hours/working_hours.h"
#include "policy/policies.h"
#include "resource.h"

class CSettingDlg : public CDialog {
public:
    enum { IDD = IDD_SETTING_DIALOG };

    explicit CSettingDlg(CDialog* pParent = nullptr);
    ~CSettingDlg() override;

    // Edits 1002 and 1001 as unsigned numbers with their ranges (narrowed by a policy's
    // floor or ceiling), the full-screen box, the radio group, then the away, calls and
    // eye-break boxes; the first refused field stops the exchange with the framework's message
    // and the focus on that field.
    void DoDataExchange(fw::DataExchange& dx) override;
    // Also disables the controls a policy sets and shows the "managed" line under them.
    BOOL OnInitDialog() override;
    // "工作时间...": the working-hours dialog over m_workingHours.
    bool OnCommand(UINT id) override;
    // Runs the working-hours dialog; the hours it gives apply only with this dialog's OK.
    virtual void OnWorkingHours();

    std::uint32_t m_workMinutes = 0;  // 1 to 1000000
    std::uint32_t m_restMinutes = 0;  // 1 to 100000
    int m_restAtFullScreen = 0;       // 1 checked, 0 not
    int m_place = 0;                  // 0 home ("家"), 1 office ("公司"), -1 neither
    int m_idleIsRest = 0;             // 1 checked, 0 not
    int m_holdForCalls = 0;           // 1 checked, 0 not
    hours::Schedule m_workingHours;   // in: the current hours; out: what the user set
    bool m_workingHoursChanged = false;  // the working-hours dialog ended with OK
    int m_eyeBreak = 0;               // 1 checked, 0 not
    policy::Policies m_policies;      // those in force: the members above already follow them
};
