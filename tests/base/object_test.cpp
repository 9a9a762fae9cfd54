#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "kiv/object_kiv.h"

namespace {

// A derived object with a member of its own, so that a partial destruction through the base
// would leak (LeakSanitizer) or skip the count.
struct Derived : kiv::Object {
    static int destroyed;
    std::string payload = std::string(100, 'x');
    ~Derived() override { ++destroyed; }
};
int Derived::destroyed = 0;

// An object that lets the test attach a liveness record as an observer would.
struct Observed : kiv::Object {
    Observed() = default;
    Observed(const Observed&) = default;
    Observed& operator=(const Observed&) = default;
    explicit Observed(kiv::Liveness* record) {
        liveness = record;
        ++record->count;
        record->object = this;
    }
    kiv::Liveness* record() const { return liveness; }
};

TEST(Object, DeletingThroughTheBaseDestroysTheWholeObject) {
    Derived::destroyed = 0;
    kiv::Object* object = new Derived();
    delete object;
    EXPECT_EQ(Derived::destroyed, 1);
}

TEST(Object, NewObjectHasNoLivenessRecord) {
    Observed plain;
    EXPECT_EQ(plain.record(), nullptr);
}

// Observers still holding the record see the object gone and the count down by one.
TEST(Object, DestructionDetachesASharedLivenessRecord) {
    for (int observers : {1, 2, 5}) {
        kiv::Liveness* record = new kiv::Liveness{{observers}, nullptr};
        {
            Observed object(record);
            EXPECT_EQ(record->object, &object);
            EXPECT_EQ(record->count.load(), observers + 1);
        }
        EXPECT_EQ(record->object, nullptr) << observers;
        EXPECT_EQ(record->count.load(), observers) << observers;
        delete record;
    }
}

// The object was the record's last holder: the record goes with it (a record left behind is
// a leak, which LeakSanitizer reports in the native build).
TEST(Object, DestructionFreesTheRecordItHeldAlone) {
    kiv::Liveness* record = new kiv::Liveness{{0}, nullptr};
    auto object = std::make_unique<Observed>(record);
    EXPECT_EQ(record->count.load(), 1);
    object.reset();
}

// A record belongs to one object: a copy starts without one, and assignment keeps each
// object's own.
TEST(Object, CopiesDoNotShareTheRecord) {
    kiv::Liveness* record = new kiv::Liveness{{1}, nullptr};
    {
        Observed original(record);
        Observed copy(original);
        EXPECT_EQ(copy.record(), nullptr);
        EXPECT_EQ(record->count.load(), 2);
        Observed other;
        other = original;
        EXPECT_EQ(other.record(), nullptr);
        original = other;
        EXPECT_EQ(original.record(), record);
    }
    EXPECT_EQ(record->count.load(), 1);
    EXPECT_EQ(record->object, nullptr);
    delete record;
}

}  // namespace
