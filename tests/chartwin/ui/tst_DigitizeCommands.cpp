// A whole digitizing session in a chart window through the scripted tablet:
// insertions, rounding with and without Shift, a point out of order with Ctrl
// and its undo, overflows (a 5.0 mm peak included), failure marks and their
// refusal, a point past 24 h, finishing, saving and reopening.

#include "chartwin/uRChartWnd.h"
#include "ui_support/TestChartHost.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uOptions.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

using THost = test::TChartHostForTest;

const char* kFailureText =
    "Não foi possível sinalizar uma falha, devido a uma das causas:\r\n"
    "1) O ponto é o primeiro ou o segundo da lista.\r\n"
    "2) O ponto anterior sinaliza uma falha.\r\n"
    "3) O ponto anterior ao anterior sinaliza uma falha, o que isolaria o anterior.\r\n"
    "4) O ponto posterior sinaliza uma falha.\r\n"
    "5) O ponto posterior ao posterior sinaliza uma falha, o que isolaria o posterior.\r\n";

} // namespace

class TestDigitizeCommands : public QObject
{
    Q_OBJECT

    THost* FHost = nullptr;
    TScriptedTabletDriver FDriver;
    TScriptedMessages FBoxes;
    TCountingBeeper FBeeper;
    TFakeKeyboard FKeys;
    TRChartFrm* FWin = nullptr;

    void Click(double t, double p, int button = 0)
    {
        auto [x, y] = test::ToTablet(t, p, FWin->Doc().Info.Linear, FWin->Doc().Info.Hour);
        FDriver.Send(0, x, y);
        FDriver.PressButton(button, x, y);
        FDriver.ReleaseButton(button, x, y);
    }

    TRChartFrm* NewScaledChart()
    {
        TRChartFrm* w = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(w);
        QApplication::processEvents();
        test::PrepareScale(w->Doc());
        w->Doc().ConcludeScale();
        return w;
    }

private slots:
    void initTestCase()
    {
        FHost = new THost;
        SetChartHost(FHost);
        FHost->Main.resize(1200, 900);
        FHost->Main.show();
        SetMessages(&FBoxes);
        SetBeeper(&FBeeper);
        SetKeyboard(&FKeys);
        SetTabletDriver(&FDriver);
        QVERIFY(LoadTabletLibrary());
        Options().Buttons = {0, 1, 2, 3};
        SetSwapButton(3);
    }

    void cleanup()
    {
        delete FWin;
        FWin = nullptr;
        FBoxes.Clear();
        FBeeper.Reset();
        FKeys.SetModifiers({});
        DigOptions() = TDigOptions{};
        QApplication::processEvents();
    }

