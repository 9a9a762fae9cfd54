// The application base: one object per program, constructed statically; wWinMain
// (entry.cpp) runs its InitInstance, Run and ExitInstance.
#pragma once

#include <windows.h>

#include "framework/handles.h"

class CDialog;

class CWinApp {
public:
    // Registers this object as the program's application object.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Sets up the program; false ends it at once (ExitInstance still runs). The base
    // installs the filter that routes keyboard messages of modeless dialogs in the loops
    // of modal dialogs and message boxes too; always TRUE.
    virtual BOOL InitInstance();
    // The message loop, until WM_QUIT; keyboard messages of modeless dialogs go through
    // the dialog manager. Returns the WM_QUIT exit code.
    virtual int Run();
    // Cleans up after the loop; returns the program's exit code (the loop's by default).
    virtual int ExitInstance() { return m_exitCode; }

    // The live application object constructed last (in the program: the one object).
    static CWinApp* instance();

    // The main window: its destruction ends the message loop; dialogs created without a
    // parent are owned by it.
    CDialog* m_pMainWnd = nullptr;

protected:
    int m_exitCode = 0;

private:
    CWinApp* m_previous;
    fw::Hook m_dialogMessageFilter;
};
