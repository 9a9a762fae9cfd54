// What holds a rest that falls due: a call (a microphone in use), a camera in use, or a
// presentation (Windows' presentation mode or a Direct3D full-screen program). The
// decision and its time rules are plain code: the signals come in as values
// (hold_signals.h reads them), and the state moves only with the ticks it is given.
#pragma once

#include <cstdint>
#include <vector>

namespace hold {

enum class Reason { None, Call, Camera, Presentation };

// What the platform says at one moment.
struct Signals {
    bool microphone = false;    // another program records from a microphone
    bool camera = false;        // another program uses a camera
    bool presentation = false;  // presentation mode or a Direct3D full-screen program
};

// Why a due rest is held now; None when nothing holds it or the user turned holding off.
// A microphone is a call even with the camera on; a call or a camera goes before a
// presentation, since a shared screen in a call is still a call.
Reason decide(const Signals& signals, bool enabled);

// Whether a ConsentStore entry is a use going on now. Times are FILETIME values (100 ns
// since 1601, UTC): `usedSince` its LastUsedTimeStart, `stoppedAt` its LastUsedTimeStop,
// `processStarts` when each running process of its program started, `bootTime` when the
// computer started. A program that crashed or was killed during a call, or a computer that
// lost power, leaves its entry at 0 for ever, and browsers and call programs run all day: the
// entry counts only when a running copy was there when the use began (kStartSlack allows for
// the clocks' grain) and the use began after the last boot.
bool entryCounts(uint64_t usedSince, uint64_t stoppedAt, const std::vector<uint64_t>& processStarts,
                 uint64_t bootTime);
constexpr uint64_t kFileTimeSecond = 10000000;
constexpr uint64_t kStartSlack = 5 * kFileTimeSecond;

// Seconds a rest comes after the hold ends: its one-minute reminder, then its notice.
constexpr uint32_t kAfterHold = 60;
// The longest a rest is held in one work period, all its holds together.
constexpr uint32_t kLongestHold = 120 * 60;

// The holds of one work period, one tick at a time.
class HoldState {
public:
    enum class Step {
        None,      // nothing changed
        Began,     // a hold began with this tick
        Ended,     // nothing holds any more
        TimedOut,  // held for kLongestHold: the rest comes now, whatever still holds
    };

    // One tick on which the signals were read, with what they decided.
    Step tick(Reason reason);
    // A new work period: every hold is over and the limit starts again.
    void reset() { *this = HoldState(); }

    bool isHeld() const { return m_held; }
    // Why the current hold began; after it ended, why the last one did (None before any).
    Reason reason() const { return m_reason; }
    // Seconds of the current hold; after it ended, of the last one.
    uint32_t seconds() const { return m_seconds; }

private:
    bool m_held = false;
    Reason m_reason = Reason::None;
    uint32_t m_seconds = 0;  // of the current or last hold
    uint32_t m_total = 0;    // of every hold in this work period
};

// The rest covers the screens at a pause in typing: when a key was pressed in the last
// 1.5 s, the cover waits for a 1.5 s pause, at most 10 s (typing_pause.h watches the keys).
constexpr uint32_t kTypingPauseMs = 1500;
constexpr uint32_t kLongestCoverWaitMs = 10000;
// Seconds of work left when the keys begin to be watched.
constexpr uint32_t kKeyWatchAt = 2;

// Milliseconds the cover still waits: 0 covers now. `sinceKeyMs` is the time since the
// last key press, negative when none was seen; `waitedMs` how long the cover has waited.
uint32_t coverDelay(long long sinceKeyMs, uint32_t waitedMs);

}  // namespace hold
