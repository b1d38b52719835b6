// Whole scale definitions in a chart window, driven through the scripted
// tablet driver and scripted message boxes: marking predefined sets, typed
// points, conclusion, undo, rejection, the point limit, unsteady clicks,
// cancelling, and a definition saved half-way and reopened.

#include "chartwin/ChartImage.h"
#include "chartwin/uRChartWnd.h"
#include "ui_support/TestChartHost.h"
#include "common/Utils.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleDlg.h"
#include "scale/ui/uScaleStat.h"
#include "scale/ui/uScaleTools.h"
#include "shell/uOptions.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <functional>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

using THost = test::TChartHostForTest;

// Bumped after every test, so a wait left over from one test never acts in the next.
int gModalGeneration = 0;

// Runs action on the next modal dialog as soon as it is up.
void OnNextModal(std::function<void(QWidget*)> action, int tries = 200, int generation = -1)
{
    if (generation < 0)
        generation = gModalGeneration;
    QTimer::singleShot(5, [action, tries, generation] {
        if (generation != gModalGeneration)
            return;
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            action(w);
            // A failed check returns early: never leave the dialog hanging.
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                d->reject();
        }
        else if (tries > 0)
            OnNextModal(action, tries - 1, generation);
    });
}

TCoordSet MakeSet(const char* name, std::initializer_list<std::pair<double, double>> pts)
{
    TCoordSet s;
    s.Name = name;
    for (auto [t, p] : pts)
        s.Points.push_back({t, p, kCoordComplete});
    return s;
}

} // namespace

class TestScaleCommands : public QObject
{
    Q_OBJECT

    THost* FHost = nullptr;
    TScriptedTabletDriver FDriver;
    TScriptedMessages FBoxes;
    TCountingBeeper FBeeper;
    TRChartFrm* FWin = nullptr;

    // Tablet counts of a chart value: exact for the fitted planes on both kinds of chart.
    static QPoint Tablet(double t, double p, bool linear)
    {
        const double u = linear ? t : t + (p - 5) * (p - 5) / 72.0;
        return {int(std::lround(1000 + (u - 7) * 600)), int(std::lround(2000 + p * 800))};
    }

    void Click(QPoint at, QPoint release = {-1, -1}, int button = 0)
    {
        if (release.x() < 0)
            release = at;
        FDriver.Send(FDriver.LastButtons(), at.x(), at.y());
        FDriver.PressButton(button, at.x(), at.y());
        FDriver.ReleaseButton(button, release.x(), release.y());
    }

    TRChartFrm* NewChart(bool linear)
    {
        TRChartInfo info;
        info.Date = EncodeDate(2024, 3, 10);
        info.Hour = 7;
        info.Linear = linear;
        info.StName = "Teste";
        info.StCode = "12345678";
        TRChartFrm* w = NewChartWindow(info);
        FHost->Area->setActiveSubWindow(w);
        QApplication::processEvents();
        return w;
    }

    // Runs "&Definir Escala..." choosing set index (or typed coordinates with -1).
    void Define(TRChartFrm* w, int set)
    {
        OnNextModal([set](QWidget* m) {
            auto* dlg = qobject_cast<TScaleDlg*>(m);
            QVERIFY(dlg);
            if (set < 0)
                dlg->rbCoordsDuring->setChecked(true);
            else {
                dlg->rbCoordDefauls->setChecked(true);
                dlg->cbSetPoints->setCurrentIndex(set);
            }
            dlg->btOk->click();
        });
        w->mnDefScaleClick();
    }

