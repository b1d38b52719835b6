// The chart drawing: a full repaint at 1000 %, a scroll strip at 1000 %, and
// opening a large file into a chart window. Runs offscreen.
//
// Targets: full repaint of 2,000 points at zoom 10 under 50 ms; a 32-pixel
// strip at zoom 10 under 5 ms; a 10,000-point file opened and shown under 200 ms.

#include "chartwin/DrawBox.h"
#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "support/TestCharts.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QPainter>
#include <QScrollArea>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace rs;

namespace {

// A plausible day: slow rises, a few overflows, flat stretches.
void FillCurve(TRChart& c, int points)
{
    test::PrepareScale(c);
    c.ConcludeScale();
    TCurve& curve = c.Curve();
    const double h = c.Info.Hour;
    double p = 0;
    for (int i = 0; i < points; ++i) {
        const double t = h + 24.0 * i / points;
        p += 0.02 + 0.015 * std::sin(i * 0.05);
        if (p > 9.6)
            p = 0;
        curve.AddPoint(t, std::max(0.0, p), true);
    }
    curve.Recalc();
    curve.Reposition();
}

struct TSurface
{
    TDrawBox box;
    TRChart chart{&box};
    QImage image;
    explicit TSurface(int points, double zoom)
    {
        for (int i = 0; i < 3; ++i)
            chart.Curve().AddGlyph(5, 5);
        box.AddPointList(&chart.Scale());
        box.AddPointList(&chart.Curve());
        QPixmap dot(5, 5);
        dot.fill(Qt::blue);
        box.SetGlyphs(&chart.Curve(), {dot, dot, dot});
        box.OnPaint = [this](TDrawBox*, TCanvas& canvas) { chart.DrawChart(canvas); };
        chart.SetInfo(test::SampleInfo());
        FillCurve(chart, points);
        chart.SetZoom(zoom);
        box.resize(int(std::lround(633 * zoom)), int(std::lround(422 * zoom)));
        image = QImage(box.size(), QImage::Format_RGB32);
    }
};

void BM_FullRepaintZoom10(benchmark::State& state)
{
    TSurface s(int(state.range(0)), 10.0);
    for (auto _ : state) {
        QPainter p(&s.image);
        s.box.PaintArea(p, s.box.rect());
    }
    state.SetLabel("6330 x 4220");
}
BENCHMARK(BM_FullRepaintZoom10)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_ScrollStripZoom10(benchmark::State& state)
{
    TSurface s(2000, 10.0);
    // A strip across the middle of the plot, as a scroll by 32 pixels exposes it.
    const QRect strip(2400, 2000, 1280, 32);
    for (auto _ : state) {
        QPainter p(&s.image);
        p.setClipRect(strip);
        s.box.PaintArea(p, strip);
    }
}
BENCHMARK(BM_ScrollStripZoom10)->Unit(benchmark::kMillisecond);

struct THost : TChartHost
{
    QMdiArea area;
    QMdiArea* ChartArea() override { return &area; }
    void StatusPanel(const QString&, int) override {}
    void StatusSingleText() override {}
    void ZoomIndicator(double) override {}
    void SaveChart(TRChartFrm*) override {}
    void FocusMainWindow() override {}
};

void BM_OpenLargeFile(benchmark::State& state)
{
    const std::string file = QDir::tempPath().toStdString() + "/rs_bench_10000.pvd";
    {
        TRChart c;
        c.SetInfo(test::SampleInfo());
        FillCurve(c, int(state.range(0)));
        c.SaveToFile(file);
    }
    THost host;
    host.area.resize(1200, 900);
    host.area.show();
    SetChartHost(&host);
    QImage shown(1200, 900, QImage::Format_RGB32);
    for (auto _ : state) {
        TRChartFrm* w = OpenChartFile(file);
        if (!w) {
            state.SkipWithError("the file did not open");
            break;
        }
        // The window's first paint: what its scrolling area shows.
        QPainter p(&shown);
        const QRect view(QPoint(0, 0), w->SBox()->viewport()->size());
        w->Box()->PaintArea(p, view);
        p.end();
        state.PauseTiming();
        delete w;
        state.ResumeTiming();
    }
    SetChartHost(nullptr);
    std::remove(file.c_str());
}
BENCHMARK(BM_OpenLargeFile)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
