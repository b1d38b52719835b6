#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <gtest/gtest.h>

#include <vector>

namespace rs::test {
namespace {

struct Sink : TTabletSink
{
    TEmulatedTabletDriver* Driver = nullptr;
    std::vector<TTabletPacket> Got;
    std::vector<std::uint32_t> Serials;
    int Changes = 0;
    bool Fetch = true;
    void PacketReady(TTabletContext ctx, std::uint32_t serial) override
    {
        Serials.push_back(serial);
        TTabletPacket p;
        if (Fetch && Driver->Packet(ctx, serial, p)) Got.push_back(p);
    }
    void ContextChanged(TTabletContext) override { ++Changes; }
};

TTabletContextDesc Identity(TEmulatedTabletDriver& d)
{
    TTabletContextDesc desc;
    d.DefaultContext(desc);
    desc.OutExtX = desc.InExtX;
    desc.OutExtY = desc.InExtY;
    return desc;
}

TEST(EmulatedTablet, NewContextsGoOnTopAndOverlapReorders)
{
    TEmulatedTabletDriver d("t", 1000, 500);
    Sink s1, s2, s3;
    const auto c1 = d.Open(1, Identity(d), true, &s1);
    const auto c2 = d.Open(2, Identity(d), true, &s2);
    const auto c3 = d.Open(3, Identity(d), true, &s3);
    EXPECT_EQ(d.OverlapOrder(), (std::vector<TTabletContext>{c3, c2, c1}));
    EXPECT_TRUE(d.Overlap(c1, true));
    EXPECT_EQ(d.OverlapOrder(), (std::vector<TTabletContext>{c1, c3, c2}));
    EXPECT_TRUE(d.Overlap(c1, false));
    EXPECT_EQ(d.OverlapOrder(), (std::vector<TTabletContext>{c3, c2, c1}));
    EXPECT_TRUE(d.Close(c3));
    EXPECT_FALSE(d.Close(c3));
    EXPECT_FALSE(d.Overlap(c3, true));
    EXPECT_EQ(d.TargetContext(), c2);
    EXPECT_EQ(d.Open(0, Identity(d), true, &s1), 0u); // a context needs a window
}

TEST(EmulatedTablet, PacketsGoToTheTopmostEnabledContext)
{
    TEmulatedTabletDriver d("t", 1000, 500);
    Sink s1, s2;
    s1.Driver = s2.Driver = &d;
    const auto c1 = d.Open(1, Identity(d), true, &s1);
    const auto c2 = d.Open(2, Identity(d), false, &s2);
    EXPECT_EQ(d.Deliver(1, 10, 20), c1);
    ASSERT_EQ(s1.Got.size(), 1u);
    EXPECT_EQ(s1.Got[0], (TTabletPacket{1, 10, 20}));
    EXPECT_TRUE(s2.Got.empty());
    d.Enable(c2, true);
    EXPECT_EQ(d.Deliver(0, 11, 20), c2);
    EXPECT_EQ(s2.Got.size(), 1u);
    d.Enable(c1, false);
    d.Enable(c2, false);
    EXPECT_EQ(d.Deliver(0, 12, 20), 0u);
}

TEST(EmulatedTablet, FetchingAPacketDiscardsOlderOnes)
{
    TEmulatedTabletDriver d("t", 1000, 500);
    Sink s;
    s.Driver = &d;
    s.Fetch = false;
    const auto c = d.Open(1, Identity(d), true, &s);
    for (int i = 0; i < 3; ++i)
        d.Deliver(0, i, 0);
    TTabletPacket p;
    ASSERT_TRUE(d.Packet(c, s.Serials[1], p));
    EXPECT_EQ(p.X, 1);
    EXPECT_FALSE(d.Packet(c, s.Serials[0], p));
    EXPECT_FALSE(d.Packet(c, s.Serials[1], p));
    EXPECT_TRUE(d.Packet(c, s.Serials[2], p));
    // The queue is bounded.
    for (int i = 0; i < 100; ++i)
        d.Deliver(0, i, 0);
    EXPECT_FALSE(d.Packet(c, s.Serials[3], p));
    EXPECT_TRUE(d.Packet(c, s.Serials.back(), p));
}

TEST(EmulatedTablet, PositionsAreMappedOntoTheOutputArea)
{
    TEmulatedTabletDriver d("t", 1000, 500);
    Sink s;
    s.Driver = &d;
    TTabletContextDesc desc;
    d.DefaultContext(desc); // output 1024 x -768 until the opener changes it
    d.Open(1, desc, true, &s);
    d.Deliver(0, 500, 250);
    ASSERT_EQ(s.Got.size(), 1u);
    EXPECT_EQ(s.Got[0].X, 512);
    EXPECT_EQ(s.Got[0].Y, -384);
}

TEST(EmulatedTablet, ANewAreaReachesTheOpenContexts)
{
    TEmulatedTabletDriver d("t", 1000, 500);
    Sink s;
    s.Driver = &d;
    int areaChanges = 0;
    d.OnAreaChange = [&] { ++areaChanges; };
    const auto c = d.Open(1, Identity(d), true, &s);
    d.SetArea(1000, 500);
    EXPECT_EQ(areaChanges, 0);
    d.SetArea(4000, 3000);
    EXPECT_EQ(areaChanges, 1);
    EXPECT_EQ(s.Changes, 1);
    TTabletContextDesc now;
    ASSERT_TRUE(d.GetContext(c, now));
    EXPECT_EQ(now.InExtX, 4000);
    EXPECT_EQ(now.OutExtY, 3000);
    TTabletContextDesc def;
    d.DefaultContext(def);
    EXPECT_EQ(def.InExtX, 4000);
}

TEST(TabletRegistry, AChangeOfDriverStartsTheLoadedFlagAfresh)
{
    TScriptedTabletDriver a, b;
    SetTabletDriver(&a);
    EXPECT_TRUE(LoadTabletLibrary());
    EXPECT_TRUE(TabletAvailable());
    SetTabletDriver(&b);
    EXPECT_FALSE(TabletAvailable());
    EXPECT_FALSE(TabletLoadFailed());
    EXPECT_TRUE(LoadTabletLibrary());
    ReleaseTabletLibrary();
    EXPECT_EQ(b.Releases, 1);
    EXPECT_FALSE(TabletAvailable());
    SetTabletDriver(nullptr);
    EXPECT_FALSE(LoadTabletLibrary());
    EXPECT_TRUE(TabletLoadFailed());
}

TEST(TabletRegistry, SelectingNoDriverWorksBeforeAndAfterRegistration)
{
    SelectNoTabletDriver();
    {
        TScriptedTabletDriver a;
        SetTabletDriver(&a);
        EXPECT_EQ(ActiveTabletDriver(), nullptr);
        EXPECT_FALSE(LoadTabletLibrary());
        SelectNoTabletDriver(false);
        EXPECT_EQ(ActiveTabletDriver(), &a);
        EXPECT_TRUE(LoadTabletLibrary());
        SelectNoTabletDriver(true);
        EXPECT_FALSE(TabletAvailable());
    }
    EXPECT_EQ(RegisteredTabletDriver(), nullptr);
    SelectNoTabletDriver(false);
}

} // namespace
} // namespace rs::test
