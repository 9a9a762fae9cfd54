#include <gtest/gtest.h>

#include "check_recorder.h"
#include "kiv/pointer_kiv.h"

namespace {

struct Counted : kiv::Object {
    static int destroyed;
    ~Counted() override { ++destroyed; }
};
int Counted::destroyed = 0;

TEST(Pointer, LastOwningCopyDestroysOnce) {
    Counted::destroyed = 0;
    kiv::Pointer<Counted> first;
    first.create();
    kiv::Pointer<Counted> second(first);
    first.release();
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_NE(second.get(), nullptr);
    second.release();
    EXPECT_EQ(Counted::destroyed, 1);
}

TEST(Pointer, ReferringPointerNeverDestroys) {
    Counted::destroyed = 0;
    Counted owned;
    {
        kiv::Pointer<Counted> ref;
        ref.refer(&owned);
        kiv::Pointer<Counted> copy = ref;
        EXPECT_EQ(copy.get(), &owned);
        EXPECT_FALSE(copy.isOwner());
    }
    EXPECT_EQ(Counted::destroyed, 0);
}

TEST(Pointer, ReferToNullStaysEmpty) {
    kiv::Pointer<Counted> p;
    p.refer(nullptr);
    EXPECT_TRUE(p.isNull());
}

TEST(Pointer, CreateReleasesThePreviousObjectFirst) {
    Counted::destroyed = 0;
    kiv::Pointer<Counted> p;
    Counted* first = p.create();
    Counted* second = p.create();
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(p.get(), second);
    p.release();
    EXPECT_EQ(Counted::destroyed, 2);
}

TEST(Pointer, CheckedAccessOnEmptyReportsThenThrowsMinusOne) {
    kivtest::CheckRecorder checks;
    kiv::Pointer<Counted> empty;
    int thrown = 0;
    try {
        empty.pointer();
    } catch (int value) {
        thrown = value;
    }
    EXPECT_EQ(thrown, -1);
    kivtest::CheckEntry entry = checks.only();
    EXPECT_EQ(entry.expression, "pointer() != c_null");
    EXPECT_EQ(entry.file, "include/kiv/pointer_kiv.h");
    EXPECT_EQ(entry.line, 302u);
}

}  // namespace

namespace {

TEST(Pointer, CopiesOfAReferringPointerOutliveEachOtherWithoutDestroying) {
    Counted::destroyed = 0;
    kiv::Pointer<Counted> owner;
    Counted* object = owner.create();
    {
        kiv::Pointer<Counted> first;
        first.refer(object);
        kiv::Pointer<Counted> second(first);
        kiv::Pointer<Counted> third;
        third = second;
        first.release();
        EXPECT_TRUE(first.isNull());
        EXPECT_EQ(second.get(), object);
        EXPECT_EQ(third.pointer(), object);
        second.release();
        EXPECT_EQ(third.get(), object);
    }
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_EQ(owner.get(), object);
    owner.release();
    EXPECT_EQ(Counted::destroyed, 1);
}

TEST(Pointer, SelfAssignmentKeepsTheObjectAndItsCount) {
    Counted::destroyed = 0;
    kiv::Pointer<Counted> p;
    Counted* object = p.create();
    kiv::Pointer<Counted>& alias = p;
    p = alias;
    EXPECT_EQ(Counted::destroyed, 0);
    EXPECT_EQ(p.get(), object);
    EXPECT_TRUE(p.isOwner());
    kiv::Pointer<Counted> copy(p);
    kiv::Pointer<Counted>& copyAlias = copy;
    copy = copyAlias;
    p.release();
    EXPECT_EQ(Counted::destroyed, 0);  // the copy still counts
    copy.release();
    EXPECT_EQ(Counted::destroyed, 1);
}

TEST(Pointer, AssignmentReleasesWhatTheTargetHeld) {
    Counted::destroyed = 0;
    kiv::Pointer<Counted> a;
    kiv::Pointer<Counted> b;
    a.create();
    Counted* kept = b.create();
    a = b;  // a held the last copy of its object
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_EQ(a.get(), kept);
    a = kiv::Pointer<Counted>();  // assigning an empty pointer empties it
    EXPECT_TRUE(a.isNull());
    EXPECT_FALSE(a.isOwner());
    EXPECT_EQ(Counted::destroyed, 1);
    b.release();
    EXPECT_EQ(Counted::destroyed, 2);
}

TEST(Pointer, ReferReleasesTheOwnedObjectFirst) {
    Counted::destroyed = 0;
    Counted outside;
    kiv::Pointer<Counted> p;
    p.create();
    p.refer(&outside);
    EXPECT_EQ(Counted::destroyed, 1);
    EXPECT_FALSE(p.isOwner());
    p.release();
    EXPECT_EQ(Counted::destroyed, 1);
}

TEST(Pointer, ArrowOnAnEmptyPointerReportsThenThrows) {
    kivtest::CheckRecorder checks;
    kiv::Pointer<Counted> empty;
    EXPECT_THROW(static_cast<void>(empty.operator->()), int);
    EXPECT_THROW(static_cast<void>(&*empty), int);
    ASSERT_EQ(checks.entries().size(), 2u);
    EXPECT_EQ(checks.entries()[1].expression, "pointer() != c_null");
}

}  // namespace
