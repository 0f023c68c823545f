#include "core/IntrusivePointer.h"

#include <gtest/gtest.h>

namespace {

struct Base : IntrusivePointerMixin<Base> {
    explicit Base(int* destroyed) : destroyed(destroyed) {}
    virtual ~Base() { ++*destroyed; }
    int* destroyed;
};

struct Derived : Base {
    Derived(int* destroyed, int* derivedDestroyed) : Base(destroyed), derived(derivedDestroyed) {}
    ~Derived() override { ++*derived; }
    int* derived;
};

// Counted without virtual operations: destroyed through its own type.
struct Plain : IntrusivePointerMixin<Plain> {
    explicit Plain(int* destroyed) : destroyed(destroyed) {}
    ~Plain() { ++*destroyed; }
    int* destroyed;
};

void takeByValue(IntrusivePointer<Plain> held, int expected) {
    EXPECT_EQ(held->referenceCount(), expected);
}

} // namespace

TEST(IntrusivePointer, LastReleaseRunsTheVirtualDestructorExactlyOnce) {
    int base = 0, derived = 0;
    {
        IntrusivePointer<Base> a(new Derived(&base, &derived));
        EXPECT_EQ(a->referenceCount(), 1);
        {
            IntrusivePointer<Base> b(a);
            EXPECT_EQ(a->referenceCount(), 2);
        }
        EXPECT_EQ(base, 0);
    }
    EXPECT_EQ(base, 1);
    EXPECT_EQ(derived, 1);
}

TEST(IntrusivePointer, AnObjectNeverHeldIsNeverDestroyedByCounting) {
    int destroyed = 0;
    Plain stackObject(&destroyed);
    EXPECT_EQ(stackObject.referenceCount(), 0);
    IntrusivePointer<Plain> empty;
    empty.reset();
    EXPECT_FALSE(empty);
    EXPECT_EQ(destroyed, 0);
}

TEST(IntrusivePointer, AssignmentReleasesThePreviousObject) {
    int first = 0, second = 0;
    IntrusivePointer<Plain> p(new Plain(&first));
    p = new Plain(&second);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    p = p.get(); // self-assignment keeps the object alive
    EXPECT_EQ(second, 0);
    EXPECT_EQ(p->referenceCount(), 1);
    IntrusivePointer<Plain> q;
    q = p;
    EXPECT_EQ(p->referenceCount(), 2);
    p = nullptr;
    EXPECT_EQ(second, 0);
    q.reset();
    EXPECT_EQ(second, 1);
}

TEST(IntrusivePointer, PassingByValueGivesTheCalleeItsOwnReference) {
    int destroyed = 0;
    IntrusivePointer<Plain> p(new Plain(&destroyed));
    takeByValue(p, 2);
    EXPECT_EQ(p->referenceCount(), 1);
    IntrusivePointer<Plain> moved(std::move(p));
    EXPECT_FALSE(p);
    EXPECT_EQ(moved->referenceCount(), 1);
    EXPECT_EQ(destroyed, 0);
}
