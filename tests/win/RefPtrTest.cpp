#include "ui/RefPtr.h"

#include "platform/Handles.h"
#include "ui/RefCounted.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

class Tracked : public RefCounted {
public:
    explicit Tracked(int& destroyed) : m_destroyed(destroyed) {}
    ~Tracked() override { ++m_destroyed; }

private:
    int& m_destroyed;
};

class Derived : public Tracked {
public:
    using Tracked::Tracked;
};

TEST(RefPtr, CountsEveryHolderAndDeletesAtTheLastRelease) {
    int destroyed = 0;
    auto* object = new Tracked(destroyed);
    EXPECT_EQ(object->referenceCount(), 0);
    {
        RefPtr<Tracked> first(object);
        EXPECT_EQ(object->referenceCount(), 1);
        {
            RefPtr<Tracked> copy = first;
            EXPECT_EQ(object->referenceCount(), 2);
            RefPtr<Tracked> moved = std::move(copy);
            EXPECT_EQ(object->referenceCount(), 2);
            EXPECT_FALSE(copy);
            EXPECT_EQ(moved.get(), object);
        }
        EXPECT_EQ(object->referenceCount(), 1);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, AssignmentAndResetReleaseTheOldObject) {
    int destroyedA = 0, destroyedB = 0;
    RefPtr<Tracked> a(new Tracked(destroyedA));
    RefPtr<Tracked> b(new Tracked(destroyedB));
    a = b;
    EXPECT_EQ(destroyedA, 1);
    EXPECT_EQ(b->referenceCount(), 2);
    a = a;  // self-assignment keeps the object
    EXPECT_EQ(b->referenceCount(), 2);
    b.reset();
    EXPECT_EQ(a->referenceCount(), 1);
    a.reset();
    EXPECT_EQ(destroyedB, 1);
}

TEST(RefPtr, DerivedPointerSharesTheCount) {
    int destroyed = 0;
    RefPtr<Derived> derived = makeRef<Derived>(destroyed);
    RefPtr<Tracked> base(derived);
    EXPECT_EQ(base->referenceCount(), 2);
    derived.reset();
    EXPECT_EQ(destroyed, 0);
    base.reset();
    EXPECT_EQ(destroyed, 1);
}

TEST(RefPtr, ManualAddRefAndReleaseReportTheNewCount) {
    int destroyed = 0;
    RefPtr<Tracked> held = makeRef<Tracked>(destroyed);
    EXPECT_EQ(held->addRef(), 2);
    EXPECT_EQ(held->release(), 1);
    EXPECT_EQ(destroyed, 0);
}

// The count is changed with interlocked operations: threads that share one object end
// with the count they started with.
DWORD WINAPI copyManyTimes(void* parameter) {
    auto* shared = static_cast<RefPtr<Tracked>*>(parameter);
    for (int i = 0; i < 20000; ++i) {
        RefPtr<Tracked> copy(*shared);
        RefPtr<Tracked> another(copy);
    }
    return 0;
}

TEST(RefPtr, CountsStayExactAcrossThreads) {
    int destroyed = 0;
    RefPtr<Tracked> shared = makeRef<Tracked>(destroyed);
    std::vector<KernelHandle> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back(CreateThread(nullptr, 0, copyManyTimes, &shared, 0, nullptr));
    for (const KernelHandle& t : threads) {
        ASSERT_NE(t.Get(), nullptr);
        WaitForSingleObject(t.Get(), INFINITE);
    }
    EXPECT_EQ(shared->referenceCount(), 1);
    EXPECT_EQ(destroyed, 0);
}

}  // namespace
