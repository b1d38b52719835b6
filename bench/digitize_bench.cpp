// One tablet click on a curve that already has 2,000 points: the point is
// inserted, the accumulation rerun, the results window follows and both
// windows repaint. Offscreen; the budget is 10 ms per click. On a busy
// machine read the CPU column: the wall time then includes waiting for a core.

#include "chartwin/DrawBox.h"
#include "chartwin/uRChartWnd.h"
#include "chartwin/uResultFrm.h"
#include "support/TestCharts.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

#include <benchmark/benchmark.h>

using namespace rs;

namespace {

class THost : public TChartHost
{
public:
    QMainWindow Main;
    QMdiArea* Area = new QMdiArea;
    THost() { Main.setCentralWidget(Area); }
    QMdiArea* ChartArea() override { return Area; }
    void StatusPanel(const QString&, int) override {}
    void StatusSingleText() override {}
    void ZoomIndicator(double) override {}
    void SaveChart(TRChartFrm*) override {}
    void FocusMainWindow() override {}
};

void BM_AddPointTo2000(benchmark::State& state)
{
    THost host;
    SetChartHost(&host);
    host.Main.resize(1200, 900);
    host.Main.show();
    TRChartFrm* w = NewChartWindow(test::SampleInfo(true));
    host.Area->setActiveSubWindow(w);
    QApplication::processEvents();
    TRChart& d = w->Doc();
    test::PrepareScale(d);
    d.ConcludeScale();
    d.BeginDigitizing();
    for (int i = 0; i < 2000; ++i)
        test::DigitizeValue(d, 7.0 + i * 0.01, (i % 90) * 0.1);
    ResultFrm()->SetToolVisible(true);
    QApplication::processEvents();
    const auto [x, y] = test::ToTablet(28.0, 4.0, true);
    for (auto _ : state) {
        d.AddPointAt(x, y, false, false);
        w->Box()->repaint();
        ResultFrm()->Grid()->viewport()->repaint();
        // Back to 2,000 points for the next click, outside the measure.
        state.PauseTiming();
        d.Curve().UndoLast();
        w->Box()->repaint();
        ResultFrm()->Grid()->viewport()->repaint();
        state.ResumeTiming();
    }
    state.counters["points"] = d.Curve().Count();
    delete w;
    QApplication::processEvents();
    SetChartHost(nullptr);
}
BENCHMARK(BM_AddPointTo2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
