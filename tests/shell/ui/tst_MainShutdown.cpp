// The main window inside the program's own application object and its event
// loop: "Sai&r" with every tool window and the virtual tablet open ends the
// loop and runs the whole shutdown (settings file, "PontosDef.txt"); an
// exception escaping a handler of the main window is shown in an "Erro" box
// and the open charts stay.

#include "chartwin/uRChartWnd.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/ui/RainScribeApp.h"
#include "scale/uCoordsList.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uScaleDlg.h"
#include "scale/ui/uScaleStat.h"
#include "scale/ui/uScaleTools.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "support/TestCharts.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tablet/ui/VirtualTablet.h"
#include "tools/ui/uExplorer.h"
#include "ui_support/FakeServicesScope.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace rs;

class TestMainShutdown : public QObject
{
    Q_OBJECT

    QTemporaryDir FTmp;
    std::string FDir;
    std::unique_ptr<TFakeServicesScope> FFakes;

    std::unique_ptr<TMainFrm> MakeMain()
    {
        auto m = std::make_unique<TMainFrm>();
        m->EditProperties = [](TRChartInfo& info) {
            info = test::SampleInfo();
            info.FileName = TRChart::MakeFileName(info);
            return true;
        };
        m->CreateForms();
        m->show();
        return m;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FTmp.isValid());
        FDir = QFile::encodeName(FTmp.path()).toStdString() + "/";
        SetAppFolderForTesting(FDir + "app/");
        ForceDirectories(FDir + "app/");
        SetConfigFolderForTesting(FDir + "config/");
        SetDataFolder(FDir + "data/");
        FFakes = std::make_unique<TFakeServicesScope>();
        FFakes->Messages.SetDefaultAnswer(TMsgResult::No);
        SelectNoTabletDriver(false); // the virtual tablet is the tablet
    }

    void cleanupTestCase()
    {
        ReleaseTabletLibrary();
        FFakes.reset();
    }

    void quitWithEveryToolWindowOpen()
    {
        auto frm = MakeMain();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 1);
        auto* vt = frm->findChild<TVirtualTablet*>();
        QVERIFY(vt);
        if (!vt->IsOpen())
            vt->ToggleAction()->trigger();
        // The scale prompt shown earlier and gone again; the statistics, the
        // results and the folder summaries still up.
        MsgPt()->show();
        QApplication::processEvents();
        MsgPt()->hide();
        ScaleStatFrm()->show();
        ResultFrm()->show();
        frm->Windows.Explorer();
        TCoordSet set;
        set.Name = "Nova";
        for (double t : {7.0, 13.0, 19.0, 25.0})
            set.Points.push_back({t, t - 7, kCoordComplete});
        ProgramCoordsList().Append(set);
        ProgramCoordsList().SetModified(true); // as "&Novo..." of the scale dialog leaves it
        DeleteFile(IniFileName());
        DeleteFile(PointSetsFileName());

        // "Sai&r" inside the event loop, as the operator quits; the loop must end by itself.
        bool timedOut = false;
        QTimer::singleShot(50, frm.get(), [&] { frm->FileExit->trigger(); });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        guard.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!timedOut);
        QVERIFY(!frm->isVisible());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->windowTitle()));
        frm.reset();
        QVERIFY(FileExists(IniFileName()));
        QVERIFY(FileExists(PointSetsFileName()));
        QVERIFY(!ProgramCoordsList().Modified());
    }

    void exceptionInAHandlerKeepsTheCharts()
    {
        auto* app = qobject_cast<TRainScribeApp*>(QCoreApplication::instance());
        QVERIFY(app);
        auto frm = MakeMain();
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 1);
        FFakes->Messages.Clear();
        frm->EditProperties = [](TRChartInfo&) -> bool { throw std::runtime_error("Falha na leitura da estação"); };
        const int before = app->CaughtErrors();
        // Delivered as an event, as a menu choice or a shortcut is.
        QMetaObject::invokeMethod(frm.get(), [&frm] { frm->FileProp->trigger(); }, Qt::QueuedConnection);
        QTRY_COMPARE(app->CaughtErrors(), before + 1);
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.Shown().front().Type, TMsgType::Error);
        QCOMPARE(FFakes->Messages.LastText(), QStringLiteral("Falha na leitura da estação"));
        QCOMPARE(int(ChartWindows().size()), 1);
        QVERIFY(frm->isVisible());
        // The program goes on: the next command works.
        frm->EditProperties = [](TRChartInfo& info) {
            info = test::SampleInfo();
            info.Date += 1;
            info.FileName = TRChart::MakeFileName(info);
            return true;
        };
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 2);
        FFakes->Messages.SetDefaultAnswer(TMsgResult::No);
        frm->close();
        frm.reset();
    }
};

// The tests run inside the program's own application object, as the program does.
int main(int argc, char** argv)
{
    TRainScribeApp app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestMainShutdown tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_MainShutdown.moc"
