// The scheduler's events in the day files: a live main dialog driven tick by tick, with a
// set calendar clock so a day can pass midnight.
#include <windows.h>
#include <wtsapi32.h>

#include <tuple>

#include "history/history_recorder.h"
#include "history/history_store.h"
#include "main_dialog_fixture.h"
#include "seams.h"

namespace {

using history::RestEnd;

kiv::Time at(const char16_t* localTime) {
    return kiv::Time(kiv::String(localTime), kiv::String(u"%Y-%m-%d %H-%M-%S"));
}

class HistoryRecordingTest : public test::MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        theApp.m_settings.workTime = 5;
        theApp.m_settings.relaxTime = 4;
    }
    // Ticks with the clock one second further each time.
    void tickClock(unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            m_clock.advance();
            tick();
        }
    }
    history::Day day(const char16_t* when) const { return history::readDay(theApp.m_profileDir, at(when)); }
    std::string dayBytes(const char* name) const {
        return test::ScratchFolder::readBytes(test::toPath(theApp.m_profileDir) / name);
    }

    test::FakeClock m_clock{u"2027-01-15 10-00-00"};
};

enum class How { Ticks, Unlock, Exit, EndOfSession, RestartManager };

struct EndCase {
    const char* name;
    How how;
    RestEnd expected;
    uint32_t rested;
};

class RestEndTest : public HistoryRecordingTest, public ::testing::WithParamInterface<EndCase> {
protected:
    void endRest(How how) {
        switch (how) {
        case How::Ticks: tickClock(2); break;
        case How::Unlock: send(WM_REST_UNLOCKED); break;
        case How::Exit: command(ID_MENU_EXIT); break;
        case How::EndOfSession: send(WM_ENDSESSION, TRUE); break;
        case How::RestartManager: send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP); break;
        }
    }
};

// Each way a rest ends, after 5 s of work and 2 s of a 4 s rest (the full 4 s by time).
TEST_P(RestEndTest, TheRestIsRecordedWithHowItEnded) {
    const EndCase c = GetParam();
    ASSERT_TRUE(createDialog());
    tickClock(5);  // the rest begins at 10:00:05
    ASSERT_FALSE(m_dlg->m_clock.m_working);
    tickClock(2);
    endRest(c.how);

    const history::Day today = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(today.rests.size(), 1u);
    EXPECT_EQ(today.rests[0].start, 10u * 3600 + 5);
    EXPECT_EQ(today.rests[0].planned, 4u);
    EXPECT_EQ(today.rests[0].rested, c.rested);
    EXPECT_EQ(today.rests[0].end, c.expected);
    EXPECT_EQ(today.workSeconds, 5u);
}

INSTANTIATE_TEST_SUITE_P(Ends, RestEndTest,
                         ::testing::Values(EndCase{"time", How::Ticks, RestEnd::Time, 4},
                                           EndCase{"unlock", How::Unlock, RestEnd::Unlock, 2},
                                           EndCase{"exit", How::Exit, RestEnd::Exit, 2},
                                           EndCase{"endOfSession", How::EndOfSession, RestEnd::Shutdown, 2},
                                           EndCase{"restartManager", How::RestartManager, RestEnd::Exit, 2}),
                         [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// A lock as long as a rest is a rest taken away from the computer, from the moment of the lock.
TEST_F(HistoryRecordingTest, ALockAsLongAsARestIsRecordedAsARestTakenAway) {
    ASSERT_TRUE(createDialog());
    tickClock(2);
    send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    tickClock(5);
    send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);

    const history::Day today = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(today.rests.size(), 1u);
    EXPECT_EQ(today.rests[0].start, 10u * 3600 + 2);
    EXPECT_EQ(today.rests[0].planned, 4u);
    EXPECT_EQ(today.rests[0].rested, 4u);
    EXPECT_EQ(today.rests[0].end, RestEnd::Away);
}

TEST_F(HistoryRecordingTest, DelaysAndPostponementsAreRecordedWithWhatTheyAdded) {
    ASSERT_TRUE(createDialog());
    tickClock(1);
    command(ID_MENU_DELAY5);
    command(ID_MENU_DELAY_PRESET);
    send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, 1);
    tickClock(5 + 300 + 5 - 1);  // the work period ends behind the full-screen program
    ASSERT_TRUE(m_dlg->m_clock.m_working);

    const history::Day today = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(today.delays.size(), 2u);
    EXPECT_EQ(today.delays[0].at, 10u * 3600 + 1);
    EXPECT_EQ(today.delays[0].added, 300u);
    EXPECT_EQ(today.delays[1].added, 5u);
    ASSERT_EQ(today.postponements.size(), 1u);
    EXPECT_EQ(today.postponements[0].at, 10u * 3600 + 310);
    EXPECT_EQ(today.postponements[0].added, 1200u);
    EXPECT_EQ(today.workSeconds, 310u);
    EXPECT_TRUE(today.rests.empty());
}

