// The main window's recovery offer at start-up: copies left by a run that
// ended unexpectedly are reopened as modified charts under their own names,
// or discarded after a second confirmation; damaged copies are set aside; a
// chart already open is not opened twice.

#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uRecovery.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uMainSplash.h"
#include "support/TestCharts.h"
#include "tablet/TabletDriver.h"
#include "ui_support/FakeServicesScope.h"

#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace rs;

namespace {

std::string Native(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString U(const char* s) { return QString::fromUtf8(s); }

const char* kOfferTwo = "Foram encontrados 2 pluviogramas não salvos de uma sessão anterior que terminou de forma "
                        "inesperada. Deseja reabri-los?";

} // namespace

class TestMainRecovery : public QObject
{
    Q_OBJECT

    QTemporaryDir FTmp;
    std::string FDir;
    std::unique_ptr<TFakeServicesScope> FFakes;
    std::unique_ptr<TMainFrm> FFrm;

    TRChartInfo Info(int day)
    {
        TRChartInfo i = test::SampleInfo();
        i.Date = EncodeDate(2022, 6, day);
        i.FileName = TRChart::MakeFileName(i);
        return i;
    }

    // A chart with a scale and digitized points, with one point per day number more.
    void MakeChart(TRChart& c, int day)
    {
        test::MakeDigitizedChart(c);
        c.SetInfo(Info(day));
        c.BeginDigitizing();
        for (int i = 0; i < day; ++i)
            test::DigitizeValue(c, 13.0 + i * 0.5, 1.0 + i % 4);
    }

    // The copy a window of that chart would have left behind.
    std::string LeaveCopy(int day)
    {
        TRChart c;
        MakeChart(c, day);
        const TRecoveryStore store(RecoveryFolder());
        const std::string copy = store.NewCopyName(c.Info.FileName);
        store.Write(copy, c);
        return copy;
    }

    static int Points(const std::string& file)
    {
        TRChart c;
        return c.LoadFromFile(file) ? c.Curve().Count() : -1;
    }

    std::vector<TRecoveryEntry> Copies() const { return TRecoveryStore(RecoveryFolder()).List(); }