    // A click answered in the coordinate dialog with text (empty: cancel).
    void ClickTyped(QPoint at, const QString& text, QString* caption = nullptr)
    {
        OnNextModal([text, caption](QWidget* m) {
            auto* dlg = qobject_cast<TCtrlPtCoord*>(m);
            QVERIFY(dlg);
            if (caption)
                *caption = dlg->windowTitle();
            if (text.isEmpty()) {
                dlg->btCancel->click();
                return;
            }
            dlg->edCoords->setText(text);
            QVERIFY(dlg->btOk->isEnabled());
            dlg->btOk->click();
        });
        Click(at);
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
        SetTabletDriver(&FDriver);
        QVERIFY(LoadTabletLibrary());
        Options().Buttons = {0, 1, 2, 3};
        SetSwapButton(3);
        TCoordsList& list = ProgramCoordsList();
        list.Clear();
        list.Append(MakeSet("Curva 6", {{7, 0}, {13, 2}, {19, 5}, {25, 8}, {31, 10}, {10, 10}}));
        list.Append(MakeSet("Linear 5", {{7, 0}, {13, 5}, {19, 10}, {25, 2}, {31, 8}}));
    }

    void cleanup()
    {
        ++gModalGeneration;
        delete FWin;
        FWin = nullptr;
        FBoxes.OnShow = nullptr;
        FBoxes.Clear();
        FBeeper.Reset();
        QApplication::processEvents();
    }

    void curvedChartFromSixPointSetThenOneTyped()
    {
        FWin = NewChart(false);
        QCOMPARE(ActiveChartWindow(), FWin);
        QVERIFY(FWin->mnDefScale->isEnabled());
        Define(FWin, 0);
        TRChart& d = FWin->Doc();
        TScale& s = d.Scale();
        QCOMPARE(d.State(), int(DefiningScale));
        QCOMPARE(FWin->TabletMode(), 0);
        QVERIFY(FWin->ShowCtrlPt());
        QVERIFY(ScaleStatFrm()->isVisible());
        TMsgPt* prompt = MsgPt();
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->lbPtNo->text(), U("1/6:"));
        QCOMPARE(prompt->lbCoords->text(), U("7; 0"));
        QCOMPARE(prompt->ChartImg->MarkerImage(0), int(TChartImage::miBlue));
        QVERIFY(prompt->ChartImg->MarkerBlinking(0));

