// The results window: its cells and copied text, status panels, the current
// row following the curve and back, arrow-column clicks, showing and hiding
// with the active chart, and the maximum-intensities page with its export.

#include "chartwin/uRChartWnd.h"
#include "ui_support/TestChartHost.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uRainAnalysis.h"
#include "document/uRainCsv.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

using THost = test::TChartHostForTest;

} // namespace

class TestResultFrm : public QObject
{
    Q_OBJECT

    THost* FHost = nullptr;
    TScriptedTabletDriver FDriver;
    TScriptedMessages FBoxes;
    TRecordingClipboard FClip;
    TScriptedFileDialogs FFiles;
    TRChartFrm* FWin = nullptr;
    TRChartFrm* FWin2 = nullptr;

    // A chart being digitized with the given points (time, reading).
    TRChartFrm* Chart(std::initializer_list<std::pair<double, double>> pts)
    {
        TRChartFrm* w = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(w);
        QApplication::processEvents();
        test::PrepareScale(w->Doc());
        w->Doc().ConcludeScale();
        w->mnDigCurveClick();
        for (auto [t, p] : pts)
            test::DigitizeValue(w->Doc(), t, p);
        return w;
    }

    void ClickArrow(int row)
    {
        TEnhDrawGrid* g = ResultFrm()->Grid();
        const QRect r = g->CellRect(0, row);
        QVERIFY(!r.isEmpty());
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void initTestCase()
    {
        FHost = new THost;
        SetChartHost(FHost);
        FHost->Main.setGeometry(50, 50, 1200, 900);
        FHost->Main.show();
        SetMessages(&FBoxes);
        SetClipboard(&FClip);
        SetFileDialogs(&FFiles);
        SetTabletDriver(&FDriver);
        QVERIFY(LoadTabletLibrary());
    }

    void cleanup()
    {
        delete FWin;
        delete FWin2;
        FWin = FWin2 = nullptr;
        FBoxes.Clear();
        FClip.Clear();
        QApplication::processEvents();
    }

    // The first panel names the grid's current row, also when a reload (not a click) made it current.
    void firstPanelShowsTheGridsCurrentRow()
    {
        FWin = Chart({{7.0, 0}, {9.0, 1.5}, {10.0, 2.5}, {11.0, 3.0}});
        TResultFrm* r = ResultFrm();
        FWin->Doc().Curve().SelectIndex(3);
        QCOMPARE(r->PanelText(0), U("4"));
        // The grid's rows shrink under its current row (not a move of the user's).
        FWin->Doc().Curve().UndoLast();
        r->Reload();
        QCOMPARE(r->Grid()->Row(), 3);
        QCOMPARE(r->PanelText(0), U("3"));
        FWin->Doc().Curve().SelectIndex(1);
        QCOMPARE(r->PanelText(0), U("2"));
    }

    void cellsPanelsAndCopiedText()
    {
        FWin = Chart({{7.0, 0}, {9.0, 9.8}});
        TRChart& d = FWin->Doc();
        TResultFrm* r = ResultFrm();
        QVERIFY(r->isVisible());
        QCOMPARE(r->windowTitle(), U("Pontos Digitalizados"));
        QCOMPARE(r->PanelText(2), QString());
        QVERIFY(d.AddSpill());
        test::DigitizeValue(d, 12.0, 3.2);
        test::DigitizeValue(d, 25.25, 4.0);
        QCOMPARE(r->Grid()->RowCount(), 6);
        QCOMPARE(r->Grid()->ColWidth(1), 77);
        QCOMPARE(r->Grid()->DefaultRowHeight(), 19);
        QCOMPARE(r->PanelText(1), U("5"));
        QCOMPARE(r->PanelText(2), U("1 pico"));
        QCOMPARE(r->PanelText(3), U(" P = ") + Q(FormatNum("%.1f", d.Curve().Sum)) + U(" mm"));
        QCOMPARE(r->CellText(1, 0), U("Dia"));
        QCOMPARE(r->CellText(0, 3), QString());
        QCOMPARE(r->CellText(1, 5), Q(DateToStr(d.Info.Date + 1)));
        QCOMPARE(r->CellText(2, 5), U("01:15"));
        QCOMPARE(r->CellText(4, 4), Q(FormatNum("%.2f", 13.0)));

        r->mnSelectAll->trigger();
        r->mnCopyCells->trigger();
        const QStringList lines = FClip.Text().split(U("\r\n"));
        QCOMPARE(lines.size(), 7); // five points, the header, and the empty rest after the last CR LF
        QCOMPARE(lines[0], U("Dia\tHora\tPrec\tTotal"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(lines[i + 1], Q(d.CellText(i, 0) + "\t" + d.CellText(i, 1) + "\t" + d.CellText(i, 2) + "\t" +
                                     d.CellText(i, 3)));
        QCOMPARE(lines[6], QString());
        QVERIFY(!FClip.Text().contains(U("\n\n")));

        r->Grid()->SetSelection({2, 2, 3, 3});
        r->mnCopyCellsClick();
        QCOMPARE(FClip.Text(), Q(d.CellText(1, 1) + "\t" + d.CellText(1, 2) + "\r\n" + d.CellText(2, 1) + "\t" +
                                 d.CellText(2, 2) + "\r\n"));

        // Two overflows, then a failure: the plural and the "±".
        test::DigitizeValue(d, 26.0, 9.0);
        QVERIFY(d.AddSpill());
        QCOMPARE(r->PanelText(2), U("2 picos"));
        test::DigitizeValue(d, 27.0, 1.0);
        FWin->mnAddFailClick();
        QVERIFY(r->PanelText(3).startsWith(U(" P = ±")));
    }

    void currentRowFollowsTheCurveBothWays()
    {
        QList<std::pair<double, double>> pts;
        FWin = Chart({{7, 0}, {8, 1}, {9, 2}, {10, 3}, {11, 4}, {12, 5}});
        TCurve& c = FWin->Doc().Curve();
        TResultFrm* r = ResultFrm();
        QApplication::processEvents();
        c.SelectIndex(2);
        QCOMPARE(r->CurrentRow(), 3);
        ClickArrow(5);
        QCOMPARE(c.SelectedIndex(), 4);
        QCOMPARE(r->CurrentRow(), 5);
        ClickArrow(0);
        QCOMPARE(r->Grid()->Selection(), (TGridRect{1, 0, 4, 6}));
        // A click on a data cell only selects the cell.
        const QRect cell = r->Grid()->CellRect(2, 2);
        QTest::mouseClick(r->Grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(c.SelectedIndex(), 4);
        QCOMPARE(r->PanelText(0), U("2"));
    }

    void manyPointsScrollTheCurrentRowIntoView()
    {
        FWin = Chart({});
        TRChart& d = FWin->Doc();
        for (int i = 0; i < 3000; ++i)
            test::DigitizeValue(d, 7.0 + i * 0.007, (i % 50) * 0.1);
        TResultFrm* r = ResultFrm();
        QCOMPARE(r->Grid()->RowCount(), 3001);
        d.Curve().SelectIndex(2500);
        QCOMPARE(r->CurrentRow(), 2501);
        QVERIFY(!r->Grid()->CellRect(0, 2501).isEmpty());
    }

    void followsTheActiveWindow()
    {
        FWin = Chart({{7, 0}, {8, 1}});
        QVERIFY(ResultFrm()->isVisible());
        FWin2 = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(FWin2);
        QApplication::processEvents();
        QCOMPARE(ActiveChartWindow(), FWin2);
        QVERIFY(!ResultFrm()->isVisible()); // empty curve
        FHost->Area->setActiveSubWindow(FWin);
        QApplication::processEvents();
        QVERIFY(ResultFrm()->isVisible());
        QCOMPARE(ResultFrm()->PanelText(1), U("2"));
        delete FWin2;
        FWin2 = nullptr;
        delete FWin;
        FWin = nullptr;
        QApplication::processEvents();
        QVERIFY(!ResultFrm()->isVisible());
    }

    void newChartAfterTheLastOneClosed()
    {
        FWin = Chart({{7, 0}, {8, 1}});
        QVERIFY(ResultFrm()->isVisible());
        delete FWin;
        FWin = nullptr;
        QApplication::processEvents();
        QVERIFY(!ResultFrm()->isVisible());
        // Nothing of the closed chart is left to show (nor to read from freed memory).
        QCOMPARE(ResultFrm()->CellText(1, 1), QString());
        QVERIFY(!ResultFrm()->ExportMaxima());
        QCOMPARE(FFiles.SaveRequests().size(), 0);
        // A new chart, wherever its document lies in memory, is followed point by point.
        FWin = Chart({});
        test::DigitizeValue(FWin->Doc(), 7, 0);
        test::DigitizeValue(FWin->Doc(), 8, 2);
        QVERIFY(ResultFrm()->isVisible());
        QCOMPARE(ResultFrm()->PanelText(1), U("2"));
        QCOMPARE(ResultFrm()->Grid()->RowCount(), 3);
        QCOMPARE(ResultFrm()->CellText(3, 2), Q(FormatNum("%.2f", 2.0)));
    }

    void maximaOfAConstantRate()
    {
        // 2 mm/h from 10:00 to 14:00, nothing before or after.
        FWin = Chart({{7, 0}, {10, 0}, {14, 8}, {31, 8}});
        FWin->Doc().Info.PTot = 8.4;
        TResultFrm* r = ResultFrm();
        r->Pages()->setCurrentIndex(1);
        QTableWidget* t = r->MaxGrid();
        const auto& durations = StandardDurations();
        QCOMPARE(t->rowCount(), int(durations.size()));
        for (int i = 0; i < t->rowCount(); ++i) {
            const int m = durations[std::size_t(i)];
            const double depth = m <= 240 ? 2.0 * m / 60 : 8.0;
            QCOMPARE(t->item(i, 1)->text(), Q(FormatNum("%.2f", depth)));
            QCOMPARE(t->item(i, 2)->text(), Q(FormatNum("%.2f", depth * 60 / m)));
            if (m <= 240)
                QCOMPARE(t->item(i, 3)->text(), Q(DateToStr(FWin->Doc().Info.Date)).left(5) + U(" 10:00"));
        }
        QCOMPARE(t->item(0, 0)->text(), U("5 min"));
        QCOMPARE(t->item(int(durations.size()) - 1, 0)->text(), U("24 h"));
        QVERIFY(r->MaxStatusText().contains(U("Pluviômetro: ") + Q(FormatNum("%.1f", 8.4))));
        QVERIFY(r->MaxStatusText().contains(Q(FormatNum("%+.1f", -0.4))));

        QTemporaryDir dir;
        const QString file = dir.path() + U("/max.csv");
        FFiles.SetNextSaveFile(file);
        QVERIFY(r->ExportMaxima());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const TRainAnalysis a = AnalyseChart(FWin->Doc());
        QCOMPARE(f.readAll().toStdString(), MaximaCsv(a.Maxima, FWin->Doc().Info.Date));
        const QString series = dir.path() + U("/serie.csv");
        FFiles.SetNextSaveFile(series);
        QVERIFY(r->ExportSeries(5));
        QVERIFY(QFile::exists(series));
        QVERIFY(!r->ExportSeries(5)); // cancelled dialog
        FFiles.SetNextSaveFile(dir.path() + U("/no/such/folder/x.csv"));
        QVERIFY(!r->ExportMaxima());
        QVERIFY(FBoxes.LastText().startsWith(U("Não foi possível gravar o arquivo")));
        r->Pages()->setCurrentIndex(0);
    }

    void maximaOverAFailureAreLowerBounds()
    {
        // 3 mm in 10-11 h, a failure until 13 h, 3 mm in 13-14 h.
        FWin = Chart({{7, 0}, {10, 0}, {11, 3}});
        FWin->mnAddFailClick();
        for (auto [t, p] : {std::pair{13.0, 5.0}, {14.0, 8.0}, {31.0, 8.0}})
            test::DigitizeValue(FWin->Doc(), t, p);
        TResultFrm* r = ResultFrm();
        r->Pages()->setCurrentIndex(1);
        QTableWidget* t = r->MaxGrid();
        QCOMPARE(t->item(6, 0)->text(), U("1 h"));
        QCOMPARE(t->item(6, 1)->text(), Q(FormatNum("%.2f", 3.0))); // inside the record: exact
        QCOMPARE(t->item(9, 0)->text(), U("6 h"));
        QCOMPARE(t->item(9, 1)->text(), U("≥") + Q(FormatNum("%.2f", 6.0))); // both sides of the failure
        QCOMPARE(t->item(11, 2)->text(), U("≥") + Q(FormatNum("%.2f", 6.0 / 24)));
        r->Pages()->setCurrentIndex(0);
    }
};

QTEST_MAIN(TestResultFrm)
#include "tst_ResultFrm.moc"