// Until the first event the day file is what the start-up wrote; the work is written at exit.
TEST_F(HistoryRecordingTest, ADayWithoutRestsRecordsItsWorkAtExit) {
    theApp.m_settings.workTime = 1000;
    ASSERT_TRUE(createDialog());
    tickClock(30);
    EXPECT_EQ(dayBytes("2027-01-15.xml"), "");  // nothing written on the tick
    send(WM_REST_UNLOCKED);  // in the work phase: no rest to record
    command(ID_MENU_EXIT);
    const history::Day today = day(u"2027-01-15 12-00-00");
    EXPECT_TRUE(today.rests.empty());
    EXPECT_EQ(today.workSeconds, 30u);
}

TEST_F(HistoryRecordingTest, WorkAcrossMidnightCountsForEachDay) {
    theApp.m_settings.workTime = 1000;
    m_clock.set(u"2027-01-15 23-59-49");
    ASSERT_TRUE(createDialog());
    tickClock(20);  // 10 s before midnight, 10 s after
    command(ID_MENU_DELAY5);
    EXPECT_EQ(day(u"2027-01-15 12-00-00").workSeconds, 10u);
    const history::Day second = day(u"2027-01-16 12-00-00");
    EXPECT_EQ(second.workSeconds, 10u);
    ASSERT_EQ(second.delays.size(), 1u);
    EXPECT_EQ(second.delays[0].at, 9u);
}

TEST_F(HistoryRecordingTest, ARestAcrossMidnightBelongsToTheDayItStarted) {
    m_clock.set(u"2027-01-15 23-59-53");
    ASSERT_TRUE(createDialog());
    tickClock(5 + 4);  // the rest begins at 23:59:58 and ends at 00:00:02
    ASSERT_TRUE(m_dlg->m_clock.m_working);
    const history::Day first = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(first.rests.size(), 1u);
    EXPECT_EQ(first.rests[0].start, 23u * 3600 + 59 * 60 + 58);
    EXPECT_EQ(first.rests[0].rested, 4u);
    EXPECT_TRUE(day(u"2027-01-16 12-00-00").rests.empty());
}

TEST_F(HistoryRecordingTest, AnUnreadableDayFileIsMovedAsideAndKept) {
    test::ScratchFolder::writeBytes(test::toPath(theApp.m_profileDir) / "2027-01-15.xml", "<profile><rest");
    ASSERT_TRUE(createDialog());
    tickClock(5 + 4);
    command(ID_MENU_DELAY5);
    EXPECT_EQ(dayBytes("2027-01-15.unreadable-1.xml"), "<profile><rest");
    EXPECT_EQ(day(u"2027-01-15 12-00-00").rests.size(), 1u);
    EXPECT_EQ(day(u"2027-01-15 12-00-00").delays.size(), 1u);
}

// Another program (a backup, a virus scanner) holds today's file open without sharing while
// a delay is recorded: nothing is written over it, and the tick writes the delay and the work
// within a few seconds of the file's release.
TEST_F(HistoryRecordingTest, ADayFileHeldOpenGetsItsRecordsOnceReleased) {
    theApp.m_settings.workTime = 1000;
    ASSERT_TRUE(createDialog());
    ASSERT_TRUE(history::recordRest(theApp.m_profileDir, at(u"2027-01-15 09-00-00"), 480, 480, RestEnd::Time));
    const std::string before = dayBytes("2027-01-15.xml");
    const std::wstring path = (test::toPath(theApp.m_profileDir) / "2027-01-15.xml").wstring();
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    tickClock(20);
    command(ID_MENU_DELAY5);
    tickClock(20);
    ::CloseHandle(lock);
    EXPECT_EQ(dayBytes("2027-01-15.xml"), before) << "written while it was held";
    tickClock(history::Recorder::kRetrySeconds);
    const history::Day today = day(u"2027-01-15 12-00-00");
    EXPECT_EQ(today.rests.size(), 1u);
    EXPECT_EQ(today.delays.size(), 1u);
    EXPECT_EQ(today.workSeconds, 20u);
}

