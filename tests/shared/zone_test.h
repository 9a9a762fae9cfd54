// A test in a time zone of its choosing (UTC until it sets another); the machine's zone comes
// back afterwards. Local times are written as the day files write them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "kiv/time_kiv.h"
#include "os_kiv.h"

namespace test {

class ZoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* current = std::getenv("TZ");
        m_savedZone = current ? current : "";
        m_hadZone = current != nullptr;
        kiv::os::setTimeZone("UTC0");
    }
    void TearDown() override { kiv::os::setTimeZone(m_hadZone ? m_savedZone.c_str() : nullptr); }

    // Local time from "YYYY-MM-DD HH-MM-SS" in the zone set now, and back.
    static kiv::Time local(const char* text) {
        const std::u16string units(text, text + std::char_traits<char>::length(text));
        const kiv::Time t(kiv::String(units.c_str()), kiv::String(u"%Y-%m-%d %H-%M-%S"));
        EXPECT_GE(t.timeValue(), 0) << text;
        return t;
    }
    static std::string text(const kiv::Time& t) {
        const kiv::String s = t.format(kiv::String(u"%Y-%m-%d %H-%M-%S"));
        return std::string(s.wstr(), s.wstr() + s.length());
    }

private:
    bool m_hadZone = false;
    std::string m_savedZone;
};

}  // namespace test
