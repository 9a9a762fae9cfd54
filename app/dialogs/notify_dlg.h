// The rest window: covers the primary screen for the length of a rest, top-most, and shows
// the time left in red; every other monitor gets a cover of its own (monitor_cover.h). Home mode: black, rest music, monitor off from the sixth second.
// Office mode: a frozen picture of the desktop with the time in the bottom-right corner.
//
// The scheduler (CkivToolDlg::StartRest, EndRest) creates, destroys and deletes it; the
// window never ends the rest itself, it only shows the time the scheduler counts.
// Ctrl+Alt+U opens the unlock question (CAskDlg).
#pragma once

#include <windows.h>

#include <string>

#include "desktop/desktop_guard.h"
#include "dialogs/monitor_cover.h"
#include "desktop/rest_keyboard.h"
#include "desktop/unlock_hotkey.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "resource.h"

class CkivToolDlg;

class CNotifyDlg : public CDialog {
public:
    enum { IDD = IDD_NOTIFY_DIALOG };

    explicit CNotifyDlg(CkivToolDlg* pOwner);
    ~CNotifyDlg() override;

    BOOL OnInitDialog() override;
    // Enter, Esc and Alt+F4 (which the dialog manager turns into Cancel) leave the rest
    // window open.
    void OnOK() override {}
    void OnCancel() override {}
    // Closes the question, gives back the taskbar, the monitor, the hot key and the sound.
    void OnDestroy() override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // One second: the task manager down, the question (or else this window) to the top,
    // the monitor off at the sixth tick in home mode, everything painted anew.
    void OnTimer(UINT_PTR nIDEvent);
    // Ctrl+Alt+U: one question at a time, and none while a policy forbids ending a rest early.
    void OnHotKey();
    // The text the window paints now: the owner's rest time left.
    std::wstring RemainingText() const;
    // Draws the text onto `dc`, a context of the client area (WM_PAINT's, or a test's).
    void PaintText(HDC dc);

    CkivToolDlg* m_pOwner;          // the scheduler, not owned
    fw::Bitmap m_desktopSnapshot;   // the screen as it was when the rest began
    UINT32 m_ticks = 0;             // own timer ticks since the window opened
    bool m_monitorOff = false;      // the monitor-off broadcast went out during this rest
    fw::Font m_font;                // "Courier New", 20 points at the window's DPI
    rest::UnlockHotKey m_hotKey;     // Ctrl+Alt+U, while the window lives
    rest::MonitorCovers m_covers;   // the monitors besides the primary one
    rest::RestKeyboard m_keyboard;  // no key for other programs while the window lives
    guard::TrackedCover m_tracked;  // taken away by the crash filter
    UINT m_dpi = 96;                // of the primary monitor, which the window covers

private:
    void startRestMusic();
    void coverPrimaryScreen();
    // Over the primary monitor again and one cover on each other monitor: at the start and
    // whenever monitors come, go or change their resolution.
    void coverEveryMonitor();
    void onDpiChanged(UINT dpi);
    bool onEraseBackground(HDC dc);
    void onPaint();
};
