// The owning wrappers for OS handles and reference-counted interfaces.
#include "platform/ComPtr.h"
#include "platform/RefCountedImpl.h"
#include "platform/UniqueHandle.h"

#include <gtest/gtest.h>

#include <vector>

namespace hb {
namespace {

// Handles are ints; 0 and -1 both mean "none", as for kernel handles.
std::vector<int> g_closed;
struct IntTraits {
    using Type = int;
    static constexpr int Invalid() noexcept { return 0; }
    static bool IsValid(int h) noexcept { return h != 0 && h != -1; }
    static void Close(int h) noexcept { g_closed.push_back(h); }
};
using IntHandle = UniqueHandle<IntTraits>;

class UniqueHandleTest : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesEachHandleExactlyOnceOverItsLife) {
    {
        IntHandle a(7);
        IntHandle b(std::move(a));
        EXPECT_FALSE(a.IsValid());
        IntHandle c;
        c = std::move(b);
        IntHandle& alias = c;
        c = std::move(alias); // self-move keeps the handle
        EXPECT_EQ(c.Get(), 7);
        EXPECT_TRUE(g_closed.empty());
    }
    EXPECT_EQ(g_closed, std::vector<int>{7});
}

TEST_F(UniqueHandleTest, ResetClosesTheOldHandleButNotTheSameOne) {
    IntHandle h(3);
    h.Reset(3);
    EXPECT_TRUE(g_closed.empty());
    h.Reset(4);
    h = IntHandle(5);
    EXPECT_EQ(g_closed, (std::vector<int>{3, 4}));
}

TEST_F(UniqueHandleTest, ReleaseGivesUpOwnershipAndInvalidValuesAreNeverClosed) {
    {
        IntHandle owned(9);
        EXPECT_EQ(owned.Release(), 9);
        IntHandle none(-1);
        EXPECT_FALSE(none);
        IntHandle empty;
        EXPECT_FALSE(empty);
    }
    EXPECT_TRUE(g_closed.empty());
}

class IThing {
public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    virtual int Value() = 0;

protected:
    virtual ~IThing() = default;
};

int g_alive = 0;
class Thing final : public RefCountedImpl<IThing> {
public:
    explicit Thing(int value) : m_value(value) { ++g_alive; }
    ~Thing() override { --g_alive; }
    int Value() override { return m_value; }

private:
    int m_value;
};

TEST(ComPtrTest, LastReferenceDestroysTheObject) {
    g_alive = 0;
    {
        ComPtr<IThing> first = MakeRefCounted<Thing>(42); // converts from ComPtr<Thing>
        ComPtr<IThing> copy = first;
        ComPtr<IThing> moved = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(moved->Value(), 42);
        copy.Reset();
        EXPECT_EQ(g_alive, 1);
        moved = copy; // assigning null releases the last reference
        EXPECT_EQ(g_alive, 0);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ComPtrTest, AttachAdoptsAndDetachHandsOverAReference) {
    g_alive = 0;
    ComPtr<IThing> owner = MakeRefCounted<Thing>(1);
    IThing* raw = owner.Detach(); // the caller now holds the reference
    EXPECT_EQ(g_alive, 1);
    {
        ComPtr<IThing> adopted = ComPtr<IThing>::Attach(raw); // no extra AddRef
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ComPtrTest, OutParameterReleasesWhatWasHeld) {
    g_alive = 0;
    ComPtr<IThing> p = MakeRefCounted<Thing>(1);
    IThing** slot = p.ReleaseAndGetAddressOf();
    EXPECT_EQ(g_alive, 0);
    EXPECT_EQ(*slot, nullptr);
}

} // namespace
} // namespace hb
