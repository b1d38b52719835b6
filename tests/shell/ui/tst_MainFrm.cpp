// The main window: start-up, menus, tool bar, status bar, zoom box, the file
// commands and the shutdown order.

#include "chartwin/DrawBox.h"
#include "chartwin/uRChartWnd.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uLastFiles.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uMainSplash.h"
#include "shell/ui/uMainStatus.h"
#include "shell/ui/uMainZoomBox.h"
#include "support/TestCharts.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tablet/ui/VirtualTablet.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace rs;

namespace {

std::string Native(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString Q(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

QStringList MenuTitles(QMenuBar* bar)
{
    QStringList t;
    for (QAction* a : bar->actions())
        if (a->isVisible() && a->menu())
            t << a->text();
    return t;
}

} // namespace

class TestMainFrm : public QObject
{
    Q_OBJECT

    QTemporaryDir tmp;
    std::string dir;
    TScriptedMessages msgs;
    TScriptedFileDialogs files;
    TManualClock clock;
    std::unique_ptr<TMainFrm> frm;
    std::vector<TRChartInfo> nextInfo; // what the properties dialog answers

    std::unique_ptr<TMainFrm> MakeMain(TMainSplash* splash = nullptr)
    {
        auto m = std::make_unique<TMainFrm>(splash);
        m->EditProperties = [this](TRChartInfo& info) {
            if (nextInfo.empty())
                return false;
            info = nextInfo.front();
            nextInfo.erase(nextInfo.begin());
            return true;
        };
        return m;
    }

    TRChartInfo Info(int day)
    {
        TRChartInfo i = test::SampleInfo();
        i.Date = EncodeDate(2021, 4, day);
        i.FileName = TRChart::MakeFileName(i);
        return i;
    }

    // A chart file on disk.
    std::string SaveChart(int day)
    {
        TRChart c;
        test::MakeDigitizedChart(c);
        TRChartInfo i = Info(day);
        c.SetInfo(i);
        c.SaveToFile(i.FileName);
        return i.FileName;
    }

    std::string IniText()
    {
        std::ifstream in(IniFileName(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        dir = Native(tmp.path()) + "/";
        SetAppFolderForTesting(dir + "app/");
        ForceDirectories(dir + "app/");
        SetConfigFolderForTesting(dir + "config/");
        SetDataFolder(dir + "data/");
        SetMessages(&msgs);
        SetFileDialogs(&files);
        SetClock(&clock);
        SelectNoTabletDriver(true);
    }

    void cleanupTestCase()
    {
        SetMessages(nullptr);
        SetFileDialogs(nullptr);
        SetClock(nullptr);
    }

    void init()
    {
        DeleteFile(IniFileName());
        msgs.Clear();
        nextInfo.clear();
        frm = MakeMain();
        frm->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        // Let the first activation (and its tablet warning) pass.
        QTest::qWait(20);
        msgs.Clear();
    }

    void cleanup()
    {
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        frm.reset();
        Options().ExclusiveNewFile = false;
    }

    void layoutWithoutCharts()
    {
        QCOMPARE(frm->windowTitle(), QStringLiteral("Rain Scribe"));
        QCOMPARE(MenuTitles(frm->menuBar()),
                 (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("&Mesa"), QStringLiteral("&Ajuda")}));
        QStringList file;
        for (QAction* a : frm->mnFile->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(file, (QStringList{QString::fromUtf8("&Novo Pluviograma..."),
                                    QString::fromUtf8("Dias  sem &Chuva/Pluviogramas..."), QStringLiteral("&Abrir..."),
                                    QStringLiteral("&Fechar"), QStringLiteral("&Salvar"),
                                    QStringLiteral("&Pasta de Dados..."),
                                    QStringLiteral("Converter Arquivos \".dpb\" -> \".pvd\" ..."), QStringLiteral("-"),
                                    QStringLiteral("Apresentar &Resumos..."), QStringLiteral("Propri&edades..."),
                                    QString::fromUtf8("&Preferências..."), QStringLiteral("-"),
                                    QStringLiteral("Sai&r")}));
        QCOMPARE(frm->FileNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(frm->FileDryDays->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(frm->FileOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
        QCOMPARE(frm->FileSave->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(frm->FileExplorer->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
        QCOMPARE(frm->FileProp->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Return));
        QCOMPARE(frm->mnTestTable->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
        QCOMPARE(frm->mnSwapMode->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Space));
        QCOMPARE(frm->FileOpen->toolTip(), QStringLiteral("Abre"));
        QCOMPARE(frm->FileOpen->statusTip(), QStringLiteral("Abre um ou mais arquivos de dados"));
        QCOMPARE(frm->btNew->toolTip(), QStringLiteral("Novo"));
        // The default swap button (the fourth) in the caption.
        QCOMPARE(frm->mnSwapMode->text(), QStringLiteral("Alternar &Modos Abs/Rel <b4>"));

        QVERIFY(frm->Status()->IsSimple());
        QVERIFY(!frm->ZoomBox()->isEnabled());
        QCOMPARE(frm->ZoomBox()->currentText(), QStringLiteral("100%"));
        QCOMPARE(frm->ZoomBox()->count(), 7);
        for (QToolButton* b : {frm->btDefScale, frm->btDigit, frm->btSpill})
            QVERIFY(!b->isEnabled());
        frm->IdleUpdate();
        QVERIFY(!frm->FileSave->isEnabled());
        QVERIFY(!frm->FileProp->isEnabled());
        QVERIFY(!frm->FileClose->isEnabled());
        QCOMPARE(frm->Status()->ModeLabel()->text(), QStringLiteral("REL"));
        QCOMPARE(frm->Status()->ModeLabel()->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(frm->Status()->ModeLabel()->toolTip(), QStringLiteral("Modo Relativo"));

        emit frm->mnTablet->aboutToShow();
        QVERIFY(frm->mnRelMode->isChecked() && !frm->mnRelMode->isEnabled());
        QVERIFY(!frm->mnAbsMode->isChecked() && !frm->mnAbsMode->isEnabled());
        QVERIFY(!frm->mnSwapMode->isEnabled());
        QVERIFY(frm->mnTestTable->isEnabled());
    }

    void settingsAtStartAndShutdown()
    {
        frm.reset();
        QVERIFY(IniText().find("Execu\xE7\xF5" "es=1") != std::string::npos);
        QVERIFY(IniText().find("Bot\xE3" "oModoCur=4") != std::string::npos);
        // The swap button read from the file shows in the caption.
        {
            std::ofstream out(IniFileName(), std::ios::binary);
            out << "[Op\xE7\xF5" "es]\r\nBot\xE3" "oModoCur=1\r\nNumArqs=12\r\n";
        }
        frm = MakeMain();
        QCOMPARE(frm->mnSwapMode->text(), QStringLiteral("Alternar &Modos Abs/Rel <b1>"));
        QCOMPARE(SwapButton(), 0);
        QCOMPARE(Options().NumRecentFiles, 8);
        frm.reset();
        QVERIFY(IniText().find("NumArqs=8") != std::string::npos);
    }

    void hintsAndStatusPanels()
    {
        QStatusTipEvent tip(QStringLiteral("Abre um ou mais arquivos de dados"));
        QApplication::sendEvent(frm.get(), &tip);
        QVERIFY(frm->Status()->IsSimple());
        QCOMPARE(frm->Status()->SimpleText(), QStringLiteral("Abre um ou mais arquivos de dados"));
        frm->StatusPanel(QStringLiteral("Digitalizando"), 2);
        QVERIFY(!frm->Status()->IsSimple());
        QCOMPARE(frm->Status()->PanelText(2), QStringLiteral(" Digitalizando "));
        QCOMPARE(frm->Status()->PanelWidth(2),
                 QFontMetrics(frm->Status()->font()).horizontalAdvance(QStringLiteral(" Digitalizando ")) + 8);
        frm->StatusPanel(QString(), 2);
        QCOMPARE(frm->Status()->PanelText(2), QString());
        frm->StatusPanel(QStringLiteral("a"), 0);
        frm->StatusPanel(QString(), -1);
        QCOMPARE(frm->Status()->PanelText(0), QString());
    }

    void newChartAndMenuMerging()
    {
        nextInfo.push_back(Info(1));
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 1);
        TRChartFrm* w = ChartWindows().front();
        QTRY_COMPARE(ActiveChartWindow(), w);
        QCOMPARE(MenuTitles(frm->menuBar()),
                 (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("&Mesa"), QStringLiteral("&Editar"),
                              QStringLiteral("&Escala"),
                              QString::fromUtf8("&Digitalização"), QStringLiteral("E&xibir"),
                              QStringLiteral("&Ajuda")}));
        QVERIFY(frm->ZoomBox()->isEnabled());
        QCOMPARE(frm->btDefScale->defaultAction(), w->cmdDefScale);
        QCOMPARE(frm->btDigit->defaultAction(), w->cmdDigCurve);
        QCOMPARE(frm->btUndo->defaultAction(), w->cmdUndo);
        QCOMPARE(frm->btRedo->defaultAction(), w->cmdRedo);
        QCOMPARE(frm->btSpill->defaultAction(), w->cmdSpill);
        QVERIFY(!frm->Status()->IsSimple());
        QCOMPARE(frm->Status()->PanelText(2), QString::fromUtf8(" Aguardando Definição de Escala "));
        frm->IdleUpdate();
        QVERIFY(frm->FileSave->isEnabled()); // a new chart is modified
        QVERIFY(frm->FileProp->isEnabled());
        emit frm->mnTablet->aboutToShow();
        QVERIFY(frm->mnRelMode->isChecked() && !frm->mnRelMode->isEnabled());
        QVERIFY(frm->mnAbsMode->isEnabled() && frm->mnSwapMode->isEnabled());
        frm->mnAbsMode->trigger();
        QCOMPARE(w->TabletMode(), 0);
        frm->IdleUpdate();
        QCOMPARE(frm->Status()->ModeLabel()->text(), QStringLiteral("ABS"));
        QCOMPARE(frm->Status()->ModeLabel()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
        frm->mnSwapMode->trigger();
        QCOMPARE(w->TabletMode(), 1);
        // No file is written and the recent files are untouched.
        QVERIFY(!FileExists(Info(1).FileName));
        QCOMPARE(frm->LastFiles()->Count(), 0);

        // Closing the last window takes its menus and buttons away.
        msgs.SetNextAnswer(TMsgResult::No);
        frm->FileClose->trigger();
        QTRY_VERIFY(ChartWindows().empty());
        QCOMPARE(MenuTitles(frm->menuBar()),
                 (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("&Mesa"), QStringLiteral("&Ajuda")}));
        QTRY_VERIFY(!frm->btDefScale->isEnabled());
        QVERIFY(frm->Status()->IsSimple());
        QVERIFY(!frm->ZoomBox()->isEnabled());
    }

    void cancelledNewMakesNothing()
    {
        frm->FileNew->trigger();
        QVERIFY(ChartWindows().empty());
    }

    void openSeveralFiles()
    {
        const std::string a = SaveChart(2), b = SaveChart(3), c = SaveChart(4);
        frm->OpenFiles({Q(b)});
        QCOMPARE(int(ChartWindows().size()), 1);
        TRChartFrm* wb = ChartWindows().front();
        // A recognised file whose body cannot be read.
        QFile junk(tmp.filePath(QStringLiteral("junk.pvd")));
        QVERIFY(QFile::copy(Q(a), junk.fileName()));
        QVERIFY(junk.open(QIODevice::ReadWrite));
        junk.seek(70);
        junk.write(QByteArray(int(junk.size()) - 70, '\xFF'));
        junk.close();
        files.SetNextOpenFiles({Q(a), Q(b), QStringLiteral("%1").arg(junk.fileName()), Q(c)});
        frm->FileOpen->trigger();
        QCOMPARE(files.OpenRequests().back().InitialDir, Q(DataFolder()));
        QVERIFY(files.OpenRequests().back().MultiSelect);
        QCOMPARE(int(ChartWindows().size()), 3);
        QCOMPARE(msgs.LastText(), QString::fromUtf8("O arquivo %1 não pode ser aberto").arg(junk.fileName()));
        // Recent files: most recent first; the already open one is not added again.
        QCOMPARE(frm->LastFiles()->Count(), 3);
        QCOMPARE(frm->LastFiles()->FileName(0), c);
        QCOMPARE(frm->LastFiles()->FileName(1), a);
        QCOMPARE(frm->LastFiles()->FileName(2), b);
        // The recent entries are in the menu after "Sair".
        const QList<QAction*> acts = frm->mnFile->actions();
        const int exit = int(acts.indexOf(frm->FileExit));
        QVERIFY(acts.at(exit + 1)->isSeparator());
        QCOMPARE(acts.at(exit + 2)->text(), QStringLiteral("&1 ") + Q(ExtractFileName(c)));
        QVERIFY(wb);

        // Opening b again brings its window to the front.
        frm->OpenFiles({Q(b)});
        QCOMPARE(int(ChartWindows().size()), 3);
        QTRY_COMPARE(ActiveChartWindow(), wb);

        // A data file that is not a pluviogram: the chart window's message, no recent entry.
        QFile other(tmp.filePath(QStringLiteral("other.pvd")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(QByteArray(200, 'z'));
        other.close();
        frm->OpenFiles({other.fileName()});
        QCOMPARE(msgs.LastText(),
                 QString::fromUtf8("O arquivo \"%1\" não foi reconhecido pelo programa.").arg(other.fileName()));
        QCOMPARE(frm->LastFiles()->Count(), 3);

        // A recent file that no longer exists.
        msgs.Clear();
        frm->OpenRecentFile(dir + "gone.pvd");
        QCOMPARE(msgs.LastText(), QString::fromUtf8("O arquivo %1 não foi encontrado.").arg(Q(dir + "gone.pvd")));
        QCOMPARE(msgs.Shown().back().Type, TMsgType::Warning);
    }

    void saveAndProperties()
    {
        nextInfo.push_back(Info(5));
        frm->FileNew->trigger();
        TRChartFrm* w = ChartWindows().front();
        QTRY_COMPARE(ActiveChartWindow(), w);
        frm->FileSave->trigger();
        QVERIFY(FileExists(Info(5).FileName));
        QVERIFY(!w->Doc().IsModified());
        QCOMPARE(frm->LastFiles()->Count(), 1);
        frm->FileSave->trigger();
        QCOMPARE(frm->LastFiles()->Count(), 1);

        // A new date renames the recent entry.
        TRChartInfo moved = Info(6);
        moved.Owner = &w->Doc();
        nextInfo.push_back(moved);
        frm->FileProp->trigger();
        QCOMPARE(w->Doc().Info.FileName, Info(6).FileName);
        QCOMPARE(frm->LastFiles()->Count(), 1);
        QCOMPARE(frm->LastFiles()->FileName(0), Info(6).FileName);
        QCOMPARE(w->windowTitle(), Q(ExtractFileName(Info(6).FileName)));
    }

    void exclusiveNewFile()
    {
        nextInfo = {Info(7), Info(8)};
        frm->FileNew->trigger();
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 2);
        Options().ExclusiveNewFile = true;
        // Cancel on the first prompt: nothing closes, no new chart.
        nextInfo = {Info(9)};
        msgs.SetNextAnswer(TMsgResult::Cancel);
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 2);
        QVERIFY2(msgs.Count() == 1, qPrintable(msgs.Texts().join(QStringLiteral(" / "))));
        // "Não" to both: both close and the new chart opens.
        nextInfo = {Info(9)};
        msgs.SetNextAnswer(TMsgResult::No);
        msgs.SetNextAnswer(TMsgResult::No);
        frm->FileNew->trigger();
        QCOMPARE(int(ChartWindows().size()), 1);
        QCOMPARE(ChartWindows().front()->Doc().Info.Date, Info(9).Date);
    }

    void shutdownOrder()
    {
        nextInfo = {Info(10), Info(11)};
        frm->FileNew->trigger();
        frm->FileNew->trigger();
        // The first "Cancelar" keeps every window open, also the one answered "Não".
        msgs.SetNextAnswer(TMsgResult::No);
        msgs.SetNextAnswer(TMsgResult::Cancel);
        QVERIFY(!frm->close());
        QCOMPARE(msgs.Count(), 2);
        QCOMPARE(int(ChartWindows().size()), 2);
        QVERIFY(frm->isVisible());
        // "Sim" to the first saves it; the close goes ahead after "Não" to the second.
        msgs.Clear();
        msgs.SetNextAnswer(TMsgResult::Yes);
        msgs.SetNextAnswer(TMsgResult::No);
        frm->FileExit->trigger();
        QVERIFY(!frm->isVisible());
        QVERIFY(ChartWindows().empty());
        QCOMPARE(msgs.Count(), 2);
        QVERIFY(FileExists(Info(11).FileName) != FileExists(Info(10).FileName));
        frm.reset();
        QVERIFY(IniText().find("Arquivos Recentes") != std::string::npos);
    }

    void zoomBox()
    {
        nextInfo.push_back(Info(12));
        frm->FileNew->trigger();
        TRChartFrm* w = ChartWindows().front();
        QTRY_COMPARE(ActiveChartWindow(), w);
        TZoomBox* box = frm->ZoomBox();
        QCOMPARE(box->currentText(), QStringLiteral("100%"));

        auto type = [&](const QString& keys) {
            box->setFocus();
            QTRY_VERIFY(box->hasFocus());
            box->lineEdit()->selectAll();
            QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
            QTest::keyClicks(box->lineEdit(), keys);
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        };
        type(QStringLiteral("2"));
        QCOMPARE(box->currentText(), QStringLiteral("2%"));
        QCOMPARE(w->Zoom(), 0.02);
        QVERIFY(!box->hasFocus());
        type(QStringLiteral("250"));
        QCOMPARE(w->Zoom(), 2.5);
        // Letters and "%" cannot be typed.
        type(QStringLiteral("3a%b0"));
        QCOMPARE(box->currentText(), QStringLiteral("30%"));
        QCOMPARE(w->Zoom(), 0.3);
        // Choosing "1000%".
        box->setFocus();
        box->setCurrentIndex(5);
        emit box->activated(5);
        QCOMPARE(w->Zoom(), 10.0);
        // The empty item does nothing.
        box->setFocus();
        box->setCurrentIndex(6);
        emit box->activated(6);
        QCOMPARE(w->Zoom(), 10.0);
        // A text that is not a number: the conversion error, no change.
        box->setEditText(QStringLiteral("1.2.3%"));
        frm->ZoomChoice();
        QCOMPARE(msgs.Shown().back().Type, TMsgType::Error);
        QVERIFY(msgs.LastText().contains(QStringLiteral("1.2.3")));
        QCOMPARE(w->Zoom(), 10.0);

        // A window activated with zoom 2.5 shows 250%.
        box->clearFocus();
        w->SetZoom(2.5);
        QCOMPARE(box->currentText(), QStringLiteral("250%"));
        nextInfo.push_back(Info(13));
        frm->FileNew->trigger();
        QTRY_COMPARE(box->currentText(), QStringLiteral("100%"));
        frm->ChartArea()->setActiveSubWindow(w);
        QTRY_COMPARE(box->currentText(), QStringLiteral("250%"));

        bool has = false, ok = false;
        double z = 0;
        TZoomBox::ParseZoom(QStringLiteral("  150 %"), has, ok, z);
        QVERIFY(has && ok);
        QCOMPARE(z, 1.5);
        TZoomBox::ParseZoom(QStringLiteral(" %"), has, ok, z);
        QVERIFY(!has);
    }

    void splashWaitsAndFirstActivation()
    {
        frm.reset();
        clock.Set(500000);
        clock.SetAutoStep(250);
        auto* splash = new TMainSplash;
        const qint64 created = splash->CreationTick();
        QPointer<TMainSplash> alive(splash);
        frm = MakeMain(splash);
        QVERIFY(clock.Now() - created >= 2000);
        // At the first activation the 4000 ms are over: the splash goes, then the tablet warning.
        clock.Set(created + 4000);
        msgs.Clear();
        frm->FirstActivation();
        QVERIFY(!alive);
        QCOMPARE(msgs.Count(), 1);
        QCOMPARE(msgs.Shown().back().Type, TMsgType::Warning);
        QCOMPARE(msgs.LastText(),
                 QString::fromUtf8("O arquivo de biblioteca \"Wintab32.DLL\" não foi encontrado.\r\n"
                                   "Este arquivo é instalado pelo programa de instalação da mesa.\r\n"
                                   "As operações que dependem da mesa não poderão ser executatas."));
        clock.SetAutoStep(0);
    }

    void virtualTabletIsTheTablet()
    {
        SelectNoTabletDriver(false);
        frm->CreateForms();
        bool listed = false;
        for (QAction* a : frm->mnTablet->actions())
            listed = listed || a->text() == QStringLiteral("Mesa &Virtual");
        QVERIFY(listed);
        msgs.Clear();
        frm->FirstActivation();
        QCOMPARE(msgs.Count(), 0);
        QVERIFY(TabletAvailable());
        nextInfo.push_back(Info(20));
        frm->FileNew->trigger();
        TRChartFrm* w = ChartWindows().front();
        w->UpdateActions();
        QVERIFY(w->mnDefScale->isEnabled());
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        frm.reset();
        ReleaseTabletLibrary();
        SelectNoTabletDriver(true);
    }

    void virtualTabletRememberedBetweenRuns()
    {
        SelectNoTabletDriver(false);
        const QString image = tmp.filePath(QStringLiteral("scan.png"));
        QImage scan(600, 450, QImage::Format_RGB32);
        scan.fill(Qt::white);
        scan.setDotsPerMeterX(11811); // 300 dpi
        scan.setDotsPerMeterY(11811);
        QVERIFY(scan.save(image));

        frm->CreateForms();
        auto* vt = frm->findChild<TVirtualTablet*>();
        QVERIFY(vt);
        QVERIFY(!vt->IsOpen()); // closed the first time
        QVERIFY(vt->LoadImage(image));
        vt->ToggleAction()->trigger();
        QVERIFY(vt->IsOpen());
        frm->close(); // closing the main window hides its windows
        frm.reset();
        QVERIFY(IniText().find("[Mesa Virtual]") != std::string::npos);
        QVERIFY(IniText().find("Aberta=1") != std::string::npos);

        // The next run opens it again with the same chart.
        frm = MakeMain();
        frm->show();
        frm->CreateForms();
        vt = frm->findChild<TVirtualTablet*>();
        QVERIFY(vt);
        QTRY_VERIFY(vt->IsOpen());
        QCOMPARE(vt->ImagePath(), image);

        // Closed by the operator: closed next time; a vanished image is no error.
        vt->ToggleAction()->trigger();
        QVERIFY(!vt->IsOpen());
        frm.reset();
        QVERIFY(IniText().find("Aberta=0") != std::string::npos);
        QFile::remove(image);
        QVERIFY(TIniFile(IniFileName()).WriteString(ini::kSecVirtualTablet, ini::kKeyOpen, "1"));
        msgs.Clear();
        frm = MakeMain();
        frm->CreateForms();
        vt = frm->findChild<TVirtualTablet*>();
        QTRY_VERIFY(vt->IsOpen());
        QVERIFY(vt->ImagePath().isEmpty());
        QCOMPARE(msgs.Count(), 0);
        frm.reset();
        Options().VirtualTabletOpen = false;
        ReleaseTabletLibrary();
        SelectNoTabletDriver(true);
    }

    void splashClosedByEsc()
    {
        auto* splash = new TMainSplash;
        QPointer<TMainSplash> alive(splash);
        splash->show();
        QTest::keyClick(splash, Qt::Key_A);
        QVERIFY(alive);
        QTest::keyClick(splash, Qt::Key_Escape);
        QTRY_VERIFY(!alive);
    }
};

QTEST_MAIN(TestMainFrm)
#include "tst_MainFrm.moc"
