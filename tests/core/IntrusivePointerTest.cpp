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

// Copyable; each object counts its own destruction wherever it was copied from.
struct Tally : IntrusivePointerMixin<Tally> {
    explicit Tally(int* destroyed) : destroyed(destroyed) {}
    Tally(const Tally& other, int* destroyed)
        : IntrusivePointerMixin(other), destroyed(destroyed) {}
    Tally& operator=(const Tally& other) {
        IntrusivePointerMixin::operator=(other);
        return *this;
    }
    ~Tally() { ++*destroyed; }
    int* const destroyed;
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

// A copy is a new object: it starts with no holders of its own, and assigning one object to
// another leaves each with its own holders. A count carried over would keep a copy alive for
// ever, or destroy an object that is still held.
TEST(IntrusivePointer, ACopyStartsUnheldAndAssignmentKeepsEachObjectsCount) {
    int originals = 0, copies = 0;
    IntrusivePointer<Tally> original(new Tally(&originals));
    IntrusivePointer<Tally> again(original);
    Tally* raw = new Tally(*original, &copies);
    EXPECT_EQ(raw->referenceCount(), 0);
    IntrusivePointer<Tally> copy(raw);
    EXPECT_EQ(copy->referenceCount(), 1);

    *copy = *original;
    EXPECT_EQ(copy->referenceCount(), 1);
    *original = *copy;
    EXPECT_EQ(original->referenceCount(), 2);

    copy.reset();
    EXPECT_EQ(copies, 1) << "its one holder let go";
    again.reset();
    EXPECT_EQ(originals, 0);
    original.reset();
    EXPECT_EQ(originals, 1);
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
