// A test in a time zone of its own choosing (UTC until it sets another), with the machine's
// zone given back afterwards; local times read and written as the day files write them.
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
        m_hadZone = current != nullptr;
        if (current) m_savedZone = current;
        kiv::os::setTimeZone("UTC0");
    }
    void TearDown() override { kiv::os::setTimeZone(m_hadZone ? m_savedZone.c_str() : nullptr); }

    // Local time from "YYYY-MM-DD HH-MM-SS" in the zone set now.
    static kiv::Time local(const char* text) {
        const std::u16string units(text, text + std::char_traits<char>::length(text));
        const kiv::Time t(kiv::String(units.c_str()), kiv::String(u"%Y-%m-%d %H-%M-%S"));
        EXPECT_GE(t.timeValue(), 0) << text;
        return t;
    }
    static std::string text(const kiv::Time& t) {
        const kiv::String s = t.format(kiv::String(u"%Y-%m-%d %H-%M-%S"));
        std::string out;
        for (unsigned i = 0; i < s.length(); ++i) out += static_cast<char>(s.at(i));
        return out;
    }

private:
    bool m_hadZone = false;
    std::string m_savedZone;
};

}  // namespace test