    void Start()
    {
        FFrm = std::make_unique<TMainFrm>();
        FFrm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FFrm.get()));
        QTest::qWait(20);
        FFakes->Messages.Clear();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FTmp.isValid());
        FDir = Native(FTmp.path()) + "/";
        SetAppFolderForTesting(FDir + "app/");
        ForceDirectories(FDir + "app/");
        SetConfigFolderForTesting(FDir + "config/");
        SetDataFolder(FDir + "data/");
        SelectNoTabletDriver(true);
    }

    void cleanupTestCase()
    {
        SetChartRecoveryFolder("");
        SetConfigFolderForTesting("");
        SetAppFolderForTesting("");
    }

    void init()
    {
        FFakes = std::make_unique<TFakeServicesScope>();
        Start();
    }

    void cleanup()
    {
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        FFrm.reset();
        FFakes.reset();
        SetChartRecoveryFolder("");
        std::error_code ec;
        std::filesystem::remove_all(FDir + "config", ec);
        std::filesystem::remove_all(FDir + "data", ec);
    }

    void nothingToOffer()
    {
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 0);
        QCOMPARE(ChartRecoveryFolder(), RecoveryFolder());
    }

    void notOfferedWhileOnlyConstructed()
    {
        LeaveCopy(1);
        FFrm.reset();
        Start();
        QTest::qWait(50);
        QCOMPARE(FFakes->Messages.Count(), 0);
        QVERIFY(ChartWindows().empty());
        QCOMPARE(Copies().size(), std::size_t(1));
    }

    void offeredOnceTheSplashIsGone()
    {
        LeaveCopy(9);
        const QString offer = U("Foi encontrado 1 pluviograma não salvo de uma sessão anterior que terminou de forma "
                                "inesperada. Deseja reabri-lo?");
        for (bool closeSplash : {true, false}) {
            FFrm.reset();
            FFakes->Clock.SetAutoStep(250); // the main window waits on the splash by the clock
            QPointer<TMainSplash> splash = new TMainSplash;
            FFrm = std::make_unique<TMainFrm>(splash.data());
            FFakes->Clock.SetAutoStep(0);
            FFakes->Messages.Clear();
            FFrm->StartRecovery();
            QCOMPARE(FFakes->Messages.Count(), 0);
            if (closeSplash)
                delete splash.data();
            // Not answered: kept, after the question about discarding.
            QTRY_COMPARE_WITH_TIMEOUT(FFakes->Messages.Count(), 2, closeSplash ? 1000 : 8000);
            QCOMPARE(FFakes->Messages.Shown()[0].Text, offer);
            delete splash.data();
            QTest::qWait(100);
            QCOMPARE(FFakes->Messages.Count(), 2);
            QCOMPARE(Copies().size(), std::size_t(1));
        }
    }

    void reopenedModifiedUnderTheirOwnNames()
    {
        const std::string a = LeaveCopy(2), b = LeaveCopy(3);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.LastText(), U(kOfferTwo));
        QCOMPARE(FFakes->Messages.Shown().back().Type, TMsgType::Confirmation);
        QCOMPARE(FFakes->Messages.Shown().back().Buttons, TMsgButtons::YesNo);
        QCOMPARE(int(ChartWindows().size()), 2);
        for (TRChartFrm* w : ChartWindows()) {
            const int day = w->RecoveryFile() == a ? 2 : 3;
            QCOMPARE(w->RecoveryFile(), day == 2 ? a : b);
            QCOMPARE(w->Doc().Info.FileName, Info(day).FileName);
            QCOMPARE(w->windowTitle(), QString::fromStdString(ExtractFileName(Info(day).FileName)));
            QVERIFY(w->Doc().IsModified());
            QVERIFY(w->Doc().Scale().Concluded);
            QCOMPARE(w->Doc().Curve().Count(), 4 + day);
            QVERIFY(!FileExists(w->Doc().Info.FileName)); // never saved before the crash
        }
        // The copies stay until the charts are saved; asking again offers nothing.
        QCOMPARE(Copies().size(), std::size_t(2));
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(int(ChartWindows().size()), 2);

        // Saving goes to the chart's own name, and its copy goes.
        const std::vector<TRChartFrm*> windows = ChartWindows();
        for (TRChartFrm* w : windows)
            FFrm->SaveChart(w); // what "&Salvar" does for the active one
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(Points(Info(2).FileName), 6);
        QCOMPARE(Points(Info(3).FileName), 7);
        QVERIFY(Copies().empty());
        for (TRChartFrm* w : ChartWindows())
            QVERIFY(!w->Doc().IsModified());
    }

    void copyOfAWindowComesBack()
    {
        // A window's own copy, as a crash leaves it: taken before the window goes.
        FFrm->StartRecovery();
        TRChartFrm* w = NewChartWindow(Info(4));
        test::PrepareScale(w->Doc());
        w->Doc().ConcludeScale();
        w->mnDigCurveClick();
        for (int i = 0; i < 2 * kRecoveryChanges && w->RecoveryFile().empty(); ++i) {
            test::DigitizeValue(w->Doc(), 8.0 + i * 0.5, 2.0);
            w->UpdateActions();
        }
        QVERIFY(!w->RecoveryFile().empty());
        const std::string copy = w->RecoveryFile();
        const int points = w->Doc().Curve().Count();
        std::filesystem::copy(RecoveryFolder(), FDir + "crash", std::filesystem::copy_options::recursive);
        delete w;
        QVERIFY(Copies().empty());
        std::filesystem::copy(FDir + "crash", RecoveryFolder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);

        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.LastText(),
                 U("Foi encontrado 1 pluviograma não salvo de uma sessão anterior que terminou de forma inesperada. "
                   "Deseja reabri-lo?"));
        QCOMPARE(int(ChartWindows().size()), 1);
        TRChartFrm* back = ChartWindows().back();
        QCOMPARE(back->RecoveryFile(), copy);
        QCOMPARE(back->Doc().Curve().Count(), points);
        QCOMPARE(back->Doc().State(), int(Digitizing));
        QCOMPARE(back->Doc().Info.FileName, Info(4).FileName);
        QVERIFY(back->Doc().IsModified());
        // Closing it without saving gives it up.
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        QVERIFY(back->close());
        QTRY_VERIFY(ChartWindows().empty());
        QVERIFY(Copies().empty());
        std::error_code ec;
        std::filesystem::remove_all(FDir + "crash", ec);
    }

    void declinedKeepsOrDiscards()
    {
        LeaveCopy(5);
        LeaveCopy(6);
        // "Não", then "Não" to discarding: kept for the next start.
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QCOMPARE(FFakes->Messages.Shown()[1].Text,
                 U("Os 2 pluviogramas não salvos serão descartados e suas alterações serão perdidas. Deseja "
                   "descartá-los mesmo assim? Respondendo Não, eles serão oferecidos novamente na próxima vez que o "
                   "programa for iniciado."));
        QCOMPARE(FFakes->Messages.Shown()[1].Buttons, TMsgButtons::YesNo);
        QVERIFY(ChartWindows().empty());
        QCOMPARE(Copies().size(), std::size_t(2));

        // A box closed without an answer keeps them too.
        FFakes->Messages.Clear();
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QCOMPARE(Copies().size(), std::size_t(2));

        FFakes->Messages.Clear();
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QVERIFY(ChartWindows().empty());
        QVERIFY(Copies().empty());
        QVERIFY(!FileExists(Info(5).FileName));
    }

    void damagedCopiesSetAside()
    {
        const std::string good = LeaveCopy(7);
        ForceDirectories(RecoveryFolder());
        const std::string bad = RecoveryFolder() + "12345678-20220608~1-1-00000001.pvd";
        std::ofstream(bad, std::ios::binary) << "RS broken";
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QCOMPARE(FFakes->Messages.Shown()[0].Text, U(kOfferTwo));
        const std::string aside = RecoveryFolder() + "Danificados/" + ExtractFileName(bad);
        QCOMPARE(FFakes->Messages.Shown()[1].Type, TMsgType::Warning);
        QCOMPARE(FFakes->Messages.Shown()[1].Text,
                 U("A cópia de recuperação \"%1\" está danificada e não pôde ser lida. Ela foi movida para \"%2\".")
                     .arg(QString::fromStdString(bad), QString::fromStdString(aside)));
        QVERIFY(FileExists(aside));
        QVERIFY(!FileExists(bad));
        QCOMPARE(int(ChartWindows().size()), 1);
        QCOMPARE(ChartWindows().back()->RecoveryFile(), good);

        // Discarding never deletes a copy that cannot be read.
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        LeaveCopy(8);
        std::ofstream(bad, std::ios::binary) << "RS broken again";
        FFakes->Messages.Clear();
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 3);
        QCOMPARE(FFakes->Messages.Shown()[2].Type, TMsgType::Warning);
        QVERIFY(Copies().empty());
        QVERIFY(FileExists(aside));
        QVERIFY(FileExists(RecoveryFolder() + "Danificados/2-" + ExtractFileName(bad)));
    }

    void chartAlreadyOpenIsNotOpenedTwice()
    {
        // The saved chart is open, unchanged: the copy's newer work replaces it.
        TRChart saved;
        MakeChart(saved, 1);
        saved.SaveToFile(saved.Info.FileName);
        const std::string copy = LeaveCopy(1); // same chart, its unsaved state
        QVERIFY(OpenChartFile(saved.Info.FileName));
        QCOMPARE(int(ChartWindows().size()), 1);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(int(ChartWindows().size()), 1);
        TRChartFrm* w = ChartWindows().back();
        QCOMPARE(w->RecoveryFile(), copy);
        QVERIFY(w->Doc().IsModified());

        // Open with changes of its own: the copy is kept, not opened beside it.
        const std::string other = LeaveCopy(1);
        FFakes->Messages.Clear();
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        FFrm->StartRecovery();
        QCOMPARE(FFakes->Messages.Count(), 2);
        QCOMPARE(FFakes->Messages.Shown()[1].Type, TMsgType::Warning);
        QCOMPARE(FFakes->Messages.Shown()[1].Text,
                 U("O pluviograma %1 já está aberto com alterações. A cópia de recuperação \"%2\" não foi reaberta e "
                   "foi mantida.")
                     .arg(QString::fromStdString(saved.Info.FileName), QString::fromStdString(other)));
        QCOMPARE(int(ChartWindows().size()), 1);
        QVERIFY(FileExists(other));
    }
};

QTEST_MAIN(TestMainRecovery)
#include "tst_MainRecovery.moc"
