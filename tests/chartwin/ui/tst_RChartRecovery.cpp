// The chart window's recovery copy: written after ten changes and after the
// interval, kept up to date, removed by saving and by closing without saving,
// kept when closing is cancelled, a failed copy told once, and no copies while
// recovery is off.

#include "chartwin/uRChartWnd.h"
#include "ui_support/TestChartHost.h"
#include "common/Utils.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uOptions.h"
#include "shell/uRecovery.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace rs;

namespace {

using THost = test::TChartHostForTest;

std::string Native(const QString& s) { return QFile::encodeName(s).toStdString(); }

} // namespace

class TestRChartRecovery : public QObject
{
    Q_OBJECT

    THost* FHost = nullptr;
    TScriptedTabletDriver FDriver;
    TScriptedMessages FBoxes;
    TManualClock FClock;
    QTemporaryDir FTmp;
    std::string FDir, FFolder;
    TRChartFrm* FWin = nullptr;
    double FNextTime = 7.0;

    void Click(double t, double p)
    {
        auto [x, y] = test::ToTablet(t, p, FWin->Doc().Info.Linear, FWin->Doc().Info.Hour);
        FDriver.Send(0, x, y);
        FDriver.PressButton(0, x, y);
        FDriver.ReleaseButton(0, x, y);
    }
    // One new point of the curve: one change.
    void AddPoint()
    {
        const int before = FWin->Doc().Curve().Count();
        Click(FNextTime, 1.0 + (int(FNextTime * 4) % 5));
        FNextTime += 0.25;
        QCOMPARE(FWin->Doc().Curve().Count(), before + 1);
    }

    std::vector<TRecoveryEntry> Copies() const { return TRecoveryStore(FFolder).List(); }

    // The points of the copy on disk.
    int CopyPoints() const
    {
        const auto list = Copies();
        if (list.size() != 1)
            return -1;
        TRChart c;
        return TRecoveryStore::Read(list[0], c) ? c.Curve().Count() : -1;
    }

