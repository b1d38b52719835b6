// The edit history on a 2,000-point curve: undo and redo of one step (a point
// moved in the middle, the costliest kind of small step: the accumulation and
// both stretches are restored), and the memory of 10,000 recorded steps.

#include "document/uEditHistory.h"
#include "support/TestCharts.h"

#include <benchmark/benchmark.h>

using namespace rs;

namespace {

void Make2000(TRChart& d)
{
    d.SetInfo(test::SampleInfo(true));
    test::PrepareScale(d);
    d.ConcludeScale();
    d.BeginDigitizing();
    for (int i = 0; i < 2000; ++i)
        d.Curve().AddPoint(7.0 + i * 0.01, (i % 90) * 0.1, true);
}

void BM_UndoRedoOn2000(benchmark::State& state)
{
    TRChart d;
    Make2000(d);
    TEditHistory h(d);
    h.Reset(true);
    TCurve& c = d.Curve();
    // Steps of every size a command makes: a move, an insertion, a deletion, a failure mark.
    h.Run("Mover ponto", [&] { c.MovePoint(c.Items(1000), c.Items(1000)->Time(), 4.2); });
    h.Run("Inserir ponto", [&] { c.AddPoint(12.005, 3.0, false); });
    h.Run("Excluir ponto", [&] { delete c.Items(500); });
    h.Run("Sinalizar falha", [&] {
        c.Items(300)->SetMark(2);
        c.Recalc();
    });
    for (auto _ : state) {
        h.Undo();
        h.Redo();
    }
    state.counters["steps"] = h.Count();
}
BENCHMARK(BM_UndoRedoOn2000)->Unit(benchmark::kMillisecond);

void BM_History10kStepsOn2000(benchmark::State& state)
{
    double mb = 0;
    for (auto _ : state) {
        TRChart d;
        Make2000(d);
        TEditHistory h(d);
        h.Reset(true);
        TCurve& c = d.Curve();
        for (int i = 0; i < 10000; ++i) {
            const int k = 1 + (i * 7919) % (c.Count() - 2);
            switch (i % 4) {
            case 0: h.Run("Mover ponto", [&] { c.MovePoint(c.Items(k), c.Items(k)->Time(), (i % 80) * 0.1); }); break;
            case 1: {
                const double t = (c.Items(k)->Time() + c.Items(k + 1)->Time()) / 2;
                h.Run("Inserir ponto", [&] { c.AddPoint(t, 1.0, false); });
                break;
            }
            case 2: h.Run("Excluir ponto", [&] { delete c.Items(k); }); break;
            default: h.Run("Mover ponto", [&] { c.MovePoint(c.Items(k), c.Items(k)->Time() + 0.001, 2.0); }); break;
            }
        }
        mb = double(h.MemoryBytes()) / (1024.0 * 1024.0);
        state.counters["steps"] = h.Count();
    }
    state.counters["MB"] = mb;
}
BENCHMARK(BM_History10kStepsOn2000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
