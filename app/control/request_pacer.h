// At most a few requests a second: a script in a loop must not keep the program's window
// thread busy. A bucket of kBurst requests, refilled at kPerSecond; a request that finds
// it empty waits for the next one.
#pragma once

#include <cstdint>

namespace control {

class RequestPacer {
public:
    static constexpr uint32_t kBurst = 4;
    static constexpr uint32_t kPerSecond = 4;

    // The milliseconds the request arriving at `nowMs` waits before it is served (0: at
    // once); the wait is counted as taken. `nowMs` is a steady clock that never goes back.
    uint64_t admit(uint64_t nowMs) {
        const uint64_t interval = 1000 / kPerSecond;
        // Whole tokens earned since the last look, up to a full bucket. A wait counts its
        // token as refilled at its end, which a request may arrive before: none earned then.
        if (m_started) {
            const uint64_t earned = nowMs > m_refilledAt ? (nowMs - m_refilledAt) / interval : 0;
            m_tokens = earned >= kBurst - m_tokens ? kBurst : m_tokens + static_cast<uint32_t>(earned);
            m_refilledAt = m_tokens == kBurst ? nowMs : m_refilledAt + earned * interval;
        } else {
            m_started = true;
            m_refilledAt = nowMs;
        }
        if (m_tokens > 0) {
            --m_tokens;
            return 0;
        }
        // The next token comes one interval after the last refill; it is spent at once.
        const uint64_t servedAt = m_refilledAt + interval;
        m_refilledAt = servedAt;
        return servedAt - nowMs;
    }

private:
    bool m_started = false;
    uint32_t m_tokens = kBurst;
    uint64_t m_refilledAt = 0;
};

}  // namespace control
