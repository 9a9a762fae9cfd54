// What the rest waits for before it covers the screens: a pause in typing (typing_pause.h)
// and an administrator's window leaving the front. Windows lets no program of a lower
// integrity level take the foreground from an elevated one, attach to its input or have
// its injected input count, and a low-level hook never sees the keys going to it: a cover
// over it would hide the window while every key still reached it, and the user would type
// blind into, say, an administrator console. So the rest waits, up to 2 minutes, with one
// balloon; after that it covers as it always does.
#pragma once

#include <cstdint>

namespace hold {

constexpr uint32_t kLongestFrontWaitMs = 120000;
constexpr uint32_t kFrontLookMs = 1000;  // how often the front is looked at meanwhile

// The integrity levels are the last part of a mandatory label's SID.
constexpr uint32_t kMediumIntegrity = 0x2000;

// The window in front, as far as it could be read.
struct FrontFacts {
    bool window = false;      // a window is in front
    bool ours = false;        // it is one of this program's
    bool levelKnown = false;  // its process's integrity level could be read
    uint32_t level = 0;
    bool ownKnown = false;    // this process's level could be read
    uint32_t ownLevel = 0;
};

// True when the keys may be going where the cover cannot take them from: the window in
// front belongs to a process of a higher integrity level than ours, or its level could not
// be read (Windows refuses even that for some elevated and protected programs). Nothing in
// front leaves the foreground free to take. Our own level unread counts as medium, the
// level of a program started the usual way.
bool frontHoldsCover(const FrontFacts& front);

// How long the due rest has waited, for each reason.
struct CoverWait {
    uint32_t typingMs = 0;
    uint32_t frontMs = 0;
};

struct CoverStep {
    uint32_t delayMs = 0;    // 0 covers now
    bool tellFront = false;  // the balloon that the administrator's window holds the rest
};

// The next step of a due rest: `frontHolds` from frontHoldsCover, `sinceKeyMs` as for
// coverDelay. Adds the delay to `waited`. The front goes first: the typing that counts then
// is the user's in the window after it.
CoverStep nextCoverStep(bool frontHolds, long long sinceKeyMs, CoverWait& waited);

}  // namespace hold
