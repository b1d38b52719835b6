#include "tablet/TabletFixture.h"

namespace rs::test {
namespace {

using Lines = std::vector<std::string>;

class TabletTest : public TabletFixture
{
};

// ---- Context opening and closing

TEST_F(TabletTest, LoadedOpensADisabledContextThenEnablesIt)
{
    Driver->OriginX = 100;
    Driver->OriginY = 200;
    auto t = MakeTablet();
    ASSERT_TRUE(t->Connected());
    ASSERT_NE(t->Ctx(), 0u);
    ASSERT_EQ(Driver->Opens.size(), 1u);
    const auto& open = Driver->Opens[0];
    EXPECT_EQ(open.Window, 100u);
    EXPECT_FALSE(open.Enable);
    EXPECT_EQ(open.Desc.OutExtX, open.Desc.InExtX);
    EXPECT_EQ(open.Desc.OutExtY, open.Desc.InExtY);
    EXPECT_FALSE(open.Desc.SysMode);
    EXPECT_EQ(open.Desc.Options, CXO_MESSAGES);
    ASSERT_EQ(Driver->Enables.size(), 1u);
    EXPECT_EQ(Driver->Enables[0], std::make_pair(t->Ctx(), true));
    // Top is the larger Y.
    EXPECT_EQ(t->ContextRect(), (TRect{100, 200 + 18000, 100 + 24000, 200}));
    EXPECT_TRUE(TabletAvailable());
}

TEST_F(TabletTest, RelativeContextMovesTheSystemPointer)
{
    auto t = MakeTablet(moRelative);
    ASSERT_EQ(Driver->Opens.size(), 1u);
    EXPECT_TRUE(Driver->Opens[0].Desc.SysMode);
    EXPECT_EQ(Driver->Opens[0].Desc.Options, CXO_SYSTEM | CXO_MESSAGES);
    EXPECT_TRUE(Driver->IsRelative(t->Ctx()));
}

TEST_F(TabletTest, SettersOnlyStoreWhileLoading)
{
    TTablet t;
    EventLog log;
    log.Attach(t);
    t.SetConnected(false);
    t.SetMode(moRelative);
    t.SetEnabled(false);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_TRUE(Driver->Opens.empty());
    EXPECT_EQ(Driver->Loads, 0);
    t.SetConnected(true);
    t.Loaded(7);
    ASSERT_EQ(Driver->Opens.size(), 1u);
    EXPECT_TRUE(Driver->Opens[0].Desc.SysMode);
    EXPECT_EQ(Driver->Enables.back(), std::make_pair(t.Ctx(), false));
}

TEST_F(TabletTest, LoadedWithoutWindowOrDisconnectedOpensNothing)
{
    TTablet a;
    a.Loaded(0);
    EXPECT_EQ(a.Ctx(), 0u);
    EXPECT_TRUE(Driver->Opens.empty());
    // Asking for a context without a window gives up.
    a.SetConnected(false);
    a.SetConnected(true);
    EXPECT_FALSE(a.Connected());

    TTablet b;
    b.SetConnected(false);
    b.Loaded(5);
    EXPECT_TRUE(Driver->Opens.empty());
    b.SetConnected(true);
    EXPECT_TRUE(b.Connected());
    EXPECT_NE(b.Ctx(), 0u);
}

TEST_F(TabletTest, WithoutTheLibraryTheComponentStaysDisconnected)
{
    Driver->LoadSucceeds = false;
    auto t = MakeTablet();
    EXPECT_FALSE(t->Connected());
    EXPECT_EQ(t->Ctx(), 0u);
    EXPECT_FALSE(TabletAvailable());
    EXPECT_TRUE(TabletLoadFailed());
    EXPECT_EQ(Driver->Loads, 1);
    // Openings do not try again...
    auto u = MakeTablet();
    t->SetConnected(true);
    EXPECT_EQ(Driver->Loads, 1);
    EXPECT_FALSE(u->Connected());
    // ...only an explicit load does.
    Driver->LoadSucceeds = true;
    EXPECT_TRUE(LoadTabletLibrary());
    EXPECT_EQ(Driver->Loads, 2);
    EXPECT_TRUE(LoadTabletLibrary());
    EXPECT_EQ(Driver->Loads, 2);
    t->SetConnected(true);
    EXPECT_TRUE(t->Connected());
}

TEST_F(TabletTest, NoDriverSelectedMeansNoTablet)
{
    SelectNoTabletDriver();
    EXPECT_EQ(ActiveTabletDriver(), nullptr);
    EXPECT_EQ(RegisteredTabletDriver(), Driver.get());
    auto t = MakeTablet();
    EXPECT_FALSE(t->Connected());
    EXPECT_FALSE(LoadTabletLibrary());
    EXPECT_EQ(Driver->Loads, 0);
    SelectNoTabletDriver(false);
    EXPECT_TRUE(LoadTabletLibrary());
}

TEST_F(TabletTest, MissingDefaultContextOrFailedOpenGivesUp)
{
    Driver->HasDefaultContext = false;
    auto t = MakeTablet();
    EXPECT_FALSE(t->Connected());
    EXPECT_TRUE(Driver->Opens.empty());
    Driver->HasDefaultContext = true;
    Driver->OpenFails = true;
    t->SetConnected(true);
    EXPECT_FALSE(t->Connected());
    EXPECT_EQ(t->Ctx(), 0u);
    EXPECT_TRUE(Driver->Enables.empty());
}

TEST_F(TabletTest, FailedCloseKeepsTheContext)
{
    auto t = MakeTablet();
    const auto ctx = t->Ctx();
    Driver->CloseFails = true;
    t->SetConnected(false);
    EXPECT_TRUE(t->Connected());
    EXPECT_EQ(t->Ctx(), ctx);
    Driver->CloseFails = false;
    t->SetConnected(false);
    EXPECT_FALSE(t->Connected());
    EXPECT_EQ(t->Ctx(), 0u);
    EXPECT_FALSE(Driver->IsOpen(ctx));
}

TEST_F(TabletTest, EnabledGoesToAnOpenContextOnly)
{
    auto t = MakeTablet();
    Driver->ClearRecord();
    t->SetEnabled(true); // equal: nothing
    EXPECT_TRUE(Driver->Enables.empty());
    t->SetEnabled(false);
    ASSERT_EQ(Driver->Enables.size(), 1u);
    EXPECT_FALSE(Driver->IsEnabled(t->Ctx()));
    t->SetConnected(false);
    t->SetEnabled(true);
    EXPECT_EQ(Driver->Enables.size(), 1u);
    EXPECT_TRUE(t->Enabled());
}

TEST_F(TabletTest, DestructionClosesTheContext)
{
    auto t = MakeTablet();
    const auto ctx = t->Ctx();
    t.reset();
    EXPECT_FALSE(Driver->IsOpen(ctx));
}

TEST_F(TabletTest, ADriverLeavingTheProcessIsForgotten)
{
    auto t = MakeTablet();
    Driver.reset();
    EXPECT_EQ(t->Ctx(), 0u);
    EXPECT_FALSE(t->Connected());
    EXPECT_FALSE(TabletAvailable());
    EXPECT_EQ(ActiveTabletDriver(), nullptr);
    t.reset(); // must not touch the dead driver
}

// ---- Mode

TEST_F(TabletTest, ModeChangeWhileConnectedReopensOnTop)
{
    auto a = MakeTablet(moAbsolute, 1);
    auto b = MakeTablet(moAbsolute, 2);
    EventLog log;
    log.Attach(*a);
    const auto old = a->Ctx();
    a->SetMode(moRelative);
    EXPECT_NE(a->Ctx(), old);
    EXPECT_FALSE(Driver->IsOpen(old));
    EXPECT_EQ(Driver->OverlapOrder().front(), a->Ctx());
    EXPECT_TRUE(Driver->IsRelative(a->Ctx()));
    EXPECT_EQ(log.Take(), (Lines{"swap rel"}));
    a->SetMode(moRelative);
    EXPECT_TRUE(log.Lines.empty());
}

TEST_F(TabletTest, ModeChangeWhileDisconnectedOnlyNotifies)
{
    auto t = MakeTablet();
    t->SetConnected(false);
    Driver->ClearRecord();
    EventLog log;
    log.Attach(*t);
    t->SwapMode();
    EXPECT_EQ(t->Mode(), moRelative);
    EXPECT_EQ(log.Take(), (Lines{"swap rel"}));
    EXPECT_TRUE(Driver->Opens.empty());
    EXPECT_FALSE(t->Connected());
}

// ---- Packets

TEST_F(TabletTest, CursorMovesOnlyWhenThePositionChanges)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    Driver->Send(0, 10, 20);
    Driver->Send(0, 10, 20);
    Driver->Send(0, 11, 20);
    EXPECT_EQ(log.Take(), (Lines{"move 0 10,20", "move 0 11,20"}));
    EXPECT_EQ(t->CursorPos(), (TPoint{11, 20}));
}

TEST_F(TabletTest, AClickReportsConfirmClickUpInThatOrder)
{
    auto t = MakeTablet();
    EventLog log;
    Driver->Send(0, 5, 5);
    log.Attach(*t);
    Driver->PressButton(0, 6, 6);
    Driver->ReleaseButton(0, 9, 9);
    // The press records the position of the packet before it.
    EXPECT_EQ(log.Take(), (Lines{"press 0 6,6", "move 1 6,6", "confirm 5,5 9,9", "click 0 9,9", "up 0 9,9",
                                 "move 0 9,9"}));
}

TEST_F(TabletTest, ARefusedClickStillReportsTheRelease)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    log.RefuseClick = true;
    Driver->PressButton(1, 0, 0);
    Driver->ReleaseButton(1, 0, 0);
    EXPECT_EQ(log.Take(), (Lines{"press 1 0,0", "confirm 0,0 0,0", "up 1 0,0"}));
}

