// The signals that hold a rest, read over a fake registry, process list and notification
// state: which ConsentStore entries count as a program using the microphone or camera.
#include <gtest/gtest.h>

#include "hold/capture_sessions.h"
#include "hold/hold_signals.h"
#include "hold_fakes.h"

namespace {

using test::FakeHoldSignals;

std::vector<std::wstring> names(const std::vector<hold::ConsentUser>& users) {
    std::vector<std::wstring> out;
    for (const hold::ConsentUser& user : users) out.push_back((user.packaged ? L"P:" : L"D:") + user.name);
    return out;
}

TEST(ConsentStore, EntriesAtZeroArePackagedBelowTheKeyAndDesktopPathsBelowNonPackaged) {
    FakeHoldSignals fake;
    fake.entry(L"microphone", L"Microsoft.SkypeApp_kzf8qxf38zg5c", 0);
    fake.entry(L"microphone", L"Microsoft.WindowsSoundRecorder_8wekyb3d8bbwe", 133500000000000000ull);
    fake.entry(L"microphone", L"NonPackaged\\C:#Program Files#Zoom#bin#Zoom.exe", 0);
    fake.entry(L"microphone", L"NonPackaged\\C:#Tools#rec.exe", 133500000000000001ull);
    fake.entry(L"microphone", L"NonPackaged\\D:#no stop value.exe", 0);
    fake.values.erase(hold::consentKey(L"microphone") + L"\\NonPackaged\\D:#no stop value.exe|LastUsedTimeStop");
    fake.entry(L"webcam", L"NonPackaged\\C:#Cam#cam.exe", 0);

    EXPECT_EQ(names(hold::consentUsers(L"microphone")),
              (std::vector<std::wstring>{L"P:Microsoft.SkypeApp_kzf8qxf38zg5c",
                                         L"D:C:\\Program Files\\Zoom\\bin\\Zoom.exe"}));
    EXPECT_EQ(names(hold::consentUsers(L"webcam")), (std::vector<std::wstring>{L"D:C:\\Cam\\cam.exe"}));
}

TEST(ConsentStore, AnEntryCountsOnlyWhileItsProgramRuns) {
    const struct {
        const char* what;
        const wchar_t* entry;
        uint64_t stop;
        const wchar_t* running;  // null: nothing runs (else it started at kProgramStart)
        bool inUse;
        uint64_t start = FakeHoldSignals::kUseStart;  // LastUsedTimeStart
    } rows[] = {
        {"desktop program in use", L"NonPackaged\\C:#Apps#Meet.exe", 0, L"C:\\Apps\\Meet.exe", true},
        {"desktop program stopped", L"NonPackaged\\C:#Apps#Meet.exe", 133500000000000000ull, L"C:\\Apps\\Meet.exe",
         false},
        {"stale: the program crashed", L"NonPackaged\\C:#Apps#Meet.exe", 0, nullptr, false},
        {"stale: another program runs", L"NonPackaged\\C:#Apps#Meet.exe", 0, L"C:\\Other\\Meet.exe", false},
        {"packaged in use", L"Microsoft.SkypeApp_kzf8qxf38zg5c", 0, L"Microsoft.SkypeApp_kzf8qxf38zg5c", true},
        {"packaged, not running", L"Microsoft.SkypeApp_kzf8qxf38zg5c", 0, nullptr, false},
        {"packaged stopped", L"Microsoft.SkypeApp_kzf8qxf38zg5c", 5, L"Microsoft.SkypeApp_kzf8qxf38zg5c", false},
        {"stale: begun before the running copy started", L"NonPackaged\\C:#Apps#Meet.exe", 0, L"C:\\Apps\\Meet.exe",
         false, FakeHoldSignals::kProgramStart - 3600 * hold::kFileTimeSecond},
        {"stale: begun before the boot", L"Microsoft.SkypeApp_kzf8qxf38zg5c", 0, L"Microsoft.SkypeApp_kzf8qxf38zg5c",
         false, FakeHoldSignals::kBoot - 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        FakeHoldSignals fake;
        fake.entry(L"microphone", row.entry, row.stop, row.start);
        if (row.running) fake.runningPaths.insert(row.running);
        EXPECT_EQ(hold::capabilityInUse(L"microphone"), row.inUse);
        EXPECT_FALSE(hold::capabilityInUse(L"webcam"));
        EXPECT_EQ(hold::readSignals().microphone, row.inUse);
    }
}

// The second source: a call program that records now is a call even without its entry.
// Wine 8 does not implement the session enumerator, so the real source says nothing here.
TEST(CaptureSessions, AnotherProcessCapturingIsACallWhateverTheConsentStoreSays) {
    FakeHoldSignals fake;
    EXPECT_FALSE(hold::readSignals().microphone);
    fake.capturing = true;
    EXPECT_TRUE(hold::readSignals().microphone);
    EXPECT_FALSE(hold::readSignals().camera);
    EXPECT_FALSE(hold::otherProcessCaptures(::GetCurrentProcessId()));
}

TEST(NotificationState, PresentationModeAndDirect3DFullScreenArePresentations) {
    const struct {
        QUERY_USER_NOTIFICATION_STATE state;
        bool presenting;
    } rows[] = {
        {QUNS_NOT_PRESENT, false},          {QUNS_BUSY, false},
        {QUNS_RUNNING_D3D_FULL_SCREEN, true}, {QUNS_PRESENTATION_MODE, true},
        {QUNS_ACCEPTS_NOTIFICATIONS, false}, {QUNS_QUIET_TIME, false},
        {QUNS_APP, false},
    };
    FakeHoldSignals fake;
    for (const auto& row : rows) {
        fake.notificationState = row.state;
        EXPECT_EQ(hold::isPresenting(), row.presenting) << row.state;
        EXPECT_EQ(hold::readSignals().presentation, row.presenting) << row.state;
    }
}

}  // namespace
