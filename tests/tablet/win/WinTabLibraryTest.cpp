// Loading "Wintab32.DLL", its entry points, the context description and the
// opening, closing and overlap of contexts.
#include "WinTabFixture.h"

#include <cstring>

using namespace wtest;
using namespace rs;
using namespace rs::wintab;

namespace {

// The description the driver must open: the default context with the
// output extent made equal to the input extent, the mode's system-cursor
// and option fields, and a packet of buttons, X and Y.
LOGCONTEXTA Expected(TFixture& f, TMode mode)
{
    LOGCONTEXTA lc = f.DefaultContext();
    lc.lcOutExtX = lc.lcInExtX;
    lc.lcOutExtY = lc.lcInExtY;
    lc.lcSysMode = mode == moAbsolute ? 0 : -1;
    lc.lcOptions = mode == moAbsolute ? wintab::CXO_MESSAGES : wintab::CXO_SYSTEM | wintab::CXO_MESSAGES;
    lc.lcPktData = PK_BUTTONS | PK_X | PK_Y;
    lc.lcPktMode = 0;
    return lc;
}

bool SameDesc(const LOGCONTEXTA& a, const LOGCONTEXTA& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

TEST_CASE(LibraryMissing_StaysDisconnectedAndOpeningsDoNotRetry)
{
    TFixture f(TLib::None, false);
    HWND w = f.NewWindow();
    TTablet t;
    t.Loaded(f.Id(w)); // the first opening tries to load
    CHECK(!TabletAvailable());
    CHECK(TabletLoadFailed());
    CHECK(!f.Driver.IsLoaded());
    CHECK(!t.Connected());
    CHECK_EQ(t.Ctx(), 0u);
    CHECK_EQ(f.Driver.LoadAttempts(), 1);

    t.SetConnected(true);
    TTablet other;
    other.Loaded(f.Id(f.NewWindow()));
    CHECK_EQ(f.Driver.LoadAttempts(), 1);
    CHECK(!other.Connected());

    // Only an explicit load (the main window's first activation) tries again.
    CHECK(!LoadTabletLibrary());
    CHECK_EQ(f.Driver.LoadAttempts(), 2);
    UseLibraryFolder(TLib::Full);
    CHECK(LoadTabletLibrary());
    CHECK(TabletAvailable());
    CHECK(!TabletLoadFailed());
    t.SetConnected(true);
    CHECK(t.Connected());
}

TEST_CASE(Load_ByNameFindsEveryEntryPoint)
{
    TFixture f;
    CHECK_EQ(f.Driver.LibraryName(), std::string("Wintab32.DLL"));
    CHECK(f.Driver.IsLoaded());
    CHECK(GetModuleHandleA("Wintab32.DLL") == f.Driver.Module());
    CHECK_EQ(f.Driver.EntryPointsFound(), int(epCount));
    for (int i = 0; i < epCount; ++i)
        CHECK(f.Driver.HasEntryPoint(TEntryPoint(i)));
    // Loaded already: no second load.
    CHECK(LoadTabletLibrary());
    CHECK(f.Driver.Load());
    CHECK_EQ(f.Driver.LoadAttempts(), 1);
}

TEST_CASE(Load_MissingEntryPointStaysEmpty)
{
    TFixture f(TLib::NoOverlap);
    CHECK(!f.Driver.HasEntryPoint(epWTOverlap));
    CHECK_EQ(f.Driver.EntryPointsFound(), int(epCount) - 1);
    CHECK(f.Driver.HasEntryPoint(epWTOpenA));
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    CHECK(t.Connected());
    t.WindowFocused(); // nothing to call: no crash, no call
    CHECK(!f.Driver.Overlap(t.Ctx(), true));
    CHECK(f.FTop() == f.Native(t));
}

TEST_CASE(Load_WithoutWTInfoA_NoContextOpens)
{
    TFixture f(TLib::NoInfo);
    CHECK(TabletAvailable());
    CHECK(!f.Driver.HasEntryPoint(epWTInfoA));
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    CHECK(!t.Connected());
    CHECK_EQ(t.Ctx(), 0u);
    CHECK_EQ(f.CallCount("WTOpenA"), 0);
}

TEST_CASE(Release_ClosesContextsFreesLibraryAndEmptiesEntryPoints)
{
    TFixture f;
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    REQUIRE(t.Connected());
    const HCTX h = f.Native(t);
    // Keep the double in memory to read its record after the release.
    HMODULE keep = LoadLibraryA((LibraryFolder(TLib::Full) + "\\Wintab32.dll").c_str());
    REQUIRE(keep == f.Driver.Module());
    ReleaseTabletLibrary();
    CHECK(!TabletAvailable());
    CHECK(!TabletLoadFailed());
    CHECK(!f.Driver.IsLoaded());
    CHECK_EQ(f.Driver.EntryPointsFound(), 0);
    CHECK_EQ(f.Driver.OpenContexts(), 0);
    CHECK(!f.FIsOpen(h));
    const auto closes = f.Calls("WTClose");
    CHECK(closes.size() == 1 && closes[0].Ctx == reinterpret_cast<ULONG64>(h));
    FreeLibrary(keep);
    CHECK(GetModuleHandleA("Wintab32.DLL") == nullptr);
    // The component's stale context closes without the library.
    t.SetConnected(false);
    CHECK(!t.Connected());
}

TEST_CASE(Opening_AsksSizeOnceThenFillsDefaultContext)
{
    TFixture f;
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    REQUIRE(t.Connected());
    auto info = f.Calls("WTInfoA");
    REQUIRE(info.size() == 2);
    CHECK_EQ(info[0].Arg, LONG_PTR(WTI_DEFCONTEXT));
    CHECK_EQ(info[0].Arg2, LONG_PTR(0)); // size first, without a buffer
    CHECK_EQ(info[1].Arg, LONG_PTR(WTI_DEFCONTEXT));
    CHECK_EQ(info[1].Arg2, LONG_PTR(1));
    CHECK_EQ(f.Driver.DescriptionSize(), std::size_t(172));

    t.SetMode(moRelative); // reopening: the contents again, not the size
    info = f.Calls("WTInfoA");
    REQUIRE(info.size() == 3);
    CHECK_EQ(info[2].Arg2, LONG_PTR(1));
}

TEST_CASE(Opening_AbsoluteDescriptionWindowAndEnable)
{
    TFixture f;
    HWND w = f.NewWindow();
    TTablet t;
    t.Loaded(f.Id(w));
    REQUIRE(t.Connected());
    LOGCONTEXTA lc{};
    HWND owner = nullptr;
    BOOL enable = TRUE;
    REQUIRE(f.Opened(0, lc, &owner, &enable));
    CHECK(SameDesc(lc, Expected(f, moAbsolute)));
    CHECK_EQ(lc.lcOutExtX, wtd::kInExtX);
    CHECK_EQ(lc.lcOutExtY, wtd::kInExtY);
    CHECK_EQ(lc.lcSysMode, 0);
    CHECK_EQ(lc.lcOptions, wintab::CXO_MESSAGES);
    CHECK(owner == w);
    CHECK(!enable); // opened disabled, then enabled
    const auto calls = f.Calls();
    REQUIRE(calls.size() >= 2);
    const wtd::TCall& last = calls.back();
    CHECK_EQ(std::string(last.Name), std::string("WTEnable"));
    CHECK_EQ(last.Ctx, reinterpret_cast<ULONG64>(f.Native(t)));
    CHECK_EQ(last.Arg, LONG_PTR(TRUE));
    CHECK(f.FIsEnabled(f.Native(t)));
    // The context rectangle: top is the larger Y.
    CHECK_EQ(t.ContextRect().left, wtd::kInOrgX);
    CHECK_EQ(t.ContextRect().bottom, wtd::kInOrgY);
    CHECK_EQ(t.ContextRect().right, wtd::kInOrgX + wtd::kInExtX);
    CHECK_EQ(t.ContextRect().top, wtd::kInOrgY + wtd::kInExtY);
}

TEST_CASE(Opening_RelativeDescription)
{
    TFixture f;
    TTablet t;
    t.SetMode(moRelative);
    t.Loaded(f.Id(f.NewWindow()));
    REQUIRE(t.Connected());
    LOGCONTEXTA lc{};
    REQUIRE(f.Opened(0, lc));
    CHECK(SameDesc(lc, Expected(f, moRelative)));
    CHECK_EQ(lc.lcSysMode, -1);
    CHECK_EQ(lc.lcOptions, wintab::CXO_SYSTEM | wintab::CXO_MESSAGES);
}

TEST_CASE(Opening_ModeChangeClosesAndReopens)
{
    TFixture f;
    TTablet t;
    int swaps = 0;
    t.OnSwapMode = [&](TTablet*) { ++swaps; };
    t.Loaded(f.Id(f.NewWindow()));
    const HCTX first = f.Native(t);
    REQUIRE(first != nullptr);
    t.SetMode(moRelative);
    CHECK_EQ(swaps, 1);
    CHECK(t.Connected());
    CHECK(!f.FIsOpen(first));
    const HCTX second = f.Native(t);
    CHECK(second != nullptr && second != first);
    const auto closes = f.Calls("WTClose");
    CHECK(closes.size() == 1 && closes[0].Ctx == reinterpret_cast<ULONG64>(first));
    LOGCONTEXTA lc{};
    REQUIRE(f.Opened(1, lc));
    CHECK(SameDesc(lc, Expected(f, moRelative)));
    t.SetMode(moRelative); // unchanged: nothing
    CHECK_EQ(f.CallCount("WTOpenA"), 2);
    CHECK_EQ(swaps, 1);
}

TEST_CASE(Opening_DisabledComponent)
{
    TFixture f;
    TTablet t;
    t.SetEnabled(false);
    t.Loaded(f.Id(f.NewWindow()));
    REQUIRE(t.Connected());
    auto enables = f.Calls("WTEnable");
    REQUIRE(enables.size() == 1);
    CHECK_EQ(enables[0].Arg, LONG_PTR(FALSE));
    CHECK(!f.FIsEnabled(f.Native(t)));
    t.SetEnabled(true);
    enables = f.Calls("WTEnable");
    REQUIRE(enables.size() == 2);
    CHECK_EQ(enables[1].Arg, LONG_PTR(TRUE));
    CHECK(f.FIsEnabled(f.Native(t)));
}

TEST_CASE(Opening_NoDefaultContextGivesUp)
{
    TFixture f;
    f.Script([](wtd::TScript& s) { s.InfoSize = 0; });
    TTablet a;
    a.Loaded(f.Id(f.NewWindow()));
    CHECK(!a.Connected());
    CHECK_EQ(f.Driver.DescriptionSize(), std::size_t(0));
    f.Script([](wtd::TScript& s) { s.InfoSize = 172; s.InfoFails = TRUE; });
    TTablet b;
    b.Loaded(f.Id(f.NewWindow()));
    CHECK(!b.Connected());
    CHECK_EQ(f.CallCount("WTOpenA"), 0);
}

TEST_CASE(Opening_AbsurdDescriptionSizeIsRefused)
{
    TFixture f;
    f.Script([](wtd::TScript& s) { s.InfoSize = 0x7FFFFFFF; });
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    CHECK(!t.Connected());
    CHECK_EQ(f.CallCount("WTOpenA"), 0);
}

TEST_CASE(Opening_LargerReportedSizeIsKept)
{
    TFixture f;
    f.Script([](wtd::TScript& s) { s.InfoSize = 200; });
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    CHECK(t.Connected());
    CHECK_EQ(f.Driver.DescriptionSize(), std::size_t(200));
}

TEST_CASE(Opening_WTOpenAFails)
{
    TFixture f;
    f.Script([](wtd::TScript& s) { s.OpenFails = TRUE; });
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    CHECK(!t.Connected());
    CHECK_EQ(t.Ctx(), 0u);
    CHECK_EQ(f.CallCount("WTOpenA"), 1);
    CHECK_EQ(f.CallCount("WTEnable"), 0);
    CHECK_EQ(f.Driver.OpenContexts(), 0);
}

TEST_CASE(Closing_WTCloseFailsKeepsCtx)
{
    TFixture f;
    TTablet t;
    t.Loaded(f.Id(f.NewWindow()));
    REQUIRE(t.Connected());
    const TTabletContext ctx = t.Ctx();
    const HCTX h = f.Native(t);
    f.Script([](wtd::TScript& s) { s.CloseFails = TRUE; });
    t.SetConnected(false);
    CHECK_EQ(f.CallCount("WTClose"), 1);
    CHECK_EQ(t.Ctx(), ctx);
    CHECK(t.Connected());
    CHECK(f.Native(t) == h);
    CHECK(f.FIsOpen(h));

    f.Script([](wtd::TScript& s) { s.CloseFails = FALSE; });
    t.SetConnected(true); // equal: nothing
    t.SetConnected(false);
    CHECK_EQ(f.CallCount("WTClose"), 2);
    CHECK_EQ(t.Ctx(), 0u);
    CHECK(!t.Connected());
    CHECK(!f.FIsOpen(h));
    t.SetConnected(false); // no context: nothing
    CHECK_EQ(f.CallCount("WTClose"), 2);
}

TEST_CASE(Overlap_FocusPutsContextOnTop)
{
    TFixture f;
    TTablet a, b;
    a.Loaded(f.Id(f.NewWindow()));
    b.Loaded(f.Id(f.NewWindow()));
    REQUIRE(a.Connected() && b.Connected());
    CHECK(f.FTop() == f.Native(b)); // the newest context is on top
    a.WindowFocused();
    auto overlaps = f.Calls("WTOverlap");
    REQUIRE(overlaps.size() == 1);
    CHECK_EQ(overlaps[0].Ctx, reinterpret_cast<ULONG64>(f.Native(a)));
    CHECK_EQ(overlaps[0].Arg, LONG_PTR(TRUE));
    CHECK(f.FTop() == f.Native(a));
    b.WindowFocused();
    CHECK(f.FTop() == f.Native(b));
}

TEST_CASE(Contexts_HandlesKeptWholeAndWindowResolved)
{
    TFixture f;
    HWND w = f.NewWindow();
    f.Driver.SetWindowResolver([w](TWindowId id) { return id == 42 ? w : HWND(nullptr); });
    TTablet t;
    t.Loaded(42);
    REQUIRE(t.Connected());
    const wtd::TScript s = f.GetScript();
    CHECK(reinterpret_cast<ULONG64>(f.Native(t)) == s.HandleBase);
    CHECK(f.Driver.ContextWindow(t.Ctx()) == w);
    HWND owner = nullptr;
    LOGCONTEXTA lc{};
    REQUIRE(f.Opened(0, lc, &owner));
    CHECK(owner == w);
    TTablet unknown;
    unknown.Loaded(43);
    CHECK(!unknown.Connected());
    CHECK_EQ(f.CallCount("WTOpenA"), 1);
}
