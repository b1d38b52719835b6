// "Traçar &Automaticamente" through the real main window, offscreen: a scan drawn
// here is shown in "Mesa Virtual", a scale is marked on it, and the command puts
// the traced curve in the chart, draws it over the scan, lists what it was unsure
// of and goes there; it asks before replacing a curve, refuses a scan without a
// trace, and loading another scan over the chart's scale is warned about.

#include "chartwin/DrawBox.h"
#include "chartwin/ScanDesk.h"
#include "chartwin/UnsureList.h"
#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "document/uCurve.h"
#include "document/uEditHistory.h"
#include "shell/ui/uMain.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"
#include "ui_support/FakeServicesScope.h"
#include "ui_support/TestScan.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

} // namespace

class TestAutoTrace : public QObject
{
    Q_OBJECT

    QTemporaryDir FTmp;
    std::unique_ptr<TFakeServicesScope> FFakes;
    std::unique_ptr<TScriptedTabletDriver> FDriver;
    std::unique_ptr<TMainFrm> FMain;
    test::TTestScan FScan;
    QString FInked, FBlank, FPaper;

    TVirtualTablet* Vt() const { return ScanTablet(); }

    // A straight 7 h chart whose scale is marked on the scan shown.
    TRChartFrm* ChartOnScan(const QString& scan)
    {
        if (!Vt()->LoadImage(scan))
            return nullptr;
        TRChartInfo info;
        info.Date = EncodeDate(2024, 3, 12);
        info.Hour = 7;
        info.Linear = true;
        info.StCode = "12345678";
        info.StName = "Esta\xE7\xE3o Teste";
        TRChartFrm* w = NewChartWindow(info);
        TRChart& d = w->Doc();
        d.Scale().SetCoordMode(1);
        d.BeginScale();
        for (auto [t, p] : {std::pair{8.0, 0.0}, {14.0, 5.0}, {20.0, 10.0}, {26.0, 2.0}, {30.5, 8.0}}) {
            const QPointF c = FScan.Counts(t, p);
            auto* pt = new TDigPoint;
            pt->X = int(std::lround(c.x()));
            pt->Y = int(std::lround(c.y()));
            pt->SetValue(t, p);
            if (d.Scale().Append(pt) < 0)
                return nullptr;
            w->UpdateActions(); // the idle update notes the scan the scale is marked on
        }
        w->mnFinishScale->trigger();
        w->UpdateActions();
        return d.Scale().Concluded ? w : nullptr;
    }