// While the day file stays busy the recorder keeps one pending set of bounded size, and
// the tick's retry tries it again no sooner than kRetrySeconds after its last try.
TEST(HistoryRecorder, ABusyDayFileKeepsOneBoundedPendingSetRetriedEveryFewSeconds) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.isReady());
    const kiv::String dir = scratch.folder("profile");
    ASSERT_TRUE(history::recordRest(dir, at(u"2027-01-15 09-00-00"), 480, 480, RestEnd::Time));
    const std::wstring path = (test::toPath(dir) / "2027-01-15.xml").wstring();
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    history::Recorder recorder(dir);
    const int64_t t = at(u"2027-01-15 10-00-00").timeValue();
    for (int i = 0; i < 100; ++i) recorder.delayed(kiv::Time(t + i), 300);
    recorder.retryPending(kiv::Time(t + 200));
    ::CloseHandle(lock);
    recorder.retryPending(kiv::Time(t + 200 + history::Recorder::kRetrySeconds - 1));
    EXPECT_EQ(history::readDay(dir, kiv::Time(t)).delays.size(), 0u) << "retried too soon";
    recorder.retryPending(kiv::Time(t + 200 + history::Recorder::kRetrySeconds));
    const history::Day day = history::readDay(dir, kiv::Time(t));
    EXPECT_EQ(day.rests.size(), 1u);
    EXPECT_EQ(day.delays.size(), history::Recorder::kMaxPendingElements);
}

// Pauses wait for a busy day file with the rest, each end on its own pause: the one written
// before the file was taken and the waiting ones alike.
TEST(HistoryRecorder, PausesWaitForABusyDayFileEachEndOnItsOwnPause) {
    test::ScratchFolder scratch;
    ASSERT_TRUE(scratch.isReady());
    const kiv::String dir = scratch.folder("profile");
    history::Recorder recorder(dir);
    const auto time = [](int64_t s) { return kiv::Time(at(u"2027-01-15 10-00-00").timeValue() + s); };
    recorder.pauseStarted(time(0), time(1800));
    const std::wstring path = (test::toPath(dir) / "2027-01-15.xml").wstring();
    HANDLE lock = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    recorder.pauseEnded(time(0), time(600));
    recorder.pauseStarted(time(600), time(4200));
    recorder.pauseEnded(time(600), time(900));
    recorder.pauseStarted(time(900), time(2700));
    ::CloseHandle(lock);
    recorder.retryPending(time(1000));
    std::vector<std::tuple<uint32_t, bool, uint32_t>> pauses;
    for (const history::Pause& p : history::readDay(dir, time(0)).pauses)
        pauses.emplace_back(p.at, p.hasEnded, p.ended);
    EXPECT_EQ(pauses, (decltype(pauses){{36000, true, 36600}, {36600, true, 36900}, {36900, false, 0}}));
}

// One absence yields at most one rest record: a rest the absence completes is that record,
// with no more than its planned length rested; the time after it is only time away.
enum class Absence { LockThroughTheRestsEnd, SleepThroughTheRestsEnd, SleepWhileWorking };

struct AbsenceCase {
    const char* name;
    Absence absence;
    uint32_t start;  // of the one rest, seconds after midnight (10:00:05 is 36005)
    RestEnd end;
};

class AbsenceTest : public HistoryRecordingTest, public ::testing::WithParamInterface<AbsenceCase> {
protected:
    void sleepOvernight() {
        send(WM_POWERBROADCAST, PBT_APMSUSPEND);
        m_clock.advance(10 * 3600);
        send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
        send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    }
};

