// A live main dialog for the scheduler and tray tests: real window from template 102,
// settings set by the test, and recorders in place of the sound component, the beep,
// the window flash, the shell's tray and app-bar registration, and the display wake-up.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/notify_dlg.h"
#include "dialogs/previous_notify_dlg.h"
#include "hold_fakes.h"
#include "kivtool_app.h"
#include "kivtool_dlg.h"
#include "messages.h"
#include "platform_calls.h"
#include "recording_sound.h"
#include "rest_test_support.h"
#include "scratch_folder.h"
#include "seams.h"
#include "sound_holder.h"
#include "test_support.h"

namespace test {

struct Beeped {
    DWORD frequency;
    DWORD duration;
};
struct Flashed {
    HWND window;
    BOOL invert;
};
struct TrayCall {
    DWORD message;
    NOTIFYICONDATAW data;  // the record as the shell got it
};
struct AppBarCall {
    DWORD message;
    APPBARDATA data;
};

inline std::vector<Beeped>& beeps() {
    static std::vector<Beeped> v;
    return v;
}
inline std::vector<Flashed>& flashes() {
    static std::vector<Flashed> v;
    return v;
}
inline std::vector<TrayCall>& trayCalls() {
    static std::vector<TrayCall> v;
    return v;
}

inline std::vector<AppBarCall>& appBarCalls() {
    static std::vector<AppBarCall> v;
    return v;
}

inline UINT_PTR WINAPI recordAppBar(DWORD message, APPBARDATA* data) {
    appBarCalls().push_back({message, *data});
    return TRUE;
}

inline BOOL WINAPI recordBeep(DWORD frequency, DWORD duration) {
    beeps().push_back({frequency, duration});
    return TRUE;
}
inline BOOL WINAPI recordFlash(HWND window, BOOL invert) {
    flashes().push_back({window, invert});
    return TRUE;
}
inline BOOL WINAPI recordTray(DWORD message, NOTIFYICONDATAW* data) {
    trayCalls().push_back({message, *data});
    return TRUE;
}

// The tray calls with this message, in order.
inline std::vector<NOTIFYICONDATAW> trayRecords(DWORD message) {
    std::vector<NOTIFYICONDATAW> out;
    for (const TrayCall& call : trayCalls())
        if (call.message == message) out.push_back(call.data);
    return out;
}

// The balloon texts shown, in order.
inline std::vector<std::wstring> balloons() {
    std::vector<std::wstring> out;
    for (const NOTIFYICONDATAW& data : trayRecords(NIM_MODIFY))
        if (data.uFlags & NIF_INFO) out.push_back(data.szInfo);
    return out;
}

class MainDialogTest : public ::testing::Test {
protected:
    static constexpr const wchar_t* kRelaxMusic = L"C:\\kiv\\relax.mp3";
    static constexpr const wchar_t* kNoticeMusic = L"C:\\kiv\\relaxNotice.mp3";
    static constexpr const wchar_t* kEndMusic = L"C:\\kiv\\relaxEnd.mp3";

    void SetUp() override {
        theApp.m_settings.workTime = 100;
        theApp.m_settings.relaxTime = 30;
        theApp.m_settings.homeMode = true;
        theApp.m_settings.relaxAtFullScreen = false;
        theApp.m_settings.idleIsRest = false;
        theApp.m_settings.holdForCalls = true;
        theApp.m_settings.eyeBreak = false;
        theApp.m_settings.eyeBreakEvery = 1200;
        theApp.m_settings.eyeBreakSeconds = 20;
        theApp.m_firstStartToday = kiv::Time::now();
        theApp.m_settings.relaxMusic = kRelaxMusic;
        theApp.m_settings.relaxNoticeMusic = kNoticeMusic;
        theApp.m_settings.relaxEndMusic = kEndMusic;
        theApp.m_profileDir = m_scratch.folder("profile");  // the day files with the history
        g_longDayWarned = false;
        g_exiting = false;
        beeps().clear();
        flashes().clear();
        trayCalls().clear();
        appBarCalls().clear();
    }

    void TearDown() override {
        m_dlg.reset();
        pumpMessages();
        g_pSound.reset(nullptr);
        g_exiting = false;
        theApp.m_profileDir = kiv::String();
    }

    // Builds the dialog from the settings as they stand now (tests change them first).
    // The real one-second timer is stopped: the test delivers every tick itself.
    bool createDialog() {
        m_dlg = std::make_unique<CkivToolDlg>();
        g_pSound.reset(&m_sound);
        if (!m_dlg->Create(CkivToolDlg::IDD)) return false;
        m_dlg->KillTimer(0);
        m_dlg->HideToTray();
        m_sound.calls.clear();
        trayCalls().clear();
        return true;
    }

    void tick(unsigned count = 1) {
        for (unsigned i = 0; i < count; ++i) m_dlg->OnTimer(0);
    }

    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_dlg->m_hWnd, message, wParam, lParam);
    }

    void command(UINT id) { send(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    HWND hwnd() const { return m_dlg->m_hWnd; }

    LONG_PTR exStyle() const { return ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE); }

    ScratchFolder m_scratch;  // before the dialog, which writes into it until it goes
    std::unique_ptr<CkivToolDlg> m_dlg;
    RecordingSound m_sound;
    rest_test::WakeRecorder m_wakes;
    FakeHoldSignals m_signals;  // nothing holds a rest, no key was pressed, until a test says so

private:
    SeamHolder<platform::AppBarFunction> m_appBar{&platform::setAppBarFunction, &recordAppBar};
    SeamHolder<platform::BeepFunction> m_beep{&platform::setBeepFunction, &recordBeep};
    SeamHolder<platform::FlashWindowFunction> m_flash{&platform::setFlashWindowFunction, &recordFlash};
    SeamHolder<platform::NotifyIconFunction> m_tray{&platform::setNotifyIconFunction, &recordTray};
};

}  // namespace test