    // Whether the drawing over the scan has the curve's red near the chart value.
    bool RedOverScanAt(double t, double p) const
    {
        TTabletSurface* s = Vt()->Surface();
        const QImage shot = s->grab().toImage();
        const QPointF at = s->CountsToWidget(FScan.Counts(t, p));
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                const QPoint q(int(at.x()) + dx, int(at.y()) + dy);
                if (!shot.rect().contains(q))
                    continue;
                const QColor c = shot.pixelColor(q);
                if (c.red() > 180 && c.green() < 110 && c.blue() < 110)
                    return true;
            }
        return false;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FTmp.isValid());
        const std::string dir = QFile::encodeName(FTmp.path()).toStdString() + "/";
        SetAppFolderForTesting(dir + "app/");
        SetConfigFolderForTesting(dir + "config/");
        ForceDirectories(dir + "app/");
        ForceDirectories(dir + "config/");
        FFakes = std::make_unique<TFakeServicesScope>();
        SelectNoTabletDriver(false);
        FDriver = std::make_unique<TScriptedTabletDriver>();
        SetTabletDriver(FDriver.get());
        FMain = std::make_unique<TMainFrm>();
        FMain->CreateForms();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        QTRY_VERIFY(TabletAvailable());
        QVERIFY(Vt()); // the main window's "Mesa Virtual" is where scans are checked
        Vt()->SetOpen(true);
        Vt()->resize(1000, 500);
        FInked = FTmp.filePath(QStringLiteral("inked.png"));
        FBlank = FTmp.filePath(QStringLiteral("blank.png"));
        QVERIFY(FScan.Draw(test::OneSiphonDay()).save(FInked));
        QVERIFY(FScan.Draw({}).save(FBlank));
        FPaper = FTmp.filePath(QStringLiteral("paper.png"));
        QImage paper(test::TTestScan::kWidth, test::TTestScan::kHeight, QImage::Format_RGB32);
        paper.fill(QColor(250, 248, 240));
        QVERIFY(paper.save(FPaper));
    }

    void cleanup()
    {
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        if (TUnsureList* l = TUnsureList::Current())
            delete l;
        Vt()->ClearImage();
        FFakes->Messages.Clear();
        QApplication::processEvents();
    }

    void cleanupTestCase()
    {
        FMain.reset();
        ReleaseTabletLibrary();
        FDriver.reset();
        FFakes.reset();
        SetAppFolderForTesting("");
        SetConfigFolderForTesting("");
    }

    void tracesTheScanIntoTheCurve()
    {
        TRChartFrm* w = ChartOnScan(FInked);
        QVERIFY(w);
        QVERIFY(std::abs(Vt()->Surface()->DpiX() - test::TTestScan::kDpi) < 0.01);
        QVERIFY(ScanIsShown(w->ScanLink()));
        QVERIFY(w->mnAutoTrace->isEnabled());
        QCOMPARE(w->mnAutoTrace->text(), U("Traçar &Automaticamente"));
        QVERIFY(w->Menus().at(2)->actions().contains(w->mnAutoTrace)); // "&Digitalização", after "&Editar"
        FMain->IdleUpdate();
        QVERIFY(FMain->btAutoTrace->defaultAction() == w->cmdAutoTrace);

        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 0);
        TRChart& d = w->Doc();
        const TCurve& c = d.Curve();
        QCOMPARE(d.State(), int(Digitizing));
        QVERIFY(c.Count() >= 5);
        QCOMPARE(c.Peaks, 1);
        QCOMPARE(c.Failures, 0);
        QVERIFY2(std::abs(c.Sum - 12.6) < 0.2, qPrintable(QString::number(c.Sum)));
        QVERIFY(d.IsModified());
        QVERIFY(w->ScanLink().Traced);
        QVERIFY(w->ScanLink().Confidence > 0 && w->ScanLink().Confidence <= 1);
        // The list of unsure stretches comes up with the trace's confidence.
        TUnsureList* list = TUnsureList::Current();
        QVERIFY(list && list->isVisible() && list->Window() == w);
        QCOMPARE(list->List()->count(), int(w->ScanLink().Unsure.size()));
        // The curve is drawn over the scan, through the scale, where the ink is.
        // The whole scan in view: the trace may have panned it to an unsure stretch.
        QCoreApplication::processEvents();
        Vt()->Surface()->FitToWindow();
        QVERIFY(RedOverScanAt(12, 6.0));
        QVERIFY(RedOverScanAt(20, 2.6));
        QVERIFY(!RedOverScanAt(12, 1.0));

        // Again: a curve is there, so the operator is asked; "No" keeps it.
        const int points = c.Count();
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.LastText(), U("A curva já possui pontos. Deseja substituí-los pelo traçado automático?"));
        QCOMPARE(c.Count(), points);
        w->Doc().Curve().Select(nullptr);
        w->mnDelSelPt->trigger(); // nothing selected: nothing deleted
        w->mnUndoLast->trigger();
        QCOMPARE(c.Count(), points - 1);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QCOMPARE(c.Count(), points);
        QCOMPARE(c.Peaks, 1);
    }

    void unsureStretchIsGoneTo()
    {
        TRChartFrm* w = ChartOnScan(FInked);
        QVERIFY(w);
        w->mnAutoTrace->trigger();
        QCOMPARE(w->Doc().State(), int(Digitizing));
        // A stretch as the engine reports one; an entry's click goes there.
        w->ScanLink().Unsure = {{19.5, 20.5, "tinta fraca"}};
        TUnsureList* list = TUnsureList::ShowFor(w);
        QCOMPARE(list->List()->count(), 1);
        QCOMPARE(list->List()->item(0)->text(), U("19:30 – 20:30   tinta fraca"));
        Vt()->Surface()->FitToWindow();
        list->List()->setCurrentRow(0);
        const TDigPoint* sel = w->Doc().Curve().Selected();
        QVERIFY(sel);
        for (int i = 0; i < w->Doc().Curve().Count(); ++i) // the point nearest to the stretch's start
            QVERIFY(std::abs(w->Doc().Curve().Items(i)->Time() - 19.5) >= std::abs(sel->Time() - 19.5) - 1e-9);
        // "Mesa Virtual" is centred on it, close enough to see the ink.
        TTabletSurface* s = Vt()->Surface();
        const QPointF mid = s->CountsToWidget(FScan.Counts(20.0, 2.6));
        QVERIFY2(std::abs(mid.x() - s->width() / 2.0) < 5, qPrintable(QString::number(mid.x())));
        QVERIFY(s->Scale() >= 2.0 * test::TTestScan::kDpi / 1000 - 1e-3);
        // The chart window scrolled to it too.
        const TPoint px = w->Doc().Scale().ValueToPixel(20.0, 2.6);
        QVERIFY(w->SBox()->viewport()->rect().contains(w->Box()->mapTo(w->SBox()->viewport(), QPoint(px.x, px.y))));
        // The list goes with its chart.
        delete w;
        QVERIFY(!list->isVisible());
    }

    void selectedPointIsDraggedOnTheScan()
    {
        TRChartFrm* w = ChartOnScan(FInked);
        QVERIFY(w);
        w->mnAutoTrace->trigger();
        TRChart& d = w->Doc();
        QCOMPARE(d.State(), int(Digitizing));
        TCurve& c = d.Curve();
        QVERIFY(c.Count() > 4);
        // A point in the middle with room before its neighbour (not a siphon's peak).
        int i = c.Count() / 2;
        while (i + 2 < c.Count() && c.Items(i + 1)->Time() - c.Items(i)->Time() < 0.05)
            ++i;
        const int count = c.Count(), steps = w->History().Count();
        c.SelectIndex(i);
        const std::string before = d.SaveToBuffer();
        TTabletSurface* s = Vt()->Surface();
        s->FitToWindow();
        const TScale& sc = d.Scale();
        const TDigPoint* p = c.Items(i);
        double x = 0, y = 0;
        QVERIFY(sc.ValueToCounts(p->Time(), p->Prec(), x, y));
        const QPointF marker = s->CountsToWidget(QPointF(x, y));
        // Only a press on the selected point's marker takes it.
        QVERIFY(!w->ScanDragPress(*s, marker + QPointF(20, 0)));
        QVERIFY(w->ScanDragPress(*s, marker + QPointF(2, 1)));
        // Halfway to the next point and a little up: the value a click there gives.
        double tx = 0, ty = 0;
        QVERIFY(sc.ValueToCounts((p->Time() + c.Items(i + 1)->Time()) / 2, p->Prec() + 0.4, tx, ty));
        const int cx = int(std::lround(tx)), cy = int(std::lround(ty));
        w->ScanDragMove(cx, cy);
        QCOMPARE(p->Time(), sc.TimeAt(cx, cy));
        QCOMPARE(p->Prec(), sc.PrecAt(cx, cy));
        // Never past its neighbour.
        const double next = c.Items(i + 1)->Time();
        QVERIFY(sc.ValueToCounts(next + 1, p->Prec(), tx, ty));
        w->ScanDragMove(int(std::lround(tx)), int(std::lround(ty)));
        QCOMPARE(p->Time(), next - 0.001);
        w->ScanDragRelease();
        // One step, no point inserted, and undo gives the bytes back.
        QCOMPARE(c.Count(), count);
        QCOMPARE(w->History().Count(), steps + 1);
        QCOMPARE(w->History().UndoText(), std::string("Mover ponto"));
        w->cmdUndoClick();
        QVERIFY(d.SaveToBuffer() == before);
    }

    void noTraceOnABlankScan()
    {
        TRChartFrm* w = ChartOnScan(FPaper);
        QVERIFY(w);
        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.Shown().back().Type, TMsgType::Error);
        QVERIFY(FFakes->Messages.LastText().startsWith(U("Não foi possível traçar a curva automaticamente: ")));
        QCOMPARE(w->Doc().State(), int(Idle));
        QVERIFY(w->Doc().Curve().IsEmpty());
        QVERIFY(!w->ScanLink().Traced);
    }

    void needsAScanAndWarnsOfAnother()
    {
        TRChartFrm* w = ChartOnScan(FInked);
        QVERIFY(w);
        Vt()->ClearImage();
        w->UpdateActions();
        QVERIFY(!w->mnAutoTrace->isEnabled());
        // Another scan under a scale marked on the first one.
        QVERIFY(Vt()->LoadImage(FBlank));
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.Shown().back().Type, TMsgType::Warning);
        QVERIFY(FFakes->Messages.LastText().contains(U("foi marcada sobre outra imagem")));
        QVERIFY(FFakes->Messages.LastText().contains(U("inked.png")));
        // Tracing it is refused with the scan the scale belongs to; nothing is drawn over the wrong one.
        w->UpdateActions();
        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QVERIFY(FFakes->Messages.LastText().contains(U("Abra essa imagem na Mesa Virtual")));
        QVERIFY(w->Doc().Curve().IsEmpty());
        QVERIFY(!ScanFitsChart(w->ScanLink()));
        // The chart's own scan comes back when its window is activated again.
        ShowChartScan(w);
        QVERIFY(ScanIsShown(w->ScanLink()));
        QCOMPARE(FFakes->Messages.Count(), 2);
    }
};

QTEST_MAIN(TestAutoTrace)
#include "tst_AutoTrace.moc"
