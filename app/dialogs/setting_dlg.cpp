#include "dialogs/setting_dlg.h"

#include "hours/working_hours_dlg.h"
#include "policy/policy_settings.h"
#include "policy/policy_ui.h"

CSettingDlg::CSettingDlg(CDialog* pParent) : CDialog(IDD, pParent) {}

CSettingDlg::~CSettingDlg() = default;

void CSettingDlg::DoDataExchange(fw::DataExchange& dx) {
    CDialog::DoDataExchange(dx);
    const policy::MinuteRange work = policy::workMinutesRange(m_policies);
    const policy::MinuteRange rest = policy::restMinutesRange(m_policies);
    dx.unsignedValue(IDC_EDIT_WORKTIME, m_workMinutes)
        .rangeCheck(work.minimum, work.maximum)
        .unsignedValue(IDC_EDIT_RESTTIME, m_restMinutes)
        .rangeCheck(rest.minimum, rest.maximum)
        .checkBox(IDC_CHECK_FULLSCREEN, m_restAtFullScreen)
        .radioGroup(IDC_RADIO_HOME, m_place)
        .checkBox(IDC_CHECK_IDLE_REST, m_idleIsRest)
        .checkBox(IDC_CHECK_HOLD_CALLS, m_holdForCalls)
        .checkBox(IDC_CHECK_EYE_BREAK, m_eyeBreak);
}

BOOL CSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    policy::showManagedControls(m_hWnd, m_policies);
    return TRUE;
}

bool CSettingDlg::OnCommand(UINT id) {
    if (id != IDC_BUTTON_WORKING_HOURS) return CDialog::OnCommand(id);
    OnWorkingHours();
    return true;
}

void CSettingDlg::OnWorkingHours() {
    CWorkingHoursDlg dlg(this);
    dlg.m_schedule = m_workingHours;
    if (dlg.DoModal() != IDOK) return;
    m_workingHours = dlg.m_schedule;
    m_workingHoursChanged = true;
}
