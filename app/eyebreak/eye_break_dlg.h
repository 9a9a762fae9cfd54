// The eye break: a small top-most window near the centre of the monitor that has the mouse,
// with one line ("看向6米外的远处，放松眼睛"), a countdown and a "跳过" button. It never takes
// the keyboard or the focus: it is never activated, not even by a click on its button, so
// whatever the user types goes on into their program. It plays no sound and closes itself
// when the count ends.
//
// Its owner keeps it and is told of its end (the count run out, or the button) through
// m_onFinish, which records it and destroys the window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/dialog.h"
#include "history/history_store.h"
#include "resource.h"

namespace eyebreak {

// Where a window of `size` stands on a monitor whose work area is `area`: centred, and
// inside the area from its top-left corner when it is larger.
RECT placeNearCentre(const RECT& area, SIZE size);

}  // namespace eyebreak

class CEyeBreakDlg : public CDialog {
public:
    enum { IDD = IDD_EYE_BREAK_DIALOG };

    // `seconds`: the length of the break, counted down from there.
    CEyeBreakDlg(CDialog* owner, UINT32 seconds);
    ~CEyeBreakDlg() override;

    BOOL OnInitDialog() override;
    // It never has the keyboard; Enter and Esc would not reach it, and must not close it.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(UINT id) override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // One second down; at 0 the break has run its time. Nothing of the object may be used
    // after a call that reached 0.
    void OnTimer(UINT_PTR nIDEvent);
    // "20秒" for the seconds left.
    std::wstring CountText() const;
    // The seconds the break has been shown.
    UINT32 SecondsShown() const { return m_seconds - m_secondsLeft; }

    UINT32 m_seconds;
    UINT32 m_secondsLeft;
    // Called at its end; without it the window only destroys itself.
    std::function<void(history::EyeBreakEnd)> m_onFinish;

private:
    void showCount();
    void placeOnMouseMonitor();
    void finish(history::EyeBreakEnd how);

    RECT m_monitorArea{};
};
