// The application object: holds the settings for every part of the program and owns the
// hidden main dialog, whose timer drives the rest scheduler.
#pragma once

#include <cstdint>
#include <memory>

#include "eyebreak/eye_break_timing.h"
#include "framework/winapp.h"
#include "hours/working_hours.h"
#include "kiv/string_kiv.h"
#include "kiv/time_kiv.h"
#include "policy/policies.h"
#include "settings_store.h"

class CkivToolDlg;
namespace instance {
class InstanceLock;
}

class CkivToolApp : public CWinApp {
public:
    CkivToolApp();
    ~CkivToolApp() override;

    // First the one-copy check: a later start shows the running copy's status window and
    // returns FALSE (exit code 0) before any file is read or written; when another program
    // holds the one-copy name, the start says so once and runs anyway. Then common
    // controls, settings, and the main dialog: created, shown and at once hidden to the
    // tray, and the registration with the Restart Manager. TRUE: the program lives in the
    // message loop from here on.
    BOOL InitInstance() override;
    // Deletes the main dialog, then the framework's exit.
    int ExitInstance() override;

    // Settings directory, settings file, the policies and today's file (settings_store.cpp).
    void LoadSettings();
    // Writes the settings file from the members below (settings_store.cpp), except that a
    // setting still at the value a policy gives keeps the user's own value; false when it
    // could not be written (the values in memory stay in force either way).
    bool SaveSettings();
    // Reads the policies again and puts the values in force into the members below. True
    // when any policy changed.
    bool ReadPolicies();
    // The settings value of the working hours: kept as given for the file, and read into
    // m_workingHours (not set, so always working hours, when empty or when it does not read).
    void setWorkingHoursText(const kiv::String& text);

    std::unique_ptr<CkivToolDlg> m_pMainDlg;  // also the framework's m_pMainWnd
    kiv::Time m_firstStartToday;               // the first power-on of the day
    kiv::String m_profileDir;                  // settings directory, ending in a backslash
    hours::Schedule m_workingHours;            // m_settings.workingHours, read
    // The settings in force: the user's own (m_ownSettings, as the settings file keeps them)
    // with the policies (m_policies) put on top of them. Static, as the two below: with a
    // Policies member (even an unused one), the size-optimised link-time build of the
    // program (GCC 12, i686) left theApp with the base class's virtual table, so InitInstance
    // never ran and the program sat in an empty message loop. The tests' builds were not
    // affected; the program has one application object anyway.
    static settings::Values m_settings;
    static settings::Values m_ownSettings;
    static policy::Policies m_policies;

private:
    void setSettingsInForce(const settings::Values& values);

    std::unique_ptr<instance::InstanceLock> m_instanceLock;  // held for the whole run
};

extern CkivToolApp theApp;
// Set by the Exit command: only then does WM_CLOSE end the main dialog.
extern bool g_exiting;