TEST_P(AbsenceTest, YieldsOneRestOfAtMostItsPlannedLength) {
    const AbsenceCase c = GetParam();
    ASSERT_TRUE(createDialog());
    switch (c.absence) {
    case Absence::LockThroughTheRestsEnd:
        tickClock(5 + 1);  // the rest begins at 10:00:05
        send(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
        tickClock(3 + 6);  // it ends at 10:00:09; the lock is longer than a rest by 10:00:10
        send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
        break;
    case Absence::SleepThroughTheRestsEnd:
        tickClock(5 + 1);
        sleepOvernight();
        break;
    case Absence::SleepWhileWorking:
        tickClock(2);
        sleepOvernight();
        break;
    }
    ASSERT_TRUE(m_dlg->m_clock.m_working);
    tickClock(2);
    EXPECT_EQ(2u, m_dlg->m_clock.m_workElapsed.size()) << "a fresh work period, begun once";
    const history::Day today = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(today.rests.size(), 1u);
    EXPECT_EQ(today.rests[0].start, c.start);
    EXPECT_EQ(today.rests[0].planned, 4u);
    EXPECT_EQ(today.rests[0].rested, 4u);
    EXPECT_EQ(today.rests[0].end, c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Absences, AbsenceTest,
    ::testing::Values(AbsenceCase{"LockThroughTheRestsEnd", Absence::LockThroughTheRestsEnd, 36005, RestEnd::Time},
                      AbsenceCase{"SleepThroughTheRestsEnd", Absence::SleepThroughTheRestsEnd, 36005, RestEnd::Time},
                      AbsenceCase{"SleepWhileWorking", Absence::SleepWhileWorking, 36002, RestEnd::Away}),
    [](const ::testing::TestParamInfo<AbsenceCase>& info) { return std::string(info.param.name); });

// Work seconds stay in memory until something is written, the user leaves (a lock, a
// disconnection, a suspend) or ten minutes of them have gathered; never on another tick.
struct SaveCase {
    const char* name;
    unsigned ticks;
    UINT message;  // 0: none
    WPARAM code;
    uint32_t written;
};

class WorkSaveTest : public HistoryRecordingTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(WorkSaveTest, WorkIsWrittenWhenTheUserLeavesAndEveryTenMinutes) {
    const SaveCase c = GetParam();
    theApp.m_settings.workTime = 5000;
    ASSERT_TRUE(createDialog());
    tickClock(c.ticks);
    if (c.message) send(c.message, c.code);
    EXPECT_EQ(day(u"2027-01-15 12-00-00").workSeconds, c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkSaveTest,
    ::testing::Values(SaveCase{"NotOnTheTick", 30, 0, 0, 0},
                      SaveCase{"OnLock", 30, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 30},
                      SaveCase{"OnRemoteDisconnect", 30, WM_WTSSESSION_CHANGE, WTS_REMOTE_DISCONNECT, 30},
                      SaveCase{"OnConsoleDisconnect", 30, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 30},
                      SaveCase{"OnSuspend", 30, WM_POWERBROADCAST, PBT_APMSUSPEND, 30},
                      SaveCase{"NotOnUnlock", 30, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0},
                      SaveCase{"NotBeforeTenMinutes", 599, 0, 0, 0},
                      SaveCase{"AtTenMinutes", 600, 0, 0, 600},
                      SaveCase{"EveryTenMinutes", 1205, 0, 0, 1200}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

// The day file can take a while to write (it is retried for up to a second): the rest window,
// its covers and its keyboard hook are gone before, so neither the screens nor the keys wait.
class DayFileAtStop : public test::RecordingSound {
public:
    explicit DayFileAtStop(const kiv::String& profile) : m_profile(profile) {}
    BOOL __stdcall Stop() override {
        restsWhenStopped.push_back(history::readDay(m_profile, at(u"2027-01-15 12-00-00")).rests.size());
        return RecordingSound::Stop();
    }
    std::vector<size_t> restsWhenStopped;

private:
    kiv::String m_profile;
};

TEST_F(HistoryRecordingTest, TheRestIsWrittenAfterTheRestWindowIsGone) {
    ASSERT_TRUE(createDialog());
    DayFileAtStop sound(theApp.m_profileDir);
    g_pSound.reset(&sound);
    tickClock(5 + 4);  // a rest that ends by time; its window stops the music as it goes
    g_pSound.reset(&m_sound);
    ASSERT_FALSE(sound.restsWhenStopped.empty());
    EXPECT_EQ(sound.restsWhenStopped.front(), 0u) << "the day file was written while the rest window was there";
    EXPECT_EQ(day(u"2027-01-15 12-00-00").rests.size(), 1u);
}

}  // namespace

// Each hold is written when it ends, with the time it began, its seconds and why; one still
// going when the program exits is written then.
TEST_F(HistoryRecordingTest, HoldsAreRecordedWithWhenHowLongAndWhy) {
    theApp.m_settings.workTime = 100;
    ASSERT_TRUE(createDialog());
    m_signals.call();
    tickClock(40);  // 60 s left at 10:00:40: held by the call
    ASSERT_TRUE(m_dlg->isRestHeld());
    tickClock(99);
    m_signals.clear();
    tickClock(1);   // ends at 10:02:20 after 100 s
    ASSERT_FALSE(m_dlg->isRestHeld());
    m_signals.notificationState = QUNS_PRESENTATION_MODE;
    tickClock(30);  // presenting from 10:02:21, still in the last minute
    ASSERT_TRUE(m_dlg->isRestHeld());
    command(ID_MENU_EXIT);

    const history::Day today = day(u"2027-01-15 12-00-00");
    ASSERT_EQ(today.holds.size(), 2u);
    EXPECT_EQ(today.holds[0].at, 10u * 3600 + 40);
    EXPECT_EQ(today.holds[0].held, 100u);
    EXPECT_EQ(today.holds[0].why, hold::Reason::Call);
    EXPECT_EQ(today.holds[1].at, 10u * 3600 + 141);
    EXPECT_EQ(today.holds[1].held, 30u);
    EXPECT_EQ(today.holds[1].why, hold::Reason::Presentation);
    EXPECT_TRUE(today.rests.empty());
    EXPECT_EQ(today.workSeconds, 170u) << "work goes on being counted while held";
    EXPECT_NE(dayBytes("2027-01-15.xml").find("<hold at=\"10-00-40\" held=\"100\" why=\"call\"/>"), std::string::npos)
        << dayBytes("2027-01-15.xml");
}
