// The folder summaries window over a real folder tree: rows, gaps, counts,
// recent folders, copy texts, selection panels, opening and its settings.

#include "common/Utils.h"
#include "common/uIniFile.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "document/uScanLink.h"
#include "shell/uOptions.h"
#include "support/TestCharts.h"
#include "tools/uDryDays.h"
#include "tools/ui/uExplorer.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace rs;

namespace {
QString U(const char* s) { return QString::fromUtf8(s); }

TRChartInfo Station(const char* code, const char* name)
{
    TRChartInfo i;
    i.StCode = code;
    i.StName = name;
    return i;
}

void Write(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
} // namespace

class TstExplorer : public QObject
{
    Q_OBJECT
    QTemporaryDir FTmp;
    std::string FRoot, FIni;
    TScriptedMessages FBoxes;
    TRecordingClipboard FClip;
    TScriptedFolderDialog FFolders;

    std::string Root() const { return FRoot; }

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        SetClipboard(&FClip);
        SetFolderDialog(&FFolders);
        FRoot = FTmp.path().toStdString() + "/data/";
        FIni = FTmp.path().toStdString() + "/rs.ini";
        SetDataFolder(FRoot);
        // Station A: dry days on 1, 2 and 5 March, a missing chart on 9 March.
        TDoubleArray dates;
        for (int d : {1, 2, 5})
            dates.Add(EncodeDate(2020, 3, d));
        TRChartInfo a = Station("11111111", "Alfa");
        a.Kind = 1;
        QCOMPARE(CreateDryDayFiles(a, dates, {}).Written, 3);
        TDoubleArray nine;
        nine.Add(EncodeDate(2020, 3, 9));
        a.Kind = 2;
        QCOMPARE(CreateDryDayFiles(a, nine, {}).Written, 1);
        // Station B: one digitized chart.
        TRChart c;
        test::MakeDigitizedChart(c);
        c.Info.StCode = "22222222";
        c.Info.StName = "Beta";
        c.Info.Date = EncodeDate(2020, 3, 3);
        ForceDirectories(FRoot + "22222222/");
        c.SaveToFile(FRoot + "22222222/" + "digit.pvd");
        // Files that are not listed: foreign, truncated, hidden, unreadable, other extension.
        Write(FRoot + "junk.pvd", "not a pluviogram");
        const std::string whole = Read(FRoot + "22222222/digit.pvd");
        Write(FRoot + "sub/deep/truncated.pvd", whole.substr(0, 20));
        Write(FRoot + "sub/.hidden.pvd", whole);
        Write(FRoot + "sub/notes.txt", whole);
        Write(FRoot + "locked.pvd", whole);
        std::filesystem::permissions(FRoot + "locked.pvd", std::filesystem::perms::none);
    }

    void cleanupTestCase()
    {
        std::filesystem::permissions(FRoot + "locked.pvd", std::filesystem::perms::owner_all);
        SetMessages(nullptr);
        SetClipboard(nullptr);
        SetFolderDialog(nullptr);
    }