TEST_F(TabletTest, WithoutAClickHandlerNoConfirmationIsAsked)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    t->OnButtonClick = nullptr;
    Driver->PressButton(2, 0, 0);
    Driver->ReleaseButton(2, 0, 0);
    EXPECT_EQ(log.Take(), (Lines{"press 2 0,0", "up 2 0,0"}));
}

TEST_F(TabletTest, TwoButtonsInOnePacketReportTheLowerOnly)
{
    auto t = MakeTablet();
    Driver->Send(0, 1, 1);
    EventLog log;
    log.Attach(*t);
    Driver->Send(ButtonBit(0) | ButtonBit(2), 2, 2);
    EXPECT_EQ(log.Take(), (Lines{"press 0 2,2", "move 5 2,2"}));
    // Button 0 goes up: reported (press position of button 0's press).
    Driver->Send(ButtonBit(2), 3, 3);
    EXPECT_EQ(log.Take(), (Lines{"confirm 1,1 3,3", "click 0 3,3", "up 0 3,3", "move 4 3,3"}));
    // Button 2's press was never reported, its release is, with a click.
    Driver->Send(0, 3, 3);
    EXPECT_EQ(log.Take(), (Lines{"confirm 1,1 3,3", "click 2 3,3", "up 2 3,3"}));
    EXPECT_EQ(t->ButtonState(), 0u);
}

