// The main window when the disk lets it down while charts are open: the data
// folder vanishes or turns read-only, a chart's file is replaced by a truncated
// copy, the settings and point-set files cannot be written at shutdown. The
// operator is told, the windows stay open and modified, nothing on disk is
// lost or left half written.

#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/uAtomicFile.h"
#include "document/uRChart.h"
#include "scale/uCoordsList.h"
#include "scale/ui/uScaleDlg.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "support/TestCharts.h"
#include "tablet/TabletDriver.h"
#include "ui_support/FakeServicesScope.h"

#include <QAction>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace rs;
namespace fs = std::filesystem;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }

// Temporary files left anywhere under root.
int TempFiles(const std::string& root)
{
    int n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
        n += it->path().extension() == ".tmp";
    return n;
}

} // namespace

class TestDiskFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    std::string dir, data;
    std::unique_ptr<TFakeServicesScope> fakes;
    std::unique_ptr<TMainFrm> frm;

    TRChartInfo Info(int day)
    {
        TRChartInfo i = test::SampleInfo();
        i.Date = EncodeDate(2022, 5, day);
        i.FileName = TRChart::MakeFileName(i);
        return i;
    }

    // A digitized chart on disk, opened in its window and then edited.
    TRChartFrm* OpenEdited(int day)
    {
        TRChart c;
        test::MakeDigitizedChart(c);
        TRChartInfo i = Info(day);
        c.SetInfo(i);
        c.SaveToFile(i.FileName);
        frm->OpenFiles({Q(i.FileName)});
        TRChartFrm* w = FindChartWindow(i.FileName);
        if (!w)
            return nullptr;
        TRChartInfo edited = w->Doc().Info;
        edited.Notes = "corrigido";
        w->Doc().SetInfo(edited);
        return w;
    }

    bool Activate(TRChartFrm* w)
    {
        frm->ChartArea()->setActiveSubWindow(w);
        return QTest::qWaitFor([&] { return ActiveChartWindow() == w; }, 2000);
    }

    QString LastText() const { return fakes->Messages.LastText(); }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        dir = tmp.path().toStdString() + "/";
        data = dir + "data/";
        SetAppFolderForTesting(dir + "app/");
        ForceDirectories(dir + "app/");
        SetConfigFolderForTesting(dir + "config/");
        SelectNoTabletDriver(true);
    }

    void init()
    {
        fakes = std::make_unique<TFakeServicesScope>();
        ForceDirectories(data);
        SetDataFolder(data);
        frm = std::make_unique<TMainFrm>();
        frm->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        QTest::qWait(20);
        fakes->Messages.Clear();
    }

    void cleanup()
    {
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        frm.reset();
        fakes.reset();
        std::error_code ec;
        fs::remove_all(data, ec);
        fs::remove(fs::path(data).parent_path(), ec); // a plain file put in its place
    }

    void dataFolderTurnsReadOnly()
    {
        TRChartFrm* a = OpenEdited(2);
        TRChartFrm* b = OpenEdited(3);
        QVERIFY(a && b);
        const std::string fileA = a->Doc().Info.FileName;
        const std::string before = ReadAll(fileA);
        const QString title = a->windowTitle();
        QVERIFY(Activate(a));
        {
            // Root ignores permissions, so the disk itself refuses: a read-only medium.
            TWriteFaultScope readOnly({TWriteStep::Open, 0, EROFS, data});
            frm->FileSave->trigger();
            QCOMPARE(fakes->Messages.Shown().back().Type, TMsgType::Error);
            QCOMPARE(LastText(), U("Não foi possível criar o arquivo \"%1\": o disco está protegido contra "
                                   "gravação. O arquivo anterior foi preservado.")
                                     .arg(Q(fileA)));
            QVERIFY(a->Doc().IsModified());
            QCOMPARE(a->windowTitle(), title);
            QCOMPARE(ReadAll(fileA), before);

            // Closing asks to save; the save fails again, so the window stays.
            fakes->Messages.SetNextAnswer(TMsgResult::Yes);
            QVERIFY(!a->close());
            QCOMPARE(int(ChartWindows().size()), 2);
            // Leaving the program stops at the first chart that could not be saved.
            fakes->Messages.Clear();
            fakes->Messages.SetNextAnswer(TMsgResult::Yes);
            QVERIFY(!frm->close());
            QCOMPARE(fakes->Messages.Count(), 2); // the question, then the error
            QVERIFY(frm->isVisible());
            QCOMPARE(int(ChartWindows().size()), 2);
            QVERIFY(a->Doc().IsModified() && b->Doc().IsModified());
            QVERIFY(readOnly.Hits() >= 2);
        }
        QCOMPARE(ReadAll(fileA), before);
        QCOMPARE(TempFiles(dir), 0);
        // The disk writable again: the same command saves.
        fakes->Messages.Clear();
        QVERIFY(Activate(a));
        frm->FileSave->trigger();
        QCOMPARE(fakes->Messages.Count(), 0);
        QVERIFY(!a->Doc().IsModified());
        TRChart back;
        QVERIFY(back.LoadFromFile(fileA));
        QCOMPARE(back.Info.Notes, std::string("corrigido"));
    }

    void dataFolderDisappears()
    {
        TRChartFrm* a = OpenEdited(4);
        TRChartFrm* b = OpenEdited(5);
        QVERIFY(a && b);
        const std::string fileA = a->Doc().Info.FileName, fileB = b->Doc().Info.FileName;
        // The folder is gone (a removed drive): saving makes the station folder again.
        fs::remove_all(data);
        QVERIFY(Activate(a));
        frm->FileSave->trigger();
        QCOMPARE(fakes->Messages.Count(), 0);
        QVERIFY(!a->Doc().IsModified());
        QVERIFY(TRChart::IsDataFile(fileA));

        // Now a plain file stands where the folder was: nothing can be made under it.
        fs::remove_all(data);
        WriteAll(fs::path(data).parent_path().string(), "not a folder");
        QVERIFY(Activate(b));
        frm->FileSave->trigger();
        QCOMPARE(fakes->Messages.Shown().back().Type, TMsgType::Error);
        QVERIFY2(LastText().contains(Q(data)), qPrintable(LastText()));
        QVERIFY(b->Doc().IsModified());
        QCOMPARE(ReadAll(fs::path(data).parent_path().string()), std::string("not a folder"));
        // The chart still draws and answers; closing without saving is the operator's choice.
        b->repaint();
        fakes->Messages.SetNextAnswer(TMsgResult::Cancel);
        QVERIFY(!b->close());
        fakes->Messages.SetNextAnswer(TMsgResult::No);
        QVERIFY(b->close());
        QTRY_COMPARE(int(ChartWindows().size()), 1);
        QVERIFY(!FileExists(fileB));
    }

    void truncatedFileUnderAnOpenWindow()
    {
        TRChartFrm* w = OpenEdited(6);
        QVERIFY(w);
        const std::string file = w->Doc().Info.FileName;
        const std::string whole = ReadAll(file);
        for (std::size_t keep : {std::size_t(0), std::size_t(50), whole.size() / 2, whole.size() - 1}) {
            WriteAll(file, whole.substr(0, keep));
            w->Doc().Modified = true;
            QVERIFY(Activate(w));
            fakes->Messages.Clear();
            frm->FileSave->trigger();
            QCOMPARE(fakes->Messages.Count(), 0);
            QVERIFY(!w->Doc().IsModified());
            // A complete file again, with everything the window holds.
            QVERIFY(TRChart::IsDataFile(file));
            TRChart back;
            QVERIFY(back.LoadFromFile(file));
            QCOMPARE(back.Info.Notes, std::string("corrigido"));
            QCOMPARE(back.Curve().Count(), w->Doc().Curve().Count());
            QCOMPARE(ReadAll(file), w->Doc().SaveToBuffer());
        }

        // Truncated after the window closed: reopening says which file, and leaves it alone.
        const std::string saved = ReadAll(file);
        QVERIFY(w->close());
        QTRY_VERIFY(ChartWindows().empty());
        WriteAll(file, saved.substr(0, saved.size() / 2));
        fakes->Messages.Clear();
        frm->OpenFiles({Q(file)});
        QVERIFY(ChartWindows().empty());
        QCOMPARE(fakes->Messages.Shown().back().Type, TMsgType::Error);
        QCOMPARE(LastText(), U("O arquivo \"%1\" não foi reconhecido pelo programa.").arg(Q(file)));
        frm->OpenRecentFile(file);
        QVERIFY(ChartWindows().empty());
        QCOMPARE(fakes->Messages.Count(), 2);
        QCOMPARE(ReadAll(file), saved.substr(0, saved.size() / 2));
    }

    void settingsAndPointSetsAtShutdown()
    {
        // Files as an earlier run left them.
        frm.reset();
        const std::string ini = IniFileName(), sets = PointSetsFileName();
        const std::string iniBefore = ReadAll(ini);
        QVERIFY(!iniBefore.empty());
        TCoordsList& list = ProgramCoordsList();
        list.Clear();
        list.Add("Anterior").Points.push_back({8.0, 0.0});
        QVERIFY(list.SaveToFile(sets));
        const std::string setsBefore = ReadAll(sets);

        frm = std::make_unique<TMainFrm>();
        list.Add("Novo").Points.push_back({9.0, 1.0});
        list.SetModified(true);
        Options().NumRecentFiles = Options().NumRecentFiles == 4 ? 6 : 4; // something to write
        fakes->Messages.Clear();
        {
            TWriteFaultScope full({TWriteStep::Write, 5, 0, {}});
            frm.reset();
            QVERIFY(full.Hits() >= 2);
        }
        const QStringList texts = fakes->Messages.Texts();
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join(U(" / "))));
        QVERIFY2(texts.contains(U("Não foi possível gravar o arquivo de configurações \"%1\": não há espaço "
                                  "livre no disco.")
                                    .arg(Q(ini))),
                 qPrintable(texts.join(U(" / "))));
        QVERIFY2(texts.contains(U("Erro ao gravar o arquivo \"%1\": não há espaço livre no disco. O arquivo "
                                  "anterior foi preservado.")
                                    .arg(Q(sets))),
                 qPrintable(texts.join(U(" / "))));
        QCOMPARE(ReadAll(ini), iniBefore);
        QCOMPARE(ReadAll(sets), setsBefore);
        QVERIFY(list.Modified()); // still to be written
        QCOMPARE(TempFiles(dir), 0);
        list.Clear();
        list.SetModified(false);
        frm = std::make_unique<TMainFrm>();
    }
};

QTEST_MAIN(TestDiskFaults)
#include "tst_DiskFaults.moc"