    void scanListsReadableFilesWithGaps()
    {
        auto* w = new TExplorer(FIni, {});
        QCOMPARE(w->lbFileCnt->text(), QString());
        QCOMPARE(w->windowTitle(), U("Resumos dos arquivos de dados"));
        w->cbFolder->setEditText(QString::fromStdString(Root()));
        QTest::keyClick(w->cbFolder, Qt::Key_Return);
        const bool root = ::geteuid() == 0; // root reads the locked file too
        const int expected = root ? 6 : 5;
        QCOMPARE(int(w->Rows().size()), expected);
        QCOMPARE(w->ListView->model()->rowCount(), expected);
        QCOMPARE(w->lbFileCnt->text(), U("Núm. de arquivos: %1").arg(expected));
        QCOMPARE(w->RecentFolders(), QStringList{QString::fromStdString(Root())});
        // Station A first, in date order; the gap before 5 March is two days.
        auto cell = [w](int r, int c) { return w->ListView->model()->index(r, c).data().toString(); };
        QCOMPARE(cell(0, 2), QStringLiteral("-"));
        QCOMPARE(cell(0, 3), QString());
        QCOMPARE(cell(1, 3), QString());
        QCOMPARE(cell(2, 3), QStringLiteral("2 dias"));
        QCOMPARE(cell(3, 2), QStringLiteral("?"));
        QCOMPARE(cell(3, 3), QStringLiteral("3 dias"));
        QCOMPARE(cell(0, 4), QStringLiteral("Alfa - 11111111"));
        QCOMPARE(cell(4, 4), QStringLiteral("Beta - 22222222"));
        QCOMPARE(cell(4, 3), QString());
        QCOMPARE(w->ListView->model()->headerData(4, Qt::Horizontal).toString(), U("Estação"));

        // Copy: every row, then the selected ones only.
        w->mnCopyList->trigger();
        const QStringList lines = FClip.Text().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), expected + 2); // captions, rows, the empty rest after the last CR LF
        QCOMPARE(lines[0], U("Arquivo\tData\tPrecip.\tFalhas\tEstação\tAlterado"));
        QVERIFY(lines[3].contains(QStringLiteral("\t2 dias\tAlfa - 11111111\t")));
        w->ListView->selectionModel()->select(w->ListView->model()->index(4, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        w->mnCopySelList->trigger();
        QCOMPARE(FClip.Text().count(QStringLiteral("\r\n")), 2);
        QVERIFY(FClip.Text().contains(QStringLiteral("\tBeta - 22222222\t")));

        // The digitized chart's panels; then a dry day's and a missing chart's.
        QVERIFY(w->Preview());
        QVERIFY(w->PanelText(0).startsWith(QStringLiteral("Pontos Dig. : ")));
        QCOMPARE(w->PanelText(1), U("Pluviograma: 13.0 mm"));
        QVERIFY(w->PanelText(2).startsWith(U("Pluviômetro: ")));
        w->ListView->selectionModel()->select(w->ListView->model()->index(0, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(w->PanelText(1), U("Dia sem chuva"));
        QCOMPARE(w->PanelText(2), QString());
        w->ListView->selectionModel()->select(w->ListView->model()->index(3, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(w->PanelText(1), U("Dia sem pluviograma"));
        // Two rows: the panels are emptied.
        w->ListView->selectionModel()->select(w->ListView->model()->index(1, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(w->PanelText(0), QString());
        w->show();
        QVERIFY(!w->Box->grab().isNull());

        // The context menu enables copying and opening only with rows.
        emit w->Menu->aboutToShow();
        QVERIFY(w->mnCopyList->isEnabled() && w->mnOpen->isEnabled());
        delete w;
    }

    void emptyFolderLeavesRecentFolders()
    {
        QTemporaryDir empty;
        TExplorer w(FIni, {});
        const QStringList before = w.RecentFolders();
        FFolders.SetNextFolder(empty.path());
        w.btOpen->click();
        QCOMPARE(w.cbFolder->currentText(), empty.path());
        QCOMPARE(w.lbFileCnt->text(), U("Nenhum arquivo encontrado"));
        QCOMPARE(w.RecentFolders(), before);
        emit w.Menu->aboutToShow();
        QVERIFY(!w.mnCopyList->isEnabled() && !w.mnOpen->isEnabled());
    }

    void recentFoldersMoveToTopAndKeepTen()
    {
        QTemporaryDir base;
        TRChartInfo info = Station("33333333", "Gama");
        info.Kind = 1;
        QStringList folders;
        for (int i = 0; i < 11; ++i) {
            const std::string f = base.path().toStdString() + "/f" + std::to_string(i) + "/";
            SetDataFolder(f);
            TDoubleArray d;
            d.Add(EncodeDate(2021, 1, 1 + i));
            QCOMPARE(CreateDryDayFiles(info, d, {}).Written, 1);
            folders << QString::fromStdString(f);
        }
        SetDataFolder(FRoot);
        {
            TExplorer w(FIni, {});
            for (const QString& f : folders)
                w.ScanFolder(f);
            QCOMPARE(w.RecentFolders().size(), 10);
            QCOMPARE(w.RecentFolders().front(), folders[10]);
            QVERIFY(!w.RecentFolders().contains(QString::fromStdString(Root())));
            w.ScanFolder(folders[5]);
            QCOMPARE(w.RecentFolders().front(), folders[5]);
            QCOMPARE(w.RecentFolders().size(), 10);
            QCOMPARE(w.RecentFolders().count(folders[5]), 1);
        }
        // Stored in order; a folder that disappeared is dropped on the next start.
        TIniFile ini(FIni);
        QCOMPARE(QString::fromStdString(ini.ReadString(ini::kSecExploredFolders, "1", "")), folders[5]);
        std::filesystem::remove_all(folders[10].toStdString());
        TExplorer again(FIni, {});
        QCOMPARE(again.RecentFolders().size(), 9);
        QVERIFY(!again.RecentFolders().contains(folders[10]));
    }

    void openingStopsAtSix()
    {
        QTemporaryDir base;
        SetDataFolder(base.path().toStdString() + "/");
        TRChartInfo info = Station("44444444", "Delta");
        info.Kind = 1;
        TDoubleArray d;
        for (int i = 1; i <= 9; ++i)
            d.Add(EncodeDate(2022, 5, i));
        QCOMPARE(CreateDryDayFiles(info, d, {}).Written, 9);
        SetDataFolder(FRoot);
        std::vector<std::string> opened, shown;
        std::string alreadyOpen;
        TExplorer::THooks hooks;
        hooks.ShowOpen = [&](const std::string& f) {
            if (f != alreadyOpen)
                return false;
            shown.push_back(f);
            return true;
        };
        hooks.Open = [&](const std::string& f) {
            opened.push_back(f);
            return true;
        };
        TExplorer w(FIni, hooks);
        w.ScanFolder(base.path());
        QCOMPARE(int(w.Rows().size()), 9);
        alreadyOpen = w.Rows()[1].Info.FileName;
        w.ListView->selectAll();
        // No: nothing opens.
        FBoxes.Clear();
        FBoxes.SetNextAnswer(TMsgResult::No);
        w.mnOpen->trigger();
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.LastText(), U("Somente os seis primeiros arquivos selecionados serão abertos. Deseja continuar?"));
        QCOMPARE(FBoxes.Shown().back().Type, TMsgType::Warning);
        QVERIFY(opened.empty());
        // Yes: six files open in list order; the one already open is only shown and not counted.
        FBoxes.SetNextAnswer(TMsgResult::Yes);
        w.mnOpen->trigger();
        QCOMPARE(int(opened.size()), 6);
        QCOMPARE(shown, std::vector<std::string>{alreadyOpen});
        QCOMPARE(opened.front(), w.Rows()[0].Info.FileName);
        QCOMPARE(opened.back(), w.Rows()[6].Info.FileName);
        // Two rows: no question.
        FBoxes.Clear();
        opened.clear();
        w.ListView->clearSelection();
        for (int r : {7, 8})
            w.ListView->selectionModel()->select(w.ListView->model()->index(r, 0),
                                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        w.mnOpen->trigger();
        QCOMPARE(FBoxes.Count(), 0);
        QCOMPARE(int(opened.size()), 2);
    }

    void settingsAreKept()
    {
        {
            TIniFile ini(FIni);
            ini.WriteString(ini::kSecExplorer, ini::kKeyBounds, "30 40 700 500");
            ini.WriteInteger(ini::kSecExplorer, ini::kKeyLowerHeight, 150);
            ini.WriteBool(ini::kSecExplorer, ini::kKeyStayOnTop, true);
        }
        {
            TExplorer w(FIni, {});
            QCOMPARE(w.geometry(), QRect(30, 40, 700, 500));
            QVERIFY(w.mnStayOnTop->isChecked());
            QVERIFY(w.windowFlags() & Qt::WindowStaysOnTopHint);
            QCOMPARE(w.LowerHeight(), 150);
            w.mnStayOnTop->trigger();
            QVERIFY(!(w.windowFlags() & Qt::WindowStaysOnTopHint));
            w.setGeometry(50, 60, 640, 480);
        }
        TIniFile ini(FIni);
        QCOMPARE(ini.ReadString(ini::kSecExplorer, ini::kKeyBounds, ""), std::string("50 60 640 480"));
        QCOMPARE(ini.ReadBool(ini::kSecExplorer, ini::kKeyStayOnTop, true), false);
        // Bounds that are not four integers are ignored.
        ini.WriteString(ini::kSecExplorer, ini::kKeyBounds, "1 2 3");
        TExplorer w(FIni, {});
        QCOMPARE(w.size(), QSize(TExplorer::kDesignWidth, TExplorer::kDesignHeight));
    }

    // Closing hides the window before its settings are written: the height set by the user is kept.
    void lowerHeightSurvivesClosing()
    {
        TIniFile(FIni).WriteInteger(ini::kSecExplorer, ini::kKeyLowerHeight, 150);
        QPointer<TExplorer> w = new TExplorer(FIni, {});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* splitter = w->findChild<QSplitter*>();
        const QList<int> sizes = splitter->sizes();
        splitter->setSizes({sizes[0] + sizes[1] - 210, 210});
        QCOMPARE(w->LowerHeight(), 210);
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!w);
        QCOMPARE(TIniFile(FIni).ReadInteger(ini::kSecExplorer, ini::kKeyLowerHeight, 0), 210);
    }

    void escStopsALongScan()
    {
        QTemporaryDir base;
        SetDataFolder(base.path().toStdString() + "/");
        TRChartInfo info = Station("55555555", "Epsilon");
        info.Kind = 1;
        TDoubleArray d;
        for (int i = 0; i < 450; ++i)
            d.Add(EncodeDate(2000, 1, 1) + i);
        QCOMPARE(CreateDryDayFiles(info, d, {}).Written, 450);
        SetDataFolder(FRoot);
        TExplorer w(FIni, {});
        w.show();
        int calls = 0;
        w.OnScanProgress = [&](int read) {
            ++calls;
            QVERIFY(w.lbFileCnt->text().contains(QString::number(read)));
            QTest::keyClick(w.ListView, Qt::Key_Escape);
        };
        w.ScanFolder(base.path());
        QCOMPARE(calls, 1);
        QVERIFY(!w.Scanning());
        QCOMPARE(int(w.Rows().size()), 200);
        QCOMPARE(w.lbFileCnt->text(), U("Núm. de arquivos: 200"));
        w.OnScanProgress = {};
        w.ScanFolder(base.path());
        QCOMPARE(int(w.Rows().size()), 450);
    }

    // A chart with a failure mark: the column and the panel give the day's sum, "±" and all.
    void precipShowsTheDaySumAfterAFailure()
    {
        QTemporaryDir base;
        TRChart c;
        test::MakeDigitizedChart(c); // 13 mm with an overflow
        c.Curve().Last()->SetMark(2);
        c.Curve().AddPoint(14, 1, true);
        c.Curve().AddPoint(20, 3, true);
        c.Curve().Recalc();
        c.SaveToFile(base.path().toStdString() + "/f.pvd");
        TExplorer w(base.path().toStdString() + "/rs.ini", {});
        w.ScanFolder(base.path());
        QCOMPARE(int(w.Rows().size()), 1);
        const QString sum = U("±") + QString::fromStdString(FormatNum("%.1f", 16.0));
        QCOMPARE(w.ListView->model()->index(0, 2).data().toString(), sum); // not the 3.0 of the last stretch
        w.ListView->selectionModel()->select(w.ListView->model()->index(0, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(w.PanelText(1), U("Pluviograma: ") + sum + U(" mm"));
    }

    // With RS_SHOT_DIR set: the window over a few hundred files of several stations, as a picture.
    void tracedChartsShowConfidenceAndReviewListComesLowestFirst()
    {
        QTemporaryDir base;
        const std::string root = base.path().toStdString() + "/";
        // Four charts of a station: three traced (confidence 0.8, 0.4 and 0.9 reviewed), one by hand.
        const double conf[] = {0.8, 0.4, 0.9, -1};
        std::vector<std::string> files;
        for (int i = 0; i < 4; ++i) {
            TRChart c;
            test::MakeDigitizedChart(c);
            c.Info.StCode = "33333333";
            c.Info.Date = EncodeDate(2021, 5, i + 1);
            const std::string file = root + Format("33333333/c%d.pvd", i);
            ForceDirectories(ExtractFilePath(file));
            c.SaveToFile(file);
            files.push_back(file);
            if (conf[i] < 0)
                continue;
            TScanLink link;
            link.Scan = root + "scan.png";
            link.Traced = true;
            link.Confidence = conf[i];
            link.Reviewed = i == 2;
            link.Unsure.push_back({10.5, 11.25, "duas linhas candidatas"});
            QVERIFY(WriteScanLink(file, link));
        }
        std::vector<std::string> opened;
        TExplorer w(FIni, {[](const std::string&) { return false; },
                           [&opened](const std::string& f) { opened.push_back(f); return true; }});
        w.ScanFolder(base.path());
        QCOMPARE(int(w.Rows().size()), 4);
        QAbstractItemModel* m = w.ListView->model();
        QCOMPARE(m->columnCount(), 8);
        QCOMPARE(m->headerData(6, Qt::Horizontal).toString(), U("Confiança"));
        QCOMPARE(m->headerData(7, Qt::Horizontal).toString(), U("Revisado"));
        QCOMPARE(m->data(m->index(0, 7)).toString(), U("não"));
        QCOMPARE(m->data(m->index(2, 7)).toString(), U("sim"));
        QVERIFY(m->data(m->index(1, 6)).toString().startsWith(QStringLiteral("0")));
        QCOMPARE(m->data(m->index(3, 6)).toString(), QString());
        QVERIFY(m->data(m->index(1, 6), Qt::ToolTipRole).toString().contains(U("10:30-11:15 duas linhas candidatas")));

        w.SetReviewList(true);
        QVERIFY(w.mnReview->isChecked());
        QCOMPARE(int(w.Rows().size()), 2);
        QCOMPARE(w.Rows()[0].Info.FileName, files[1]);
        QCOMPARE(w.Rows()[1].Info.FileName, files[0]);
        QCOMPARE(w.lbFileCnt->text(), U("A revisar: 2 de 4"));
        // A double click opens the chart as before.
        w.ListView->selectionModel()->select(m->index(0, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        emit w.ListView->doubleClicked(m->index(0, 0));
        QCOMPARE(int(opened.size()), 1);
        QCOMPARE(opened[0], files[1]);

        // The first chart saved again by an operator leaves the list, though its link does not say so.
        {
            TRChart c;
            QVERIFY(c.LoadFromFile(files[0]));
            c.Info.Notes = "revisto";
            c.SaveToFile(files[0]);
        }
        w.ScanFolder(base.path());
        QCOMPARE(int(w.Rows().size()), 1);
        w.SetReviewList(false);
        QCOMPARE(int(w.Rows().size()), 4);
    }

    void picture()
    {
        const QString out = qEnvironmentVariable("RS_SHOT_DIR");
        if (out.isEmpty())
            QSKIP("RS_SHOT_DIR not set");
        QTemporaryDir base;
        SetDataFolder(base.path().toStdString() + "/");
        const char* names[] = {"Sorocaba", "Santos", "S\xE3o Paulo", "Campinas"};
        for (int s = 0; s < 4; ++s) {
            TRChartInfo info = Station(("0" + std::to_string(1000000 + s * 1111)).c_str(), names[s]);
            TDoubleArray d;
            for (int i = 0; i < 90; ++i)
                if ((i * 7 + s) % 11 != 0)
                    d.Add(EncodeDate(2019, 1, 1) + i);
            info.Kind = s == 3 ? 2 : 1;
            CreateDryDayFiles(info, d, {});
        }
        TRChart c;
        test::MakeDigitizedChart(c);
        ForceDirectories(ExtractFilePath(TRChart::MakeFileName(c.Info)));
        c.SaveToFile(TRChart::MakeFileName(c.Info));
        SetDataFolder(FRoot);
        TExplorer w(FIni, {});
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ScanFolder(base.path());
        int digit = 0;
        for (std::size_t i = 0; i < w.Rows().size(); ++i)
            if (w.Rows()[i].Info.Kind == 0)
                digit = int(i);
        w.ListView->selectionModel()->select(w.ListView->model()->index(digit, 0),
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        w.ListView->scrollTo(w.ListView->model()->index(digit, 0));
        QTest::qWait(50);
        QVERIFY(w.grab().save(out + QStringLiteral("/explorer.png")));
    }
};

QTEST_MAIN(TstExplorer)
#include "tst_Explorer.moc"
