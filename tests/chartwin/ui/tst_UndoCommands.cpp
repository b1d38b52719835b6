// The chart window's undo and redo: every command that changes the document
// is one step that gives back the same file bytes, the modified flag follows
// the saved step, the history window jumps, and a curve point moves in place
// with the mouse and the keyboard.

#include "chartwin/DrawBox.h"
#include "chartwin/uHistoryFrm.h"
#include "chartwin/uRChartWnd.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uEditHistory.h"
#include "scale/ui/uReadCtrlPt.h"
#include "shell/uOptions.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"
#include "ui_support/TestChartHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

using TCommand = std::function<void(TRChartFrm*)>;

} // namespace

Q_DECLARE_METATYPE(TCommand)

class TestUndoCommands : public QObject
{
    Q_OBJECT

    test::TChartHostForTest* FHost = nullptr;
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

    // A chart being digitized with five points, its history started there.
    void NewDigitizing(bool defineOnly = false)
    {
        FWin = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(FWin);
        QApplication::processEvents();
        test::PrepareScale(FWin->Doc());
        if (!defineOnly) {
            FWin->Doc().ConcludeScale();
            FWin->mnDigCurveClick();
            for (double t : {8.0, 9.0, 10.0, 11.0})
                Click(t, (t - 7) * 2.2);
            Click(12.0, 9.8);
        }
        FWin->ResetHistory(true);
        FWin->Doc().Modified = false;
    }

private slots:
    void initTestCase()
    {
        FHost = new test::TChartHostForTest;
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
        QApplication::processEvents();
    }

