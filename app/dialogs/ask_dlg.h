// The unlock question: a multiplication of two numbers below 100. A right answer tells the
// main dialog to end the rest (WM_REST_UNLOCKED); a wrong one empties the answer box.
//
// The dialog owns itself: CAskDlg::Open creates it, nobody keeps a pointer to it, and it
// deletes itself when its window is destroyed. Everyone finds it by its window class
// "kivAskDlg"; its title is a sentence for screen readers.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "resource.h"

class CAskDlg : public CDialog {
public:
    enum { IDD = IDD_ASK_DIALOG };
    static constexpr const wchar_t* kClassName = L"kivAskDlg";

    CAskDlg();
    ~CAskDlg() override;

    // The template names this class: the system's dialog class under the program's own
    // name. Open registers it; anything else that makes the template first must too.
    static bool RegisterWindowClass();
    // The open question's window, or null.
    static HWND Find();
    // Opens a question owned by the application's main window unless one is open already;
    // returns the window of the open question (null if it could not be created).
    static HWND Open();

    // Centred and top-most on the primary screen, with two new factors, the question
    // written out as the answer box's accessible name and a title that reads as a sentence.
    BOOL OnInitDialog() override;
    // Esc and the Cancel button close the question; the rest goes on.
    void OnCancel() override;
    // The OK button (and Enter) checks the answer.
    bool OnCommand(UINT id) override;
    void OnAnswer();
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override;
    void PostNcDestroy() override { delete this; }

    int m_factor1 = 0;
    int m_factor2 = 0;

private:
    // Centred by its client size on the primary screen, in physical pixels.
    void centreOnPrimaryScreen(HWND after, UINT flags);
};