    void startRefusalsAndCaptions()
    {
        QVERIFY(DigOptions().ChronologicalOrder);
        QVERIFY(DigOptions().RoundToZero);
        FWin = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(FWin);
        TRChart& d = FWin->Doc();
        Options().Buttons = {0, 4, 6, 3};
        FWin->RefreshAfterPreferences();
        QCOMPARE(FWin->mnUndoLast->text(), U("Desfa&zer Último Ponto <b5>"));
        QCOMPARE(FWin->cmdSpill->text(), U("Sinalizar &Transbordamento <b7>"));
        Options().Buttons = {0, 1, 2, 3};
        FWin->RefreshAfterPreferences();
        QCOMPARE(FWin->mnSpill->text(), U("Sinalizar &Transbordamento <b3>"));

        FWin->mnDigCurveClick(); // state 1: nothing
        QCOMPARE(FBoxes.Count(), 0);
        test::PrepareScale(d); // state 2
        FWin->mnDigCurveClick();
        QCOMPARE(FBoxes.LastText(), U("Você está definindo uma escala! Marque os pontos de controle e conclua a "
                                      "escala para iniciar a digitalização."));
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Information);
        d.CancelScale();
        d.SetKind(1); // state 0 without a scale
        FBoxes.Clear();
        FWin->mnDigCurveClick();
        QCOMPARE(FBoxes.LastText(), U("Você deve associar uma escala ao pluviograma\r\nantes de iniciar a digitalização."));
        QCOMPARE(d.State(), int(Idle));
    }

    void wholeSessionSavedAndReopened()
    {
        FWin = NewScaledChart();
        TRChart& d = FWin->Doc();
        TCurve& c = d.Curve();
        QVERIFY(FWin->mnDigCurve->isEnabled());
        FWin->mnDigCurve->trigger();
        QCOMPARE(d.State(), int(Digitizing));
        QCOMPARE(FWin->TabletMode(), 0);
        QVERIFY(ResultFrm()->isVisible());

        Click(7.0, 0.3); // rounded to 0
        QCOMPARE(c.Count(), 1);
        QCOMPARE(c.Items(0)->Prec(), 0.0);
        FKeys.SetShift(true);
        Click(7.5, 0.3); // Shift: kept
        FKeys.SetShift(false);
        QVERIFY(std::abs(c.Items(1)->Prec() - 0.3) < 1e-6);
        Click(8.0, 2.0);
        Click(8.0, 2.5); // same time as the last: refused
        QCOMPARE(c.Count(), 3);
        Click(7.8, 1.0); // before the last, no Ctrl: refused
        QCOMPARE(c.Count(), 3);

        // A peak of exactly 5.0 mm and its return point, by the overflow button.
        Click(9.0, 5.0);
        Click(9.0, 0, 2);
        QCOMPARE(FBeeper.Count(), 0);
        QCOMPARE(c.Count(), 5);
        QVERIFY(std::abs(c.Last()->Time() - 9.001) < 1e-9);
        QCOMPARE(c.Last()->Prec(), 0.0);
        QCOMPARE(c.Items(3)->Mark(), 1);
        QCOMPARE(c.Peaks, 1);
        // Nothing to overflow from 0 mm: beep.
        FWin->mnSpillClick();
        QCOMPARE(FBeeper.Count(), 1);

        Click(12.0, 7.3);
        FWin->mnSpill->trigger();
        QCOMPARE(c.Peaks, 2);
        Click(14.0, 3.0);

        // Ctrl: a point at its place, then undone by the delete button.
        FKeys.SetCtrl(true);
        Click(8.5, 3.0);
        FKeys.SetCtrl(false);
        QCOMPARE(c.Count(), 9);
        QVERIFY(std::abs(c.Items(3)->Time() - 8.5) < 1e-9);
        Click(0, 0, 1);
        QCOMPARE(c.Count(), 8);
        QVERIFY(std::abs(c.Items(3)->Time() - 9.0) < 1e-9);

        // A failure on the last point, then a refused one two points later.
        FWin->mnAddFailClick();
        QCOMPARE(FBoxes.Count(), 0);
        QCOMPARE(c.Last()->Mark(), 2);
        QCOMPARE(c.Failures, 1);
        QCOMPARE(ResultFrm()->PanelText(3), U(" P = ±%1 mm").arg(QString::fromStdString(FormatNum("%.1f", c.Sum))));
        Click(16.0, 1.0);
        FWin->mnAddFailClick();
        QCOMPARE(FBoxes.LastText(), U(kFailureText));
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Error);
        QCOMPARE(c.Last()->Mark(), 0);

        // Past 24 h: the next day's date.
        Click(31.5, 2.0);
        const int last = c.Count();
        QCOMPARE(ResultFrm()->CellText(1, last), QString::fromStdString(DateToStr(d.Info.Date + 1)));
        QCOMPARE(ResultFrm()->CellText(2, last), U("07:30"));
        QCOMPARE(ResultFrm()->PanelText(2), U("2 picos"));

        // Options from the menu, program-wide.
        FWin->mnAddToEndClick();
        QVERIFY(!DigOptions().ChronologicalOrder);
        Click(15.0, 1.5); // no Ctrl needed now
        QCOMPARE(c.Items(c.Count() - 3)->Time(), 15.0);
        FWin->mnUndoLastClick();
        FWin->mnAddToEndClick();
        FWin->mnRoundToZeroClick();
        QVERIFY(!DigOptions().RoundToZero);
        FKeys.SetShift(true);
        Click(32.0, -0.2); // option off, Shift held: rounded
        FKeys.SetShift(false);
        QCOMPARE(c.Last()->Prec(), 0.0);
        FWin->mnRoundToZeroClick();

        // Selection moves.
        FWin->mnSelNextClick();
        QCOMPARE(c.SelectedIndex(), 0);
        QCOMPARE(ResultFrm()->CurrentRow(), 1);
        FWin->mnSelNextClick();
        FWin->mnSelPrevClick();
        QCOMPARE(c.SelectedIndex(), 0);
        FWin->mnSelNextClick();
        FWin->mnDelSelPtClick();
        QVERIFY(!c.Selected());
        const int count = c.Count();
        const double sum = c.Sum;
        const int failures = c.Failures;

        FWin->mnEndDigit->trigger();
        QCOMPARE(d.State(), int(Idle));
        QCOMPARE(FWin->TabletMode(), 1);

        QTemporaryDir dir;
        const std::string path = (dir.path() + "/dig.pvd").toStdString();
        QVERIFY(FWin->Save(path));
        QVERIFY(!d.IsModified());
        std::vector<std::string> before;
        for (int i = 0; i < count; ++i)
            before.push_back(d.CellText(i, 1) + d.CellText(i, 2) + d.CellText(i, 3) + std::to_string(c.Items(i)->Mark()));
        delete FWin;
        FWin = OpenChartFile(path);
        QVERIFY(FWin);
        const TCurve& c2 = FWin->Doc().Curve();
        QCOMPARE(FWin->Doc().State(), int(Idle));
        QCOMPARE(c2.Count(), count);
        QCOMPARE(c2.Failures, failures);
        QCOMPARE(c2.Sum, sum);
        for (int i = 0; i < count; ++i)
            QCOMPARE(FWin->Doc().CellText(i, 1) + FWin->Doc().CellText(i, 2) + FWin->Doc().CellText(i, 3) +
                         std::to_string(c2.Items(i)->Mark()),
                     before[std::size_t(i)]);
        QVERIFY(ResultFrm()->isVisible()); // the reopened curve has points
        FWin->mnShowValuesClick();
        QVERIFY(!ResultFrm()->isVisible());
        FWin->mnShowValuesClick();
        QVERIFY(ResultFrm()->isVisible());
    }

    void failureRefusedNearTheStart()
    {
        FWin = NewScaledChart();
        FWin->mnDigCurveClick();
        FWin->mnAddFailClick(); // empty curve
        QCOMPARE(FBoxes.LastText(), U(kFailureText));
        Click(7.0, 0);
        Click(8.0, 1);
        FWin->mnAddFailClick(); // second point
        QCOMPARE(FBoxes.Count(), 2);
        QCOMPARE(FWin->Doc().Curve().Last()->Mark(), 0);
    }

    void noOverflowAtTheEndOfTheDay()
    {
        FWin = NewScaledChart();
        FWin->mnDigCurveClick();
        Click(7.0, 0);
        Click(31.0, 8.0);
        QVERIFY(!FWin->Doc().CanAddSpill());
        Click(0, 0, 2);
        QCOMPARE(FBeeper.Count(), 1);
        QCOMPARE(FWin->Doc().Curve().Count(), 2);
    }
};

QTEST_MAIN(TestDigitizeCommands)
#include "tst_DigitizeCommands.moc"