TEST_F(TabletTest, ASwapButtonPacketRaisesNoCursorMove)
{
    auto t = MakeTablet();
    Driver->Send(0, 1, 1);
    EventLog log;
    log.Attach(*t);
    log.RefuseSwap = true;
    Driver->PressButton(3, 50, 50); // swap button down: nothing at all
    EXPECT_TRUE(log.Lines.empty());
    Driver->Send(ButtonBit(3), 60, 60);
    EXPECT_EQ(log.Take(), (Lines{"move 8 60,60"}));
    Driver->ReleaseButton(3, 70, 70);
    EXPECT_EQ(log.Take(), (Lines{"beforeswap 70,70"}));
    EXPECT_EQ(t->Mode(), moAbsolute);
    Driver->Send(0, 71, 70);
    EXPECT_EQ(log.Take(), (Lines{"move 0 71,70"}));
}

TEST_F(TabletTest, TheSwapButtonSwapsInBothModes)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    Driver->PressButton(3, 0, 0);
    Driver->ReleaseButton(3, 0, 0);
    EXPECT_EQ(t->Mode(), moRelative);
    EXPECT_EQ(log.Take(), (Lines{"beforeswap 0,0", "swap rel"}));
    // The reopened context is the one the packets go to.
    Driver->PressButton(3, 1, 1);
    Driver->ReleaseButton(3, 1, 1);
    EXPECT_EQ(t->Mode(), moAbsolute);
    EXPECT_EQ(log.Take(), (Lines{"beforeswap 1,1", "swap abs"}));
}

TEST_F(TabletTest, SwapButtonFollowsTheModuleSetting)
{
    SetSwapButton(0);
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    Driver->PressButton(0, 0, 0);
    Driver->ReleaseButton(0, 0, 0);
    EXPECT_EQ(log.Take(), (Lines{"beforeswap 0,0", "swap rel"}));
    SetSwapButton(40);
    EXPECT_EQ(SwapButton(), 31);
    SetSwapButton(-2);
    EXPECT_EQ(SwapButton(), 0);
}

