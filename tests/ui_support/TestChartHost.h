#pragma once
// A chart host for tests of chart windows without the main window: a plain
// main window with an MDI area, whose save command saves under the chart's
// own name and whose status panels go nowhere.

#include "chartwin/uRChartWnd.h"

#include <QMainWindow>
#include <QMdiArea>

namespace rs::test {

class TChartHostForTest : public TChartHost
{
public:
    QMainWindow Main;
    QMdiArea* Area = new QMdiArea;
    TChartHostForTest() { Main.setCentralWidget(Area); }
    QMdiArea* ChartArea() override { return Area; }
    void StatusPanel(const QString&, int) override {}
    void StatusSingleText() override {}
    void ZoomIndicator(double) override {}
    void SaveChart(TRChartFrm* w) override { w->Save(w->Doc().Info.FileName); }
    void FocusMainWindow() override {}
};

} // namespace rs::test
