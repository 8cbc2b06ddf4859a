#include <gtest/gtest.h>

#include "runtime/object.h"

namespace {

// Records its own destruction so tests can see exactly when the last
// reference let go.
class Tracked : public rt::Object {
public:
    explicit Tracked(bool& destroyed) : destroyed_(destroyed) {}
    ~Tracked() override { destroyed_ = true; }

private:
    bool& destroyed_;
};

// A non-object base placed first, so that a Derived* and the Tracked* of the
// same object hold different addresses.
class Mixin {
public:
    virtual ~Mixin() = default;
    int filler = 7;
};

class Derived : public Mixin, public Tracked {
public:
    using Tracked::Tracked;
};

class Unrelated : public rt::Object {};

TEST(RefTest, MakeHoldsTheOnlyReference) {
    bool destroyed = false;
    auto r = rt::make<Tracked>(destroyed);
    EXPECT_EQ(r->refCount(), 1);
    EXPECT_FALSE(r.isNothing());
    EXPECT_TRUE(static_cast<bool>(r));
}

TEST(RefTest, CopyAddsAReferenceAndItsEndReleasesIt) {
    bool destroyed = false;
    auto r = rt::make<Tracked>(destroyed);
    {
        rt::Ref<Tracked> copy = r;
        EXPECT_EQ(r->refCount(), 2);
        EXPECT_EQ(copy.get(), r.get());
    }
    EXPECT_EQ(r->refCount(), 1);
    EXPECT_FALSE(destroyed);
}

TEST(RefTest, MoveHandsTheReferenceOver) {
    bool destroyed = false;
    auto r = rt::make<Tracked>(destroyed);
    Tracked* raw = r.get();
    rt::Ref<Tracked> moved = std::move(r);
    EXPECT_TRUE(r.isNothing());  // NOLINT(bugprone-use-after-move): moved-from state is the point
    EXPECT_EQ(moved.get(), raw);
    EXPECT_EQ(moved->refCount(), 1);

    rt::Ref<Tracked> target;
    target = std::move(moved);
    EXPECT_TRUE(moved.isNothing());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(target->refCount(), 1);
}

TEST(RefTest, AssignmentReleasesTheObjectHeldBefore) {
    bool firstGone = false, secondGone = false;
    auto a = rt::make<Tracked>(firstGone);
    auto b = rt::make<Tracked>(secondGone);
    a = b;
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    EXPECT_EQ(b->refCount(), 2);
    a = nullptr;
    EXPECT_EQ(b->refCount(), 1);
    EXPECT_TRUE(a.isNothing());
}

TEST(RefTest, SelfAssignmentKeepsTheObjectAndItsCount) {
    bool destroyed = false;
    auto r = rt::make<Tracked>(destroyed);
    auto& alias = r;  // through a reference, as it happens in real code
    r = alias;
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(r->refCount(), 1);
    r = std::move(alias);
    EXPECT_FALSE(destroyed);
    ASSERT_FALSE(r.isNothing());
    EXPECT_EQ(r->refCount(), 1);
}

TEST(RefTest, LastReleaseDeletesTheObject) {
    bool destroyed = false;
    {
        auto r = rt::make<Tracked>(destroyed);
        rt::Ref<Tracked> copy = r;
        r = nullptr;
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(RefTest, NothingIsEmptyAndEqualToNothing) {
    rt::Ref<Tracked> none;
    rt::ObjectRef alsoNone = nullptr;
    EXPECT_TRUE(none.isNothing());
    EXPECT_FALSE(static_cast<bool>(none));
    EXPECT_TRUE(none == nullptr);
    EXPECT_TRUE(none == alsoNone);
    EXPECT_TRUE(rt::sameObject(none, alsoNone));

    bool destroyed = false;
    auto some = rt::make<Tracked>(destroyed);
    EXPECT_FALSE(some == nullptr);
    EXPECT_FALSE(rt::sameObject(some, none));
    EXPECT_FALSE(rt::sameObject(none, some));
}

TEST(RefTest, IdentityHoldsAcrossBaseAndDerivedReferences) {
    bool destroyed = false;
    auto derived = rt::make<Derived>(destroyed);
    rt::Ref<Tracked> base = derived;
    rt::ObjectRef object = derived;
    // The addresses differ, yet the references name one object.
    ASSERT_NE(static_cast<const void*>(derived.get()), static_cast<const void*>(base.get()));
    EXPECT_TRUE(derived == base);
    EXPECT_TRUE(base == derived);
    EXPECT_TRUE(rt::sameObject(object, derived));
    EXPECT_EQ(derived->refCount(), 3);

    bool otherGone = false;
    auto other = rt::make<Derived>(otherGone);
    EXPECT_FALSE(rt::sameObject(other, base));
    EXPECT_FALSE(other == derived);
}

TEST(RefTest, ConvertingMoveKeepsTheCount) {
    bool destroyed = false;
    auto derived = rt::make<Derived>(destroyed);
    rt::Ref<Tracked> base = std::move(derived);
    EXPECT_TRUE(derived.isNothing());  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(base->refCount(), 1);
    base = nullptr;
    EXPECT_TRUE(destroyed);
}

TEST(RefTest, AsGivesTheSameObjectOrNothing) {
    bool destroyed = false;
    rt::ObjectRef object = rt::make<Derived>(destroyed);

    auto asDerived = object.as<Derived>();
    ASSERT_FALSE(asDerived.isNothing());
    EXPECT_TRUE(rt::sameObject(asDerived, object));
    EXPECT_EQ(object->refCount(), 2);

    EXPECT_TRUE(object.as<Unrelated>().isNothing());
    EXPECT_EQ(object->refCount(), 2);  // the failed cast took no reference
    EXPECT_TRUE(rt::ObjectRef().as<Tracked>().isNothing());
}

TEST(RefTest, DetachAndAttachHandAReferenceAcross) {
    bool destroyed = false;
    auto r = rt::make<Tracked>(destroyed);
    Tracked* raw = r.detach();
    EXPECT_TRUE(r.isNothing());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(raw->refCount(), 1);

    {
        auto back = rt::Ref<Tracked>::attach(raw);
        EXPECT_EQ(back->refCount(), 1);  // attach adds no reference of its own
    }
    EXPECT_TRUE(destroyed);
}

}  // namespace
