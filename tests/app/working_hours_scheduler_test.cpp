// The scheduler with working hours: a live main dialog, ticked with a set calendar clock
// across a lunch break, a range's end during a rest, midnight inside a night shift, sleep
// across a range's start, and "no more breaks today". (Daylight saving is tested on the
// tracker natively: Wine keeps no summer time for a zone set through TZ.)
#include <windows.h>
#include <wtsapi32.h>

#include <cstdlib>
#include <ctime>

#include "framework/resources.h"
#include "history/history_store.h"
#include "hours/hours_clock.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

using history::RestEnd;

const char kOffice[] = "mon-fri 08:30-12:00 13:00-18:00; sat 09:00-12:00";

kiv::Time at(const char16_t* localTime) { return kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S")); }

// Seconds after midnight, as the history keeps a rest's start.
constexpr uint32_t hms(uint32_t h, uint32_t m, uint32_t s) { return h * 3600 + m * 60 + s; }

class WorkingHoursSchedulerTest : public test::MainDialogTest {
protected:
    void TearDown() override {
        MainDialogTest::TearDown();
        theApp.setWorkingHoursText(kiv::String());
    }
    // 2026-12-07 is a Monday.
    bool start(const char* hours, const char16_t* when, uint32_t work, uint32_t rest) {
        theApp.setWorkingHoursText(kiv::String(hours));
        theApp.m_settings.workTime = work;
        theApp.m_settings.relaxTime = rest;
        m_clock.set(when);
        return createDialog();
    }
    void tickClock(unsigned count = 1) {
        for (unsigned i = 0; i < count; ++i) {
            m_clock.advance();
            tick();
        }
    }
    // The clock jumps (ticks lost or a sleep); the next tick comes at `when`.
    void tickAt(const char16_t* when) {
        m_clock.set(when);
        tick();
    }
    uint32_t worked() const { return m_dlg->m_clock.m_workElapsed.size(); }
    bool inRest() const { return !m_dlg->m_clock.m_working; }
    std::wstring remainLabel() const { return m_dlg->GetDlgItemText(IDC_STATIC_REMAIN); }
    history::Day day(const char16_t* when) const { return history::readDay(theApp.m_profileDir, at(when)); }

    test::FakeClock m_clock{u"2026-12-07 09-00-00"};
};

TEST_F(WorkingHoursSchedulerTest, ALunchBreakStopsTheCountAndEndsAsOneRest) {
    ASSERT_TRUE(start(kOffice, u"2026-12-07 11-59-50", 100, 30));
    tickClock(9);  // to 11:59:59
    EXPECT_EQ(worked(), 9u);
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
    tickClock();  // 12:00:00
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours());
    EXPECT_EQ(worked(), 9u);
    EXPECT_EQ(remainLabel(), fw::loadString(IDS_STATUS_OUTSIDE));
    tickClock(200);  // more than the work left: still no rest
    EXPECT_EQ(worked(), 9u);
    EXPECT_FALSE(inRest());
    EXPECT_TRUE(test::balloons().empty());

    tickAt(u"2026-12-07 12-59-59");
    EXPECT_EQ(worked(), 9u);
    tickClock();  // 13:00:00: a fresh period, counted from this tick
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
    EXPECT_EQ(worked(), 1u);
    EXPECT_EQ(m_dlg->RemainingWork().size(), 99u);
    tickClock(5);
    const history::Day today = day(u"2026-12-07 12-00-00");
    ASSERT_EQ(today.rests.size(), 1u);
    EXPECT_EQ(today.rests[0].end, RestEnd::Schedule);
    EXPECT_EQ(today.rests[0].start, hms(12, 0, 0));
    EXPECT_EQ(today.rests[0].rested, 3600u);
    EXPECT_EQ(today.rests[0].planned, 30u);
}

TEST_F(WorkingHoursSchedulerTest, NoMoreBreaksTodayHoldsUntilTomorrowsFirstRange) {
    ASSERT_TRUE(start(kOffice, u"2026-12-07 10-00-00", 100, 30));
    tickClock(5);
    command(ID_MENU_SKIP_TODAY);
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours());
    tickClock(200);
    EXPECT_EQ(worked(), 5u);
    EXPECT_FALSE(inRest());
    EXPECT_EQ(remainLabel(), fw::loadString(IDS_STATUS_OUTSIDE));
    send(WM_TRAY_NOTIFY, IDR_MAINFRAME, WM_MOUSEMOVE);
    const std::vector<NOTIFYICONDATAW> tips = test::trayRecords(NIM_MODIFY);
    ASSERT_FALSE(tips.empty());
    EXPECT_NE(std::wstring(tips.back().szTip).find(L"现在是非工作时间"), std::wstring::npos);

    tickAt(u"2026-12-07 13-30-00");  // the afternoon's range is skipped too
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours());
    tickAt(u"2026-12-08 08-30-00");
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
    EXPECT_EQ(worked(), 1u);
    const history::Day monday = day(u"2026-12-07 12-00-00");
    ASSERT_EQ(monday.skips.size(), 1u);
    EXPECT_EQ(monday.skips[0], hms(10, 0, 5));
    ASSERT_EQ(monday.rests.size(), 1u);
    EXPECT_EQ(monday.rests[0].end, RestEnd::Schedule);
    EXPECT_EQ(monday.rests[0].start, hms(10, 0, 5));
}