TEST_F(TabletTest, RelativeModeReportsNothingButTheSwap)
{
    auto t = MakeTablet(moRelative);
    EventLog log;
    log.Attach(*t);
    Driver->Send(0, 10, 10);
    Driver->PressButton(0, 11, 11);
    Driver->ReleaseButton(0, 12, 12);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_EQ(t->CursorPos(), (TPoint{-1, -1}));
    // The press position recorded in relative mode is (-1, -1): seen when a
    // press in relative mode is released after a swap to absolute.
    Driver->PressButton(1, 13, 13);
    t->SetMode(moAbsolute);
    log.Take();
    Driver->ReleaseButton(1, 14, 14);
    EXPECT_EQ(log.Take(), (Lines{"confirm -1,-1 14,14", "click 1 14,14", "up 1 14,14", "move 0 14,14"}));
}

TEST_F(TabletTest, APacketThatCannotBeFetchedIsDropped)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    Driver->PacketFails = true;
    Driver->PressButton(0, 5, 5);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_EQ(t->ButtonState(), 0u);
}

TEST_F(TabletTest, AHandlerMayDestroyTheComponent)
{
    auto t = MakeTablet();
    t->OnButtonClick = [&](TTablet*, TCurButton, TCurButtons, int, int) { t.reset(); };
    bool upCalled = false;
    t->OnButtonUp = [&](TTablet*, TCurButton, TCurButtons, int, int) { upCalled = true; };
    Driver->PressButton(0, 1, 1);
    Driver->ReleaseButton(0, 2, 2);
    EXPECT_EQ(t, nullptr);
    EXPECT_FALSE(upCalled);
    EXPECT_EQ(Driver->ContextCount(), 0);
}

// ---- Window binding and the overlap order

TEST_F(TabletTest, FocusPutsTheWindowsContextOnTop)
{
    auto a = MakeTablet(moAbsolute, 1);
    auto b = MakeTablet(moAbsolute, 2);
    EventLog la, lb;
    la.Attach(*a);
    lb.Attach(*b);
    EXPECT_EQ(Driver->OverlapOrder(), (std::vector<TTabletContext>{b->Ctx(), a->Ctx()}));
    Driver->Send(0, 1, 1);
    EXPECT_EQ(la.Lines.size(), 0u);
    EXPECT_EQ(lb.Take(), (Lines{"move 0 1,1"}));
    a->WindowFocused();
    EXPECT_EQ(Driver->OverlapOrder().front(), a->Ctx());
    Driver->Send(0, 2, 2);
    EXPECT_EQ(la.Take(), (Lines{"move 0 2,2"}));
    EXPECT_TRUE(lb.Lines.empty());
}

TEST_F(TabletTest, ADestroyedWindowNoLongerListens)
{
    auto t = MakeTablet();
    EventLog log;
    log.Attach(*t);
    t->WindowDestroyed();
    Driver->ClearRecord();
    t->WindowFocused();
    EXPECT_TRUE(Driver->Overlaps.empty());
    Driver->Send(0, 3, 3);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_NE(t->Ctx(), 0u); // the context stays open
}

TEST_F(TabletTest, RebindingReopensForTheNewWindow)
{
    auto t = MakeTablet(moAbsolute, 1);
    Driver->ClearRecord();
    t->BindWindow(1);
    EXPECT_TRUE(Driver->Opens.empty());
    t->BindWindow(2);
    ASSERT_EQ(Driver->Opens.size(), 1u);
    EXPECT_EQ(Driver->ContextWindow(t->Ctx()), 2u);
    EXPECT_EQ(Driver->ContextCount(), 1);
}

TEST_F(TabletTest, ANewTabletAreaUpdatesTheContextRectangle)
{
    auto t = MakeTablet();
    int changes = 0;
    t->OnContextChange = [&](TTablet*) { ++changes; };
    Driver->SetArea(3000, 2000);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(t->ContextRect(), (TRect{0, 2000, 3000, 0}));
    EventLog log;
    log.Attach(*t);
    Driver->Send(0, 2999, 1999);
    EXPECT_EQ(log.Take(), (Lines{"move 0 2999,1999"}));
}

} // namespace
} // namespace rs::test