        const std::pair<double, double> pts[] = {{7, 0}, {13, 2}, {19, 5}, {25, 8}, {31, 10}, {10, 10}};
        for (int i = 0; i < 6; ++i) {
            Click(Tablet(pts[i].first, pts[i].second, false));
            QCOMPARE(s.Count(), i + 1);
            QCOMPARE(s.Selected(), s.Last());
            QVERIFY(!s.Valid);
            if (i == 3) {
                QCOMPARE(prompt->lbPtNo->text(), U("5/6:"));
                QCOMPARE(prompt->lbCoords->text(), U("7; 10")); // 31 h shows as 7 h of the next day
                QCOMPARE(prompt->ChartImg->MarkerImage(3), int(TChartImage::miGreen));
            }
        }
        QVERIFY(!prompt->isVisible());
        QCOMPARE(int(s.CoordMode), 1);
        QVERIFY(s.Predefined().IsEmpty());
        QString caption;
        ClickTyped(Tablet(16, 3, false), U("16 3"), &caption);
        QCOMPARE(caption, U("Coordenadas do Ponto 7"));
        QVERIFY(!FWin->EntryLock());
        QCOMPARE(s.Count(), 7);
        QVERIFY(s.Valid);
        QVERIFY(FWin->mnFinishScale->isEnabled());
        // Once valid, markers sit where the scale puts the provided values.
        const TPoint c = s.Items(2)->Centre();
        const TPoint want = s.ValueToPixel(19, 5);
        QVERIFY(std::abs(c.x - want.x) <= 1 && std::abs(c.y - want.y) <= 1);
        QVERIFY(QString::fromStdString(s.Items(0)->Hint()).contains(U("Calc.:")));
        // A cancelled dialog adds nothing and clears the lock.
        ClickTyped(Tablet(22, 6, false), QString());
        QCOMPARE(s.Count(), 7);
        QVERIFY(!FWin->EntryLock());
        QCOMPARE(FBoxes.Count(), 0);
    }

    void linearChartConcludedWithinTolerance()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        TScale& s = FWin->Doc().Scale();
        const std::pair<double, double> pts[] = {{7, 0}, {13, 5}, {19, 10}, {25, 2}, {31, 8}};
        for (auto [t, p] : pts)
            Click(Tablet(t, p, true));
        QCOMPARE(s.Count(), 5);
        QVERIFY(s.Valid);
        QVERIFY(!MsgPt()->isVisible());
        QCOMPARE(ScaleStatFrm()->CellText(1, 2).split(U("\r\n")).value(1), U("5.00"));
        FWin->mnFinishScaleClick();
        QCOMPARE(FBoxes.Count(), 0);
        QVERIFY(s.Concluded);
        QCOMPARE(FWin->Doc().State(), int(Idle));
        QVERIFY(!FWin->ShowCtrlPt());
        QVERIFY(!s.Visible());
        QVERIFY(!ScaleStatFrm()->isVisible());
        QVERIFY(!FWin->mnDefScale->isEnabled());
        // F4 shows the concluded scale's points and statistics again.
        FWin->mnShowCtrlPtClick();
        QVERIFY(ScaleStatFrm()->isVisible());
        ScaleStatFrm()->close(); // by the operator: the flag goes
        QVERIFY(!FWin->ShowCtrlPt());
    }

    void conclusionRefusedBeyondTolerance()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        TScale& s = FWin->Doc().Scale();
        const std::pair<double, double> pts[] = {{7, 0}, {13, 5}, {19, 10}, {25, 2}, {31, 8}};
        for (int i = 0; i < 5; ++i)
            Click(Tablet(pts[i].first, pts[i].second, true) + QPoint(i == 2 ? 300 : 0, 0));
        QVERIFY(s.Valid);
        FWin->mnFinishScaleClick();
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.Shown().front().Type, TMsgType::Warning);
        QVERIFY(FBoxes.LastText().startsWith(U("A escala não pode ser concluída, porque os erros associados")));
        QVERIFY(!s.Concluded);
        QCOMPARE(FWin->Doc().State(), int(DefiningScale));
        // The statistics mark the displaced point's time residual as beyond the tolerance.
        QVERIFY(!ScaleStatFrm()->CellWithin(0, 3));
    }

    void undoWhileMarkingGoesBack()
    {
        FWin = NewChart(false);
        Define(FWin, 0);
        TScale& s = FWin->Doc().Scale();
        TMsgPt* prompt = MsgPt();
        Click(Tablet(7, 0, false));
        Click(Tablet(13, 2, false));
        Click(Tablet(19, 5, false));
        QCOMPARE(prompt->Current(), 3);
        Click(Tablet(0, 0, false), {-1, -1}, 1); // the delete-point button
        QCOMPARE(s.Count(), 2);
        QCOMPARE(prompt->Current(), 2);
        QCOMPARE(prompt->lbPtNo->text(), U("3/6:"));
        QCOMPARE(prompt->ChartImg->MarkerImage(2), int(TChartImage::miBlue));
        QVERIFY(prompt->ChartImg->MarkerBlinking(2));
        QCOMPARE(prompt->ChartImg->MarkerImage(3), int(TChartImage::miRed));
        QCOMPARE(s.Predefined().Items(2)->Mark(), -1);
        // The menu undo and deleting the selected point do the same.
        FWin->mnUndoLastPtClick();
        QCOMPARE(prompt->Current(), 1);
        s.SelectIndex(0);
        FWin->mnDelPtClick();
        QVERIFY(s.IsEmpty());
        QCOMPARE(prompt->Current(), 0);
        // Marking resumes at the first set point.
        Click(Tablet(7, 0, false));
        QCOMPARE(s.Items(0)->Time(), 7.0);
        QCOMPARE(prompt->Current(), 1);
    }

    void nearPointRejectedUnsteadyClickBeeped()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        TScale& s = FWin->Doc().Scale();
        const QPoint a = Tablet(7, 0, true);
        Click(a);
        Click(a + QPoint(50, 50));
        QCOMPARE(s.Count(), 1);
        QCOMPARE(FBoxes.LastText(),
                 U("O ponto de controle foi rejeitado porque já existe um outro nas proximidades."));
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Error);
        QCOMPARE(MsgPt()->Current(), 1); // the prompt does not advance
        // Pen moved 8 counts between press and release: refused with a beep.
        const QPoint b = Tablet(13, 5, true);
        Click(b, b + QPoint(8, 0));
        QCOMPARE(s.Count(), 1);
        QCOMPARE(FBeeper.Count(), 1);
        Click(b, b + QPoint(5, 4)); // 41 < 50
        QCOMPARE(s.Count(), 2);
        QCOMPARE(FBeeper.Count(), 1);
    }

    // The rejection message runs under the entry lock, on both paths: a tablet
    // click arriving while it is up is dropped, never a second insertion.
    void rejectionMessageHoldsTheEntryLock()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        const QPoint a = Tablet(7, 0, true);
        Click(a);
        QList<bool> locked;
        FBoxes.OnShow = [&](const TScriptedMessages::TShown&) {
            locked << FWin->EntryLock();
            if (locked.size() == 1)
                Click(Tablet(13, 5, true));
        };
        Click(a + QPoint(50, 50));
        QCOMPARE(FWin->Doc().Scale().Count(), 1);
        QCOMPARE(MsgPt()->Current(), 1);
        delete FWin;
        FWin = NewChart(true);
        Define(FWin, -1);
        ClickTyped(a, U("7 0"));
        ClickTyped(a + QPoint(50, 50), U("8 1"));
        FBoxes.OnShow = nullptr;
        QCOMPARE(FWin->Doc().Scale().Count(), 1);
        QCOMPARE(locked, QList<bool>({true, true}));
        QVERIFY(!FWin->EntryLock());
    }

    void sixteenthClickIgnored()
    {
        FWin = NewChart(true);
        Define(FWin, -1);
        TScale& s = FWin->Doc().Scale();
        QCOMPARE(int(s.CoordMode), 1);
        QVERIFY(!MsgPt()->isVisible());
        for (int i = 0; i < 15; ++i) {
            auto* p = new TDigPoint;
            const QPoint at = Tablet(7 + i * 1.5, (i % 5) * 2.0, true);
            p->X = at.x();
            p->Y = at.y();
            p->SetValue(7 + i * 1.5, (i % 5) * 2.0);
            QVERIFY(s.Append(p) >= 0);
        }
        QCOMPARE(s.Count(), 15);
        bool opened = false;
        OnNextModal(
            [&opened](QWidget* m) {
                opened = true;
                if (auto* d = qobject_cast<QDialog*>(m))
                    d->reject();
            },
            20);
        Click(Tablet(20, 11, true));
        QTest::qWait(150);
        QVERIFY(!opened);
        QCOMPARE(s.Count(), 15);
    }

    void cancelAsksAndResets()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        TScale& s = FWin->Doc().Scale();
        Click(Tablet(7, 0, true));
        FBoxes.SetNextAnswer(TMsgResult::No);
        FWin->mnCancelScaleClick();
        QCOMPARE(FBoxes.LastText(), U("Deseja mesmo cancelar a definição de escala?"));
        QCOMPARE(FBoxes.Shown().back().Buttons, TMsgButtons::YesNo);
        QCOMPARE(FWin->Doc().State(), int(DefiningScale));
        QCOMPARE(s.Count(), 1);
        QVERIFY(MsgPt()->isVisible());
        FBoxes.SetNextAnswer(TMsgResult::Yes);
        FWin->mnCancelScaleClick();
        QCOMPARE(FWin->Doc().State(), int(AwaitingScale));
        QVERIFY(s.IsEmpty());
        QVERIFY(!s.InDefinition());
        QVERIFY(!FWin->ShowCtrlPt());
        QVERIFY(!MsgPt()->isVisible());
        QVERIFY(!ScaleStatFrm()->isVisible());
        QCOMPARE(FWin->TabletMode(), 1);
    }

    void closingThePromptSwitchesToTypedPoints()
    {
        FWin = NewChart(false);
        Define(FWin, 0);
        TScale& s = FWin->Doc().Scale();
        Click(Tablet(7, 0, false));
        FBoxes.SetNextAnswer(TMsgResult::No);
        MsgPt()->close();
        QVERIFY(MsgPt()->isVisible());
        QCOMPARE(int(s.CoordMode), 0);
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Warning);
        QVERIFY(FBoxes.LastText().startsWith(U("Se fechar esta janela, você deverá marcar arbitrariamente")));
        FBoxes.SetNextAnswer(TMsgResult::Yes);
        MsgPt()->close();
        QVERIFY(!MsgPt()->isVisible());
        QCOMPARE(int(s.CoordMode), 1);
        ClickTyped(Tablet(13, 2, false), U("13/2"));
        QCOMPARE(s.Count(), 2);
        QCOMPARE(s.Items(1)->Time(), 13.0);
    }

    void savedWhileDefiningReopensThere()
    {
        QTemporaryDir dir;
        const std::string file = QDir(dir.path()).filePath(QStringLiteral("half.pvd")).toStdString();
        FWin = NewChart(false);
        Define(FWin, 0);
        Click(Tablet(7, 0, false));
        Click(Tablet(13, 2, false));
        Click(Tablet(19, 5, false));
        QVERIFY(FWin->Save(file));
        delete FWin;
        FWin = nullptr;
        QApplication::processEvents();
        QVERIFY(!MsgPt()->isVisible());

        FWin = OpenChartFile(file);
        QVERIFY(FWin);
        QApplication::processEvents();
        QCOMPARE(ActiveChartWindow(), FWin);
        TScale& s = FWin->Doc().Scale();
        QCOMPARE(FWin->Doc().State(), int(DefiningScale));
        QCOMPARE(FWin->TabletMode(), 0);
        QCOMPARE(s.Count(), 3);
        QCOMPARE(s.Predefined().Count(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(s.Predefined().Items(i)->Mark(), i < 3 ? 1 : -1);
        QVERIFY(FWin->ShowCtrlPt());
        QVERIFY(ScaleStatFrm()->isVisible());
        TMsgPt* prompt = MsgPt();
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->Current(), 3);
        QCOMPARE(prompt->ChartImg->MarkerCount(), 6);
        QCOMPARE(prompt->ChartImg->MarkerImage(1), int(TChartImage::miGreen));
        QCOMPARE(prompt->ChartImg->MarkerImage(5), int(TChartImage::miRed));
        QCOMPARE(prompt->lbCoords->text(), U("1; 8")); // 25 h
        Click(Tablet(25, 8, false));
        QCOMPARE(s.Count(), 4);
        QCOMPARE(s.Items(3)->Time(), 25.0);
    }

    void toolWindowsFollowTheActiveChart()
    {
        FWin = NewChart(true);
        Define(FWin, 1);
        Click(Tablet(7, 0, true));
        QVERIFY(MsgPt()->isVisible());
        TRChartFrm* other = NewChart(true);
        QCOMPARE(ActiveChartWindow(), other);
        QVERIFY(!MsgPt()->isVisible());
        QVERIFY(!ScaleStatFrm()->isVisible());
        FHost->Area->setActiveSubWindow(FWin);
        QApplication::processEvents();
        QCOMPARE(ActiveChartWindow(), FWin);
        QVERIFY(MsgPt()->isVisible());
        QVERIFY(ScaleStatFrm()->isVisible());
        QCOMPARE(ScaleStatFrm()->Scale(), &FWin->Doc().Scale());
        delete other;
        QApplication::processEvents();
        delete FWin;
        FWin = nullptr;
        QApplication::processEvents();
        QVERIFY(!MsgPt()->isVisible());
        QVERIFY(!ScaleStatFrm()->isVisible());
    }
};

QTEST_MAIN(TestScaleCommands)
#include "tst_ScaleCommands.moc"