    void everyCommandIsOneStep_data()
    {
        QTest::addColumn<bool>("defining");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TCommand>("command");
        auto row = [](const char* name, bool defining, const char* text, TCommand c) {
            QTest::newRow(name) << defining << U(text) << c;
        };
        row("tablet insert", false, steps::kInsertPoint, [this](TRChartFrm*) { Click(13.0, 2.0); });
        row("tablet delete button", false, steps::kUndoLastPoint, [this](TRChartFrm*) { Click(13.0, 2.0, 1); });
        row("undo last point", false, steps::kUndoLastPoint, [](TRChartFrm* w) { w->mnUndoLastClick(); });
        row("overflow", false, steps::kOverflow, [](TRChartFrm* w) { w->mnSpillClick(); });
        row("failure", false, steps::kFailure, [](TRChartFrm* w) { w->mnAddFailClick(); });
        row("delete selected", false, steps::kDeletePoint, [](TRChartFrm* w) { w->mnDelSelPtClick(); });
        row("nudge", false, steps::kMovePoint, [](TRChartFrm* w) {
            QTest::keyClick(w->Box(), Qt::Key_Up, Qt::ShiftModifier);
        });
        row("drag", false, steps::kMovePoint, [](TRChartFrm* w) {
            TDigPoint* p = w->Doc().Curve().Items(2);
            const QPoint c(p->Centre().x, p->Centre().y);
            QTest::mousePress(w->Box(), Qt::LeftButton, {}, c);
            QMouseEvent move(QEvent::MouseMove, QPointF(c + QPoint(3, -12)), w->Box()->mapToGlobal(QPointF(c)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(w->Box(), &move);
            QTest::mouseRelease(w->Box(), Qt::LeftButton, {}, c + QPoint(3, -12));
        });
        row("properties", false, steps::kProperties, [](TRChartFrm* w) {
            TRChartInfo i = w->Doc().Info;
            i.Dh = 0.4;
            i.StCode = "87654321";
            i.FileName = TRChart::MakeFileName(i);
            w->RunStep(steps::kProperties, [&] { w->Doc().SetInfo(i); });
        });
        row("control point", true, steps::kInsertCtrlPoint, [this](TRChartFrm*) {
            // The coordinates typed in the dialog that the click opens.
            std::function<void()> answer = [&answer] {
                auto* dlg = qobject_cast<TCtrlPtCoord*>(QApplication::activeModalWidget());
                if (!dlg) {
                    QTimer::singleShot(5, answer);
                    return;
                }
                dlg->edCoords->setText(QStringLiteral("17 3"));
                dlg->btOk->click();
            };
            QTimer::singleShot(5, answer);
            Click(17.0, 3.0);
        });
        row("control point removed", true, steps::kRemoveCtrlPoint, [](TRChartFrm* w) { w->mnDelPtClick(); });
        row("last control point", true, steps::kUndoLastPoint, [](TRChartFrm* w) { w->mnUndoLastPtClick(); });
        row("conclude scale", true, steps::kConcludeScale, [](TRChartFrm* w) { w->mnFinishScaleClick(); });
        row("cancel scale", true, steps::kCancelScale, [this](TRChartFrm* w) {
            FBoxes.SetNextAnswer(TMsgResult::Yes);
            w->mnCancelScaleClick();
        });
    }

    void everyCommandIsOneStep()
    {
        QFETCH(bool, defining);
        QFETCH(QString, text);
        QFETCH(TCommand, command);
        NewDigitizing(defining);
        TRChart& d = FWin->Doc();
        // A selection is no step: made before, it is part of the state to come back to.
        (defining ? static_cast<TPointList&>(d.Scale()) : d.Curve()).SelectIndex(defining ? 3 : 2);
        const std::string before = d.SaveToBuffer();
        QVERIFY(!FWin->cmdUndo->isEnabled());
        command(FWin);
        QCOMPARE(FWin->History().Count(), 1);
        FWin->UpdateActions();
        QCOMPARE(FWin->cmdUndo->text(), U("&Desfazer ") + text);
        QVERIFY(FWin->cmdUndo->isEnabled());
        const std::string after = d.SaveToBuffer();
        QVERIFY(before != after);
        QVERIFY(d.IsModified());
        FWin->cmdUndo->trigger();
        QVERIFY(d.SaveToBuffer() == before);
        QVERIFY(!d.IsModified());
        QCOMPARE(FWin->cmdRedo->text(), U("&Refazer ") + text);
        FWin->cmdRedo->trigger();
        QVERIFY(d.SaveToBuffer() == after);
        QVERIFY(d.IsModified());
        QCOMPARE(FBoxes.Count(), defining && text == U(steps::kCancelScale) ? 1 : 0);
    }

    void menuKeysAndHistoryWindow()
    {
        NewDigitizing();
        QCOMPARE(FWin->Menus().first()->title(), U("&Editar"));
        QCOMPARE(FWin->cmdUndo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(FWin->cmdRedo->shortcuts(),
                 QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        TRChart& d = FWin->Doc();
        const std::string start = d.SaveToBuffer();
        Click(13.0, 1.0);
        Click(14.0, 2.0);
        FWin->mnAddFailClick();
        const std::string end = d.SaveToBuffer();
        FWin->mnHistoryClick();
        auto* frm = FWin->findChild<THistoryFrm*>();
        QVERIFY(frm);
        QListWidget* list = frm->List();
        QCOMPARE(list->count(), 4);
        QCOMPARE(list->item(3)->text(), U("Sinalizar falha"));
        QCOMPARE(list->currentRow(), 3);
        list->setCurrentRow(0);
        QVERIFY(d.SaveToBuffer() == start);
        QVERIFY(!d.IsModified());
        QCOMPARE(list->currentRow(), 0);
        list->setCurrentRow(3);
        QVERIFY(d.SaveToBuffer() == end);
    }

    void savedStepAndClosePrompt()
    {
        QTemporaryDir dir;
        NewDigitizing();
        TRChart& d = FWin->Doc();
        d.Info.FileName = (dir.path() + "/12345678/12345678-19760508.pvd").toStdString();
        Click(13.0, 1.0);
        QVERIFY(FWin->Save(d.Info.FileName));
        QCOMPARE(d.LastFile, d.Info.FileName);
        QCOMPARE(FWin->History().Count(), 1); // saving keeps the history
        Click(14.0, 1.0);
        FWin->cmdUndoClick();
        QVERIFY(!d.IsModified());
        FWin->cmdUndoClick();
        QVERIFY(d.IsModified());
        FWin->cmdRedoClick();
        QVERIFY(FWin->CloseQuery()); // at the saved step: no prompt
        QCOMPARE(FBoxes.Count(), 0);
        FWin->cmdRedoClick();
        FBoxes.SetNextAnswer(TMsgResult::Cancel);
        QVERIFY(!FWin->CloseQuery());
        QCOMPARE(FBoxes.Count(), 1);
    }

    void movedPointStaysBetweenItsNeighbours()
    {
        NewDigitizing();
        TCurve& c = FWin->Doc().Curve();
        c.SelectIndex(1);
        const double prev = c.Items(0)->Time(), next = c.Items(2)->Time();
        for (int i = 0; i < 200; ++i)
            QTest::keyClick(FWin->Box(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(c.Items(1)->Time(), next - 0.001);
        QCOMPARE(c.Selected(), c.Items(1));
        for (int i = 0; i < 400; ++i)
            QTest::keyClick(FWin->Box(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(c.Items(1)->Time(), prev + 0.001);
        // Each nudge that moved is one step; the accumulation followed.
        QVERIFY(FWin->History().Count() > 10);
        QCOMPARE(c.Items(1)->Accumulated, c.Items(1)->Prec());
    }
};

QTEST_MAIN(TestUndoCommands)
#include "tst_UndoCommands.moc"
