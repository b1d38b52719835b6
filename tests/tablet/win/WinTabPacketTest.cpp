// WT_PACKET: from the posted message through WTPacket to the component's
// events.
#include "WinTabFixture.h"

#include <string>
#include <vector>

using namespace wtest;
using namespace rs;
using namespace rs::wintab;

namespace {

// A component on its own window that writes its events down.
struct TRecorded
{
    TTablet Tablet;
    HWND Window = nullptr;
    std::vector<std::string> Events;

    explicit TRecorded(TFixture& f, TMode mode = moAbsolute)
    {
        Tablet.SetMode(mode);
        auto put = [this](std::string s) { Events.push_back(std::move(s)); };
        Tablet.OnCursorMove = [put](TTablet*, TCurButtons b, int x, int y) {
            put("move " + std::to_string(b) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        Tablet.OnButtonPress = [put](TTablet*, TCurButton n, TCurButtons, int x, int y) {
            put("press " + std::to_string(n) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        Tablet.OnButtonUp = [put](TTablet*, TCurButton n, TCurButtons, int x, int y) {
            put("up " + std::to_string(n) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        Tablet.OnButtonClick = [put](TTablet*, TCurButton n, TCurButtons, int x, int y) {
            put("click " + std::to_string(n) + " " + std::to_string(x) + "," + std::to_string(y));
        };
        Tablet.OnConfirmClick = [put](TTablet*, const TPoint& d, const TPoint& u, bool&) {
            put("confirm " + std::to_string(d.x) + "," + std::to_string(d.y) + " " + std::to_string(u.x) +
                "," + std::to_string(u.y));
        };
        Tablet.OnSwapMode = [put](TTablet* t) { put(t->Mode() == moAbsolute ? "absolute" : "relative"); };
        Window = f.NewWindow();
        Tablet.Loaded(TFixture::Id(Window));
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(Events);
        return out;
    }
};

using TEvents = std::vector<std::string>;

std::string Join(const TEvents& e)
{
    std::string s;
    for (const auto& x : e)
        s += (s.empty() ? "" : "; ") + x;
    return s;
}

} // namespace

#define CHECK_EVENTS(rec, ...) CHECK_EQ(Join((rec).Take()), Join(TEvents{__VA_ARGS__}))

TEST_CASE(Packet_FetchedZeroFilledAndHandedOn)
{
    TFixture f;
    TRecorded r(f);
    REQUIRE(r.Tablet.Connected());
    const HCTX h = f.Native(r.Tablet);
    const UINT serial = f.Send(h, 0, 500, 600);
    REQUIRE(serial != 0);
    TFixture::Pump();
    CHECK_EVENTS(r, "move 0 500,600");
    const auto packets = f.Calls("WTPacket");
    REQUIRE(packets.size() == 1);
    CHECK_EQ(packets[0].Ctx, reinterpret_cast<ULONG64>(h));
    CHECK_EQ(packets[0].Arg, LONG_PTR(serial));
    CHECK_EQ(f.FPacketBufferZero(), 1);
    CHECK_EQ(f.FLastPacketSize(), 12u); // buttons, X, Y and nothing else
    CHECK_EQ(TFixture::PassedOn, 0); // WT_PACKET is not passed on
    CHECK(r.Tablet.CursorPos() == (TPoint{500, 600}));
    // Large coordinates and a negative one survive the 32-bit fields.
    f.Deliver(h, 0, 123456, -7);
    CHECK_EVENTS(r, "move 0 123456,-7");
}

TEST_CASE(Packet_ButtonsPressClickAndRelease)
{
    TFixture f;
    TRecorded r(f);
    const HCTX h = f.Native(r.Tablet);
    f.Deliver(h, 0, 10, 10);
    f.Deliver(h, ButtonBit(1), 10, 10);
    f.Deliver(h, ButtonBit(1), 11, 12);
    f.Deliver(h, 0, 12, 12);
    CHECK_EVENTS(r, "move 0 10,10", "press 1 10,10", "move 2 11,12", "confirm 10,10 12,12", "click 1 12,12",
                 "up 1 12,12", "move 0 12,12");
    // Two buttons in one packet: the lower one only.
    f.Deliver(h, ButtonBit(1) | ButtonBit(2), 12, 12);
    CHECK_EVENTS(r, "press 1 12,12");
    f.Deliver(h, ButtonBit(1), 12, 12);
    CHECK_EVENTS(r, "confirm 12,12 12,12", "click 2 12,12", "up 2 12,12");
}

TEST_CASE(Packet_FailedWTPacketIsDropped)
{
    TFixture f;
    TRecorded r(f);
    const HCTX h = f.Native(r.Tablet);
    f.Deliver(h, 0, 100, 100);
    r.Take();
    f.Script([](wtd::TScript& s) { s.PacketFails = TRUE; });
    f.Deliver(h, ButtonBit(1), 200, 200);
    CHECK_EVENTS(r);
    CHECK(r.Tablet.CursorPos() == (TPoint{100, 100}));
    CHECK_EQ(r.Tablet.ButtonState(), 0u);
    CHECK_EQ(f.CallCount("WTPacket"), 2);
    CHECK_EQ(TFixture::PassedOn, 0); // dropped, still not passed on
    f.Script([](wtd::TScript& s) { s.PacketFails = FALSE; });
    f.Deliver(h, 0, 300, 300);
    CHECK_EVENTS(r, "move 0 300,300");
}

TEST_CASE(Packet_OnlyOwnContextsMessagesAreHandled)
{
    TFixture f;
    TRecorded r(f);
    const HCTX h = f.Native(r.Tablet);
    const auto lp = reinterpret_cast<LPARAM>(h);
    CHECK(!HandleWinTabMessage(r.Window, WT_PACKET, 1, lp + 1)); // another context
    CHECK(!HandleWinTabMessage(f.NewWindow(), WT_PACKET, 1, lp)); // another window
    CHECK(!HandleWinTabMessage(r.Window, WT_PACKET + 1, 1, lp));  // not a packet
    CHECK(!HandleWinTabMessage(r.Window, WM_MOUSEMOVE, 1, lp));
    // A serial no longer queued: handled, but WTPacket fails and nothing comes.
    CHECK(HandleWinTabMessage(r.Window, WT_PACKET, 999, lp));
    CHECK_EVENTS(r);
    // The context's handle must be taken whole: its low 32 bits are not it.
    if (sizeof(void*) > 4)
        CHECK(!HandleWinTabMessage(r.Window, WT_PACKET, 1, LPARAM(std::uint32_t(lp))));
}

TEST_CASE(Packet_MessageBaseOfTheContext)
{
    TFixture f;
    f.Script([](wtd::TScript& s) { s.MsgBase = 0x7C00; });
    TRecorded r(f);
    const HCTX h = f.Native(r.Tablet);
    f.Deliver(h, 0, 5, 6);
    CHECK_EVENTS(r, "move 0 5,6");
    CHECK(!HandleWinTabMessage(r.Window, WT_PACKET, 1, reinterpret_cast<LPARAM>(h)));
}

TEST_CASE(Packet_SwapButtonReopensAndPacketsFollowTheNewContext)
{
    TFixture f;
    SetSwapButton(3);
    TRecorded r(f);
    const HCTX first = f.Native(r.Tablet);
    f.Deliver(first, 0, 50, 50);
    r.Take();
    f.Deliver(first, ButtonBit(3), 60, 60); // no move for a swap transition
    f.Deliver(first, 0, 60, 60);
    CHECK_EVENTS(r, "relative");
    CHECK_EQ(r.Tablet.Mode(), moRelative);
    const HCTX second = f.Native(r.Tablet);
    CHECK(second != nullptr && second != first);
    CHECK(!f.FIsOpen(first));
    CHECK(!HandleWinTabMessage(r.Window, WT_PACKET, 1, reinterpret_cast<LPARAM>(first)));
    LOGCONTEXTA lc{};
    REQUIRE(f.Opened(1, lc));
    CHECK_EQ(lc.lcSysMode, -1);
    // Relative: only the swap button does anything.
    f.Deliver(second, ButtonBit(1), 70, 70);
    f.Deliver(second, 0, 80, 80);
    CHECK_EVENTS(r);
    CHECK(r.Tablet.CursorPos() == (TPoint{-1, -1}));
    f.Deliver(second, ButtonBit(3), 80, 80);
    f.Deliver(second, 0, 80, 80);
    CHECK_EVENTS(r, "absolute");
    CHECK_EQ(r.Tablet.Mode(), moAbsolute);
    REQUIRE(f.Opened(2, lc));
    CHECK_EQ(lc.lcSysMode, 0);
    CHECK_EQ(lc.lcOptions, wintab::CXO_MESSAGES);
}

TEST_CASE(Packet_HandlerClosingTheContext)
{
    TFixture f;
    TRecorded r(f);
    const HCTX h = f.Native(r.Tablet);
    r.Tablet.OnButtonClick = [](TTablet* t, TCurButton, TCurButtons, int, int) { t->SetConnected(false); };
    f.Deliver(h, ButtonBit(1), 1, 1);
    f.Send(h, 0, 1, 1); // the click closes the context
    const UINT late = f.Send(h, 0, 2, 2); // queued before the close, dispatched after
    TFixture::Pump();
    CHECK(late != 0);
    CHECK(!r.Tablet.Connected());
    CHECK(!f.FIsOpen(h));
    CHECK_EQ(f.Driver.OpenContexts(), 0);
    CHECK_EQ(TFixture::PassedOn, 1); // the packet after the close is not ours any more
}

TEST_CASE(Packet_TwoWindowsEachGetTheirOwn)
{
    TFixture f;
    TRecorded a(f), b(f);
    f.Deliver(f.Native(a.Tablet), 0, 1, 2);
    f.Deliver(f.Native(b.Tablet), 0, 3, 4);
    CHECK_EVENTS(a, "move 0 1,2");
    CHECK_EVENTS(b, "move 0 3,4");
}

TEST_CASE(ContextUpdate_NewAreaReachesTheComponent)
{
    TFixture f;
    TRecorded r(f);
    int changes = 0;
    r.Tablet.OnContextChange = [&](TTablet*) { ++changes; };
    const HCTX h = f.Native(r.Tablet);
    REQUIRE(f.FChangeArea(h, 30000, 20000));
    TFixture::Pump();
    CHECK_EQ(changes, 1);
    CHECK_EQ(f.CallCount("WTGetA"), 1);
    CHECK_EQ(r.Tablet.ContextRect().right, wtd::kInOrgX + 30000);
    CHECK_EQ(r.Tablet.ContextRect().top, wtd::kInOrgY + 20000);
    CHECK_EQ(TFixture::PassedOn, 1); // passed on to the window
}
