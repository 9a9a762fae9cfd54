// The rest on a monitor besides the primary one: a top-most window over the whole monitor,
// black in home mode, that monitor's frozen picture in office mode, with the same red time
// text as the rest window. Covers never take the keyboard; the rest window keeps it.
//
// The rest window (CNotifyDlg) owns them through a MonitorCovers and lays them again when
// the monitors change; they live and die with it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "desktop/desktop_guard.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "resource.h"

class CMonitorCover : public CDialog {
public:
    enum { IDD = IDD_NOTIFY_DIALOG };  // the rest window's own template: same look

    CMonitorCover(const RECT& monitor, std::wstring text);
    ~CMonitorCover() override;

    // Laid over the monitor (physical pixels), its picture taken while it is still hidden,
    // then shown without activation.
    BOOL OnInitDialog() override;
    // Enter, Esc and Alt+F4 leave the cover open, as they do the rest window.
    void OnOK() override {}
    void OnCancel() override {}
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnDestroy() override { m_tracked.untrack(); }

    // The time text to show; repainted at once.
    void SetText(const std::wstring& text);
    // Draws the text onto `dc`, a context of the client area (WM_PAINT's, or a test's).
    void PaintText(HDC dc);
    const RECT& monitor() const { return m_monitor; }

    RECT m_monitor;
    std::wstring m_text;
    fw::Bitmap m_snapshot;  // the monitor as it was when the cover came
    fw::Font m_font;        // "Courier New", 20 points at the monitor's DPI
    UINT m_dpi = 96;
    guard::TrackedCover m_tracked;  // taken away by the crash filter

private:
    bool onEraseBackground(HDC dc);
    void onDpiChanged(UINT dpi);
};

namespace rest {

// The covers of the monitors besides the primary one.
class MonitorCovers {
public:
    MonitorCovers() = default;
    ~MonitorCovers() { closeAll(); }
    MonitorCovers(const MonitorCovers&) = delete;
    MonitorCovers& operator=(const MonitorCovers&) = delete;

    // One cover per rectangle, owned by `owner`: a cover already over exactly that
    // rectangle stays as it is (its picture too), the others go, the missing ones come.
    void layOver(const std::vector<RECT>& monitors, CDialog* owner, const std::wstring& text);
    void setText(const std::wstring& text);
    // Back on top of everything, without taking the keyboard.
    void keepOnTop();
    void closeAll();

    const std::vector<std::unique_ptr<CMonitorCover>>& covers() const { return m_covers; }

private:
    std::vector<std::unique_ptr<CMonitorCover>> m_covers;
};

}  // namespace rest
