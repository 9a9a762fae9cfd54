// The pre-rest notice: a small top-most countdown 15 ... 1 in the bottom-right corner of
// the primary screen, shown during the last seconds of a work period. It warns without
// taking the keyboard: it is never activated.
//
// The scheduler (CkivToolDlg::ShowPreRestNotice, ClosePreRestNotice) owns it through
// m_pPreviousNotifyDlg; when the count reaches 0 the notice closes itself through that
// same pointer.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/handles.h"
#include "resource.h"
#include "schedule/rest_clock.h"

class CkivToolDlg;

class CPreviousNotifyDlg : public CDialog {
public:
    enum { IDD = IDD_PREVIOUS_NOTIFY_DIALOG };
    static constexpr UINT32 kCountdownSeconds = schedule::kNoticeAt;

    explicit CPreviousNotifyDlg(CkivToolDlg* pParent);
    ~CPreviousNotifyDlg() override;

    BOOL OnInitDialog() override;
    // Enter and Esc leave the notice open.
    void OnOK() override {}
    void OnCancel() override {}
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // One second down. At 0 the notice is removed: through the owner when the owner holds
    // it (the object is deleted), else just its window. Nothing of the object may be used
    // after a call that reached 0.
    void OnTimer(UINT_PTR nIDEvent);
    // The text painted now: m_secondsLeft in decimal; empty at 0, which is never shown.
    std::wstring CountText() const;
    // Draws the count onto `dc`, a context of the client area (WM_PAINT's, or a test's).
    void PaintText(HDC dc);

    fw::Font m_font;                               // "Courier New", 20 points
    UINT32 m_secondsLeft = kCountdownSeconds;      // set to 15 by the creator

private:
    CkivToolDlg* owner() const;
    void moveToCorner();
    void removeSelf();
    bool onEraseBackground(HDC dc);
    void onPaint();
};
