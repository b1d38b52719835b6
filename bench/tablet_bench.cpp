// A tablet packet's way to the window's handler: driver queue, the
// component's packet fetch, its button transitions and the cursor-move
// event. The chart window moves its cursor sprite from that handler, so the
// path itself must stay far below the 2 ms a packet may take.

#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <benchmark/benchmark.h>

namespace {

using namespace rs;

struct TBenchTablet
{
    TScriptedTabletDriver Driver;
    TTablet Tablet;
    long Moves = 0;

    TBenchTablet()
    {
        SelectNoTabletDriver(false);
        SetTabletDriver(&Driver);
        SetSwapButton(3);
        Tablet.OnCursorMove = [this](TTablet*, TCurButtons, int x, int y) { Moves += x + y; };
        Tablet.Loaded(1);
    }
};

void BM_TabletCursorMove(benchmark::State& state)
{
    TBenchTablet b;
    int x = 0;
    for (auto _ : state) {
        x = (x + 7) % 24000;
        b.Driver.Send(0, x, 9000);
    }
    benchmark::DoNotOptimize(b.Moves);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TabletCursorMove);

// Moves with a button held and a click every hundred packets.
void BM_TabletDragAndClick(benchmark::State& state)
{
    TBenchTablet b;
    long clicks = 0;
    b.Tablet.OnButtonClick = [&](TTablet*, TCurButton, TCurButtons, int, int) { ++clicks; };
    b.Tablet.OnConfirmClick = [](TTablet*, const TPoint& d, const TPoint& u, bool& ok) {
        const long dx = d.x - u.x, dy = d.y - u.y;
        ok = dx * dx + dy * dy < 50;
    };
    int i = 0;
    for (auto _ : state) {
        ++i;
        const std::uint32_t buttons = (i % 100) < 50 ? 1u : 0u;
        b.Driver.Send(buttons, 1000 + i % 3, 2000);
    }
    benchmark::DoNotOptimize(clicks);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TabletDragAndClick);

} // namespace

BENCHMARK_MAIN();