    // A saved chart with a concluded scale, digitizing: nothing unsaved yet.
    void OpenSavedChart(int day)
    {
        TRChartInfo info = test::SampleInfo(true);
        info.Date = EncodeDate(2021, 4, day);
        info.FileName = TRChart::MakeFileName(info);
        FWin = NewChartWindow(info);
        FHost->Area->setActiveSubWindow(FWin);
        QApplication::processEvents();
        test::PrepareScale(FWin->Doc());
        FWin->Doc().ConcludeScale();
        FWin->mnDigCurveClick();
        QCOMPARE(FWin->Doc().State(), int(Digitizing));
        QVERIFY(FWin->Save(info.FileName));
        QVERIFY(!FWin->Doc().IsModified());
        QVERIFY(FWin->RecoveryFile().empty());
        FNextTime = 7.0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FTmp.isValid());
        FDir = Native(FTmp.path()) + "/";
        FFolder = FDir + "config/Recovery/";
        SetDataFolder(FDir + "data/");
        FHost = new THost;
        SetChartHost(FHost);
        FHost->Main.resize(1200, 900);
        FHost->Main.show();
        SetMessages(&FBoxes);
        SetClock(&FClock);
        SetTabletDriver(&FDriver);
        QVERIFY(LoadTabletLibrary());
        Options().Buttons = {0, 1, 2, 3};
        SetSwapButton(3);
    }

    void cleanupTestCase()
    {
        SetChartRecoveryFolder("");
        SetChartHost(nullptr);
        delete FHost;
        SetMessages(nullptr);
        SetClock(nullptr);
    }

    void init() { SetChartRecoveryFolder(FFolder); }

    void cleanup()
    {
        delete FWin;
        FWin = nullptr;
        FBoxes.Clear();
        std::error_code ec;
        std::filesystem::remove_all(FFolder.substr(0, FFolder.size() - 1), ec);
        QApplication::processEvents();
    }

    void copyAfterTenChanges()
    {
        OpenSavedChart(1);
        for (int i = 0; i < kRecoveryChanges - 1; ++i)
            AddPoint();
        QVERIFY(Copies().empty());
        AddPoint();
        QCOMPARE(CopyPoints(), 10);
        const auto list = Copies();
        QCOMPARE(list[0].CopyFile, FWin->RecoveryFile());
        QCOMPARE(list[0].FileName, FWin->Doc().Info.FileName);
        QVERIFY(QFileInfo(QString::fromStdString(list[0].CopyFile)).fileName().startsWith("12345678-20210401~"));

        // The next ten changes replace the same copy.
        for (int i = 0; i < kRecoveryChanges - 1; ++i)
            AddPoint();
        QCOMPARE(CopyPoints(), 10);
        FWin->mnUndoLastClick(); // a removal is a change too
        QCOMPARE(CopyPoints(), 18);
        QCOMPARE(Copies().size(), std::size_t(1));
        QCOMPARE(Copies()[0].CopyFile, list[0].CopyFile);

        // Commands that change nothing of the document count for nothing.
        for (int i = 0; i < 2 * kRecoveryChanges; ++i) {
            FWin->UpdateActions();
            FWin->mnRedoClick();
        }
        FWin->RecoveryCheck();
        QCOMPARE(CopyPoints(), 18);
    }

    void copyAfterTheInterval()
    {
        OpenSavedChart(2);
        AddPoint();
        FClock.Advance(kRecoveryInterval - 1000);
        QTest::qWait(1300); // the timer's tick passes
        QVERIFY(Copies().empty());
        FClock.Advance(1000);
        QTRY_COMPARE_WITH_TIMEOUT(CopyPoints(), 1, 3000);

        // Nothing new: the interval alone writes nothing.
        const std::string copy = FWin->RecoveryFile();
        QVERIFY(DeleteFile(copy));
        FClock.Advance(2 * kRecoveryInterval);
        QTest::qWait(1300);
        QVERIFY(!FileExists(copy));
        // The interval counts from the first change the copy lacks.
        AddPoint();
        FClock.Advance(kRecoveryInterval / 2);
        AddPoint();
        FClock.Advance(kRecoveryInterval / 2);
        QTRY_COMPARE_WITH_TIMEOUT(CopyPoints(), 3, 3000);
        QCOMPARE(FWin->RecoveryFile(), copy);
    }

    void saveAndCloseRemoveTheCopy()
    {
        OpenSavedChart(3);
        for (int i = 0; i < kRecoveryChanges; ++i)
            AddPoint();
        QCOMPARE(Copies().size(), std::size_t(1));
        const std::string copy = FWin->RecoveryFile();
        FHost->SaveChart(FWin);
        QVERIFY(!FWin->Doc().IsModified());
        QVERIFY(Copies().empty());
        QVERIFY(!FileExists(copy));
        QVERIFY(!FileExists(TRecoveryStore::NoteFileOf(copy)));
        QVERIFY(FWin->RecoveryFile().empty());

        // After the save the count starts again.
        for (int i = 0; i < kRecoveryChanges - 1; ++i)
            AddPoint();
        QVERIFY(Copies().empty());
        AddPoint();
        QCOMPARE(Copies().size(), std::size_t(1));

        // "Cancelar" keeps the window and its copy; "Não" closes it and the copy goes.
        FBoxes.SetNextAnswer(TMsgResult::Cancel);
        QVERIFY(!FWin->close());
        QCOMPARE(Copies().size(), std::size_t(1));
        QPointer<TRChartFrm> w = FWin;
        FBoxes.SetNextAnswer(TMsgResult::No);
        QVERIFY(FWin->close());
        QTRY_VERIFY(w.isNull());
        FWin = nullptr;
        QVERIFY(Copies().empty());
        QVERIFY(!FileExists(TRChart::MakeFileName(test::SampleInfo(true))));
    }

    void twoWindowsTwoCopies()
    {
        OpenSavedChart(4);
        TRChartFrm* first = FWin;
        for (int i = 0; i < kRecoveryChanges; ++i)
            AddPoint();
        // A second window of a chart never saved.
        FWin = NewChartWindow(test::SampleInfo(true));
        FHost->Area->setActiveSubWindow(FWin);
        QApplication::processEvents();
        test::PrepareScale(FWin->Doc());
        FWin->Doc().ConcludeScale();
        FWin->mnDigCurveClick();
        FNextTime = 7.0;
        for (int i = 0; i < kRecoveryChanges; ++i)
            AddPoint();
        const auto list = Copies();
        QCOMPARE(list.size(), std::size_t(2));
        QVERIFY(first->RecoveryFile() != FWin->RecoveryFile());
        QVERIFY(FindRecoveryOwner(first->RecoveryFile()) == first);
        QVERIFY(FindRecoveryOwner(FWin->RecoveryFile()) == FWin);
        for (const TRecoveryEntry& e : list)
            QCOMPARE(e.FileName, e.CopyFile == first->RecoveryFile() ? first->Doc().Info.FileName : std::string());
        delete first;
        QCOMPARE(Copies().size(), std::size_t(1));
    }

    void failedCopyToldOnce()
    {
        // The folder's place is taken by a file.
        ForceDirectories(ExtractFilePath(FFolder.substr(0, FFolder.size() - 1)));
        std::ofstream(FFolder.substr(0, FFolder.size() - 1)) << "x";
        OpenSavedChart(5);
        for (int i = 0; i < 2 * kRecoveryChanges; ++i)
            AddPoint();
        QCOMPARE(FBoxes.Count(), 0); // never in the middle of a command
        QTRY_COMPARE_WITH_TIMEOUT(FBoxes.Count(), 1, 3000);
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Warning);
        QVERIFY2(FBoxes.LastText().startsWith(QString::fromUtf8(
                     "Não foi possível gravar a cópia de recuperação do pluviograma 12345678-20210405.pvd: ")),
                 qPrintable(FBoxes.LastText()));
        FClock.Advance(kRecoveryInterval);
        AddPoint();
        QTest::qWait(1300);
        QCOMPARE(FBoxes.Count(), 1);
        std::filesystem::remove(FFolder.substr(0, FFolder.size() - 1));
        // Once the folder can be made the next copy goes through.
        for (int i = 0; i < kRecoveryChanges; ++i)
            AddPoint();
        QCOMPARE(CopyPoints(), 31);
    }

    void noCopiesWhileOff()
    {
        SetChartRecoveryFolder("");
        OpenSavedChart(6);
        for (int i = 0; i < 2 * kRecoveryChanges; ++i)
            AddPoint();
        FClock.Advance(2 * kRecoveryInterval);
        QTest::qWait(1300);
        QVERIFY(!DirectoryExists(FFolder));
        QVERIFY(FWin->RecoveryFile().empty());
    }
};

QTEST_MAIN(TestRChartRecovery)
#include "tst_RChartRecovery.moc"