// The next start of the program the same day still skips; the day after it does not.
TEST_F(WorkingHoursSchedulerTest, NoMoreBreaksTodayOutlivesARestartOfTheProgram) {
    ASSERT_TRUE(start(kOffice, u"2026-12-07 10-00-00", 100, 30));
    command(ID_MENU_SKIP_TODAY);
    m_dlg.reset();
    m_clock.set(u"2026-12-07 14-00-00");
    ASSERT_TRUE(createDialog());
    tickClock(5);
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours());
    EXPECT_EQ(worked(), 0u);
    m_dlg.reset();
    m_clock.set(u"2026-12-08 09-00-00");
    ASSERT_TRUE(createDialog());
    tickClock(5);
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
    EXPECT_EQ(worked(), 5u);
}

// New hours from the settings dialog apply at once: outside now, the count stops.
TEST_F(WorkingHoursSchedulerTest, NewHoursApplyAtOnce) {
    ASSERT_TRUE(start("", u"2026-12-07 20-00-00", 100, 30));
    tickClock(5);
    EXPECT_EQ(worked(), 5u);
    theApp.setWorkingHoursText(kiv::String(kOffice));
    m_dlg->ApplyWorkingHours();
    EXPECT_TRUE(m_dlg->isOutsideWorkingHours());
    tickClock(5);
    EXPECT_EQ(worked(), 5u);
}

// A value that does not read is kept for the file and means always working hours.
TEST_F(WorkingHoursSchedulerTest, AnUnreadableValueMeansAlwaysWorkingHours) {
    ASSERT_TRUE(start("mon-fri 8:30-12:00", u"2026-12-07 22-00-00", 100, 30));
    EXPECT_FALSE(theApp.m_workingHours.set);
    EXPECT_EQ(theApp.m_settings.workingHours, kiv::String("mon-fri 8:30-12:00"));
    tickClock(5);
    EXPECT_EQ(worked(), 5u);
    EXPECT_FALSE(m_dlg->isOutsideWorkingHours());
}

// A journey east: the zone changes under the program. The runtime hears of it only from the
// program, on Windows' word: the test sets TZ without _tzset and sends the message.
TEST_F(WorkingHoursSchedulerTest, ANewTimeZoneIsTakenAtOnceWhenWindowsSaysSo) {
    const auto setZone = [](const char* setting, bool tell) {
        ::_putenv(setting);
        if (tell) ::_tzset();
    };
    // The zone of the other tests again, whatever happens here.
    struct ZoneBack {
        std::string setting;
        ~ZoneBack() {
            ::_putenv(setting.c_str());
            ::_tzset();
        }
    } back{std::getenv("TZ") ? std::string("TZ=") + std::getenv("TZ") : "TZ="};
    const struct {
        UINT message;
        const wchar_t* area;
        bool followed;
    } rows[] = {
        {WM_TIMECHANGE, nullptr, true},
        {WM_SETTINGCHANGE, L"intl", true},
        {WM_SETTINGCHANGE, L"TimeZone", true},
        {WM_SETTINGCHANGE, L"Environment", false},
        {WM_SETTINGCHANGE, nullptr, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.area ? std::string(row.area, row.area + ::lstrlenW(row.area)) : "no area");
        setZone("TZ=UTC0", true);
        ASSERT_TRUE(start(kOffice, u"2026-12-07 17-00-00", 100, 30));  // a Monday
        tickClock();
        ASSERT_FALSE(m_dlg->isOutsideWorkingHours());
        setZone("TZ=UTC-8", false);  // 01:00 on Tuesday there
        send(row.message, 0, reinterpret_cast<LPARAM>(row.area));
        EXPECT_EQ(m_dlg->isOutsideWorkingHours(), row.followed);
        EXPECT_EQ(m_clock.now().format(kiv::String(u"%H")) == kiv::String(u"01"), row.followed) << "the hour the program shows";
        tickClock();
        EXPECT_EQ(worked(), row.followed ? 1u : 2u);
        m_dlg.reset();
    }
}

}  // namespace
