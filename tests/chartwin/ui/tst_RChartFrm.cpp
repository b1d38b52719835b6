// The chart window: creation, states, zoom, grids, keys, cursor read-out,
// information line, closing and the module operations.

#include "chartwin/DrawBox.h"
#include "chartwin/SnapCursor.h"
#include "chartwin/uRChartWnd.h"
#include "common/ui/MessageService.h"
#include "shell/uOptions.h"
#include "support/TestCharts.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace rs;

namespace {

struct TFakeHost : TChartHost
{
    QMdiArea area;
    QString panels[4];
    int singleText = 0;
    double zoom = 0;
    int saves = 0;
    QMdiArea* ChartArea() override { return &area; }
    void StatusPanel(const QString& text, int index) override
    {
        if (index < 0)
            for (QString& p : panels)
                p.clear();
        else
            panels[index] = text;
    }
    void StatusSingleText() override { ++singleText; }
    void ZoomIndicator(double z) override { zoom = z; }
    void SaveChart(TRChartFrm* w) override
    {
        ++saves;
        w->Save(w->Doc().Info.FileName);
    }
    void FocusMainWindow() override {}
};

struct TFakeTool : TToolWindow
{
    bool visible = false;
    int reloads = 0;
    bool ToolVisible() const override { return visible; }
    void SetToolVisible(bool v) override { visible = v; }
    void ReloadTool() override { ++reloads; }
};

std::string Native(const QString& s) { return QFile::encodeName(s).toStdString(); }

TRChartInfo Info(const std::string& folder, int day = 10)
{
    TRChartInfo i = test::SampleInfo();
    i.Date = EncodeDate(2020, 3, day);
    i.FileName = folder + "12345678/12345678-202003" + (day < 10 ? "0" : "") + std::to_string(day) + ".pvd";
    return i;
}

} // namespace

class TestRChartFrm : public QObject
{
    Q_OBJECT

    TFakeHost* host = nullptr;
    TScriptedMessages msgs;
    QTemporaryDir tmp;
    std::string dir;

    void CloseAll()
    {
        while (!ChartWindows().empty())
            delete ChartWindows().back();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        dir = Native(tmp.path()) + "/";
        SetMessages(&msgs);
        TOptions o = TOptions::FileDefaults();
        ApplyOptions(o);
    }

    void init()
    {
        host = new TFakeHost;
        host->area.resize(1000, 800);
        host->area.show();
        SetChartHost(host);
        msgs.Clear();
        ToolWindows() = TToolWindows{};
    }

    void cleanup()
    {
        CloseAll();
        ToolWindows() = TToolWindows{};
        SetChartHost(nullptr);
        delete host;
        host = nullptr;
    }

    void cleanupTestCase() { SetMessages(nullptr); }

    void creation()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        QCOMPARE(w->Box()->size(), QSize(633, 422));
        QCOMPARE(w->Zoom(), 1.0);
        QCOMPARE(w->Doc().Scale().GridRect(), (TRect{20, 311, 620, 111}));
        QCOMPARE(w->Doc().Scale().GlyphCount(), 1);
        QCOMPARE(w->Doc().Curve().GlyphCount(), 3);
        QCOMPARE(w->Doc().State(), int(AwaitingScale));
        QCOMPARE(host->panels[2], QString::fromUtf8("Aguardando Definição de Escala"));
        QCOMPARE(w->TabletMode(), 1);
        QCOMPARE(w->windowTitle(), QStringLiteral("12345678-20200310.pvd"));
        QCOMPARE(w->IdLabel()->text(), QString::fromUtf8("Data: 10/03/2020   Estação: Estação Teste"));
        {
            // The information line is dark text on the drawing.
            QImage img(633, 422, QImage::Format_RGB32);
            w->Box()->render(&img);
            int dark = 0;
            for (int y = 4; y < 18; ++y)
                for (int x = 20; x < 270; ++x)
                    dark += qGray(img.pixel(x, y)) < 100;
            QVERIFY(dark > 100);
        }
        // Captions show the buttons counted from 1 (delete 2, overflow 3 by default).
        QCOMPARE(w->mnUndoLast->text(), QString::fromUtf8("Desfa&zer Último Ponto <b2>"));
        QCOMPARE(w->mnUndoLastPt->text(), w->mnUndoLast->text());
        QCOMPARE(w->cmdSpill->text(), QStringLiteral("Sinalizar &Transbordamento <b3>"));
        QCOMPARE(w->mnSpill, w->cmdSpill);
        // The client area shows the whole drawing.
        QTRY_COMPARE(w->SBox()->viewport()->size(), QSize(633, 422));
    }

    void menusAndShortcuts()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        const QList<QMenu*> menus = w->Menus();
        QCOMPARE(menus.size(), 4);
        QCOMPARE(menus[0]->title(), QStringLiteral("&Editar"));
        QCOMPARE(menus[1]->title(), QStringLiteral("&Escala"));
        QCOMPARE(menus[2]->title(), QString::fromUtf8("&Digitalização"));
        QCOMPARE(menus[3]->title(), QStringLiteral("E&xibir"));
        QCOMPARE(w->mnDefScale->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(w->mnFinishScale->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F3));
        QCOMPARE(w->mnCancelScale->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Escape));
        QCOMPARE(w->mnDigCurve->shortcut(), QKeySequence(Qt::Key_F8));
        QCOMPARE(w->mnEndDigit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F8));
        QCOMPARE(w->mnSelNext->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right));
        QCOMPARE(w->mnZ[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_3));
        QCOMPARE(w->mnSelNext->text(), QString::fromUtf8("Selecionar Próximo Ponto "));
        QCOMPARE(w->mnRoundToZero->text(), QStringLiteral("Arredondar para &Zero <Shift> = On/Off"));
        QCOMPARE(w->mnIncZoom->statusTip(), QStringLiteral("Amplia o desenho do pluviograma em acréscimos de 25%"));
        QCOMPARE(w->cmdDefScale->toolTip(), QStringLiteral("Define Escala"));
        // Separators after "Exibir Planilha de Valores" and after "Arredondar para Zero".
        const QList<QAction*> dig = w->mnDigit->actions();
        QVERIFY(dig.at(dig.indexOf(w->mnShowValues) + 1)->isSeparator());
        QVERIFY(dig.at(dig.indexOf(w->mnRoundToZero) + 1)->isSeparator());
        const QList<QAction*> view = w->mnView->actions();
        QVERIFY(view.at(view.indexOf(w->mnIncZoom) - 1)->isSeparator());
    }

    void enablingByState()
    {
        TScriptedTabletDriver driver;
        SetTabletDriver(&driver);
        TRChartFrm* w = NewChartWindow(Info(dir));
        TRChart& d = w->Doc();
        // Without the tablet library the tablet commands stay off.
        ReleaseTabletLibrary();
        w->UpdateActions();
        QVERIFY(!w->mnDefScale->isEnabled());
        QVERIFY(LoadTabletLibrary());
        w->UpdateActions();
        QVERIFY(w->mnDefScale->isEnabled());
        QVERIFY(!w->mnFinishScale->isEnabled());
        QVERIFY(!w->mnCancelScale->isEnabled());
        QVERIFY(!w->mnShowCtrlPt->isEnabled());
        QVERIFY(!w->mnAddFail->isEnabled());
        QVERIFY(!w->mnShowValues->isEnabled());

        // Defining the scale: absolute mode, cancel possible, undo once a point exists.
        d.Scale().SetCoordMode(1);
        QVERIFY(d.BeginScale());
        QCOMPARE(host->panels[2], QStringLiteral("Definindo Escala"));
        QCOMPARE(w->TabletMode(), 0);
        QVERIFY(!w->mnDefScale->isEnabled());
        QVERIFY(w->mnCancelScale->isEnabled());
        QVERIFY(w->mnShowCtrlPt->isEnabled());
        QVERIFY(!w->mnUndoLastPt->isEnabled());
        const int h = d.Info.Hour;
        const double pts[][2] = {{h + 1.0, 0}, {h + 6.0, 8}, {h + 12.0, 2}, {h + 18.0, 10}, {h + 23.0, 5}};
        for (auto& v : pts)
            QVERIFY(test::AddControlPoint(d, v[0], v[1]));
        w->UpdateActions();
        QVERIFY(w->mnUndoLastPt->isEnabled());
        QVERIFY(w->mnFinishScale->isEnabled());
        QVERIFY(!w->mnDelPt->isEnabled());
        d.Scale().SelectIndex(1);
        w->UpdateActions();
        QVERIFY(w->mnDelPt->isEnabled());

        QVERIFY(d.ConcludeScale());
        QCOMPARE(d.State(), int(Idle));
        QCOMPARE(host->panels[2], QString());
        QCOMPARE(w->TabletMode(), 1);
        QVERIFY(w->mnDigCurve->isEnabled());
        QVERIFY(!w->mnDigCurve->isChecked());
        QVERIFY(w->mnShowCtrlPt->isEnabled()); // concluded

        QVERIFY(d.BeginDigitizing());
        QCOMPARE(host->panels[2], QStringLiteral("Digitalizando"));
        QCOMPARE(w->TabletMode(), 0);
        QVERIFY(w->mnDigCurve->isChecked());
        QVERIFY(!w->mnDigCurve->isEnabled());
        for (QAction* a : {w->mnAddFail, w->mnEndDigit, w->mnShowValues, w->mnAddToEnd, w->mnRoundToZero})
            QVERIFY(a->isEnabled());
        QVERIFY(w->mnAddToEnd->isChecked() && w->mnRoundToZero->isChecked());
        QVERIFY(!w->mnSpill->isEnabled());
        QVERIFY(!w->mnSelNext->isEnabled());
        QVERIFY(!w->mnUndoLast->isEnabled());
        test::DigitizeValue(d, h + 1.0, 0);
        test::DigitizeValue(d, h + 2.0, 6.0);
        w->UpdateActions();
        QVERIFY(w->mnSpill->isEnabled());
        QVERIFY(w->mnUndoLast->isEnabled());
        QVERIFY(w->mnSelNext->isEnabled()); // nothing selected: next selects the first
        QVERIFY(!w->mnSelPrev->isEnabled());
        d.Curve().SelectIndex(1);
        w->UpdateActions();
        QVERIFY(!w->mnSelNext->isEnabled());
        QVERIFY(w->mnSelPrev->isEnabled());
        QVERIFY(w->mnDelSelPt->isEnabled());

        d.EndDigitizing();
        QVERIFY(w->mnShowValues->isEnabled()); // state 0 with points
        QVERIFY(!w->mnAddFail->isEnabled());
        CloseAll();
        ReleaseTabletLibrary();
        SetTabletDriver(nullptr);
    }

    void zoomSteps()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        int steps = 0;
        while (w->Zoom() < 10 && steps < 100) {
            w->mnIncZoom->trigger();
            ++steps;
        }
        QCOMPARE(steps, 36);
        QCOMPARE(w->Zoom(), 10.0);
        QCOMPARE(host->zoom, 10.0);
        QCOMPARE(w->Box()->size(), QSize(6330, 4220));
        w->mnIncZoom->trigger();
        QCOMPARE(w->Zoom(), 10.0);
        emit w->mnView->aboutToShow();
        for (QAction* z : w->mnZ)
            QVERIFY(!z->isChecked());
        QVERIFY(!w->mnZUser->isVisible());

        w->mnZ[0]->trigger();
        QCOMPARE(w->Zoom(), 1.0);
        w->mnDecZoom->trigger();
        QCOMPARE(w->Zoom(), 1.0); // the menu goes no lower than 100 %
        // The keypad has no bound but z > 0.
        for (double expected : {0.75, 0.5, 0.25, 0.25}) {
            QTest::keyClick(w->SBox(), Qt::Key_Minus, Qt::KeypadModifier);
            QCOMPARE(w->Zoom(), expected);
        }
        QTest::keyClick(w->SBox(), Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(w->Zoom(), 0.5);
        // The minus key of the main keyboard is not a zoom key.
        QTest::keyClick(w->SBox(), Qt::Key_Minus);
        QCOMPARE(w->Zoom(), 0.5);

        w->SetZoom(2.5);
        emit w->mnView->aboutToShow();
        QVERIFY(w->mnZUser->isVisible());
        QVERIFY(w->mnZUser->isChecked());
        QCOMPARE(w->mnZUser->text(), QStringLiteral("250% - &Personalizado"));
        QCOMPARE(w->Box()->size(), QSize(1583, 1055));
        w->SetZoom(3);
        emit w->mnView->aboutToShow();
        QVERIFY(w->mnZ[2]->isChecked());
        QVERIFY(!w->mnZUser->isVisible());
        w->SetZoom(0);
        w->SetZoom(-1);
        QCOMPARE(w->Zoom(), 3.0);
    }

    void zoomMovesTheMarkers()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        test::MakeDigitizedChart(w->Doc());
        const TPoint at1 = w->Doc().Curve().Items(1)->Centre();
        w->SetZoom(2);
        const TPoint at2 = w->Doc().Curve().Items(1)->Centre();
        QVERIFY(std::abs(at2.x - 2 * at1.x) <= 2);
        QVERIFY(std::abs(at2.y - 2 * at1.y) <= 2);
    }

    void gridItems()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        TRChart& d = w->Doc();
        emit w->mnView->aboutToShow();
        QVERIFY(w->mnTimeGrid->isChecked() && w->mnPrecGrid->isChecked());
        QVERIFY(!w->mnTimeGrid2->isChecked() && w->mnTimeGrid2->isEnabled());
        QVERIFY(!w->mnAllGrid->isChecked() && w->mnAllGrid->isEnabled());

        w->mnAllGrid->trigger();
        QCOMPARE(int(d.ViewFlags(0)), 3);
        QCOMPARE(int(d.ViewFlags(1)), 3);
        emit w->mnView->aboutToShow();
        QVERIFY(w->mnAllGrid->isChecked() && !w->mnAllGrid->isEnabled());

        // The main time grid off: the secondary item is disabled, its bit kept.
        w->mnTimeGrid->trigger();
        QCOMPARE(int(d.ViewFlags(0)), 2);
        emit w->mnView->aboutToShow();
        QVERIFY(!w->mnTimeGrid->isChecked());
        QVERIFY(w->mnTimeGrid2->isChecked());
        QVERIFY(!w->mnTimeGrid2->isEnabled());
        w->mnTimeGrid->trigger();
        QCOMPARE(int(d.ViewFlags(0)), 3);
        w->mnPrecGrid2->trigger();
        QCOMPARE(int(d.ViewFlags(1)), 1);

        w->mnNoneGrid->trigger();
        QCOMPARE(int(d.ViewFlags(0)), 0);
        QCOMPARE(int(d.ViewFlags(1)), 0);
        emit w->mnView->aboutToShow();
        QVERIFY(w->mnNoneGrid->isChecked() && !w->mnNoneGrid->isEnabled());
        QVERIFY(!w->mnPrecGrid2->isEnabled());
    }

    void scrollKeys()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        w->SetZoom(5);
        QScrollBar* h = w->SBox()->horizontalScrollBar();
        QScrollBar* v = w->SBox()->verticalScrollBar();
        h->setValue(0);
        v->setValue(0);
        QTest::keyClick(w->SBox(), Qt::Key_Right);
        QCOMPARE(h->value(), 32);
        QTest::keyClick(w->SBox(), Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(h->value(), 128);
        QTest::keyClick(w->SBox(), Qt::Key_Left);
        QCOMPARE(h->value(), 96);
        QTest::keyClick(w->SBox(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(v->value(), 96);
        QTest::keyClick(w->SBox(), Qt::Key_Up);
        QCOMPARE(v->value(), 64);
        const int vh = w->SBox()->viewport()->height(), vw = w->SBox()->viewport()->width();
        QTest::keyClick(w->SBox(), Qt::Key_PageDown);
        QCOMPARE(v->value(), 64 + vh - 32);
        QTest::keyClick(w->SBox(), Qt::Key_End);
        QCOMPARE(h->value(), 96 + vw - 32);
        QTest::keyClick(w->SBox(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(v->value(), v->maximum());
        QTest::keyClick(w->SBox(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(h->value(), 0);
        QTest::keyClick(w->SBox(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(h->value(), h->maximum());
        QTest::keyClick(w->SBox(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(v->value(), 0);
        // Keys with Shift are left to the menus.
        QTest::keyClick(w->SBox(), Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(v->value() < 32);
    }

    void cursorReadout()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        // Without a scale nothing is shown.
        host->panels[0] = QStringLiteral("x");
        QTest::mouseMove(w->Box(), QPoint(300, 200));
        QTRY_COMPARE(host->panels[0], QString());
        test::MakeDigitizedChart(w->Doc());
        TRChartInfo i = w->Doc().Info;
        i.Date = EncodeDate(2020, 3, 10);
        w->Doc().SetInfo(i);
        // x = 480 is 25.4 h: the next day at 01:24; y = PrecToY(2).
        const int y = w->Doc().Scale().PrecToY(2);
        QTest::mouseMove(w->Box(), QPoint(480, y));
        QTRY_COMPARE(host->panels[0], QStringLiteral("11/03/2020  01:24"));
        QCOMPARE(host->panels[1], QStringLiteral("2.00mm"));
        QTest::mouseMove(w->Box(), QPoint(320, y));
        QTRY_COMPARE(host->panels[0], QStringLiteral("10/03/2020  19:00"));
        // Outside the day or the -1 ... 11 mm band: empty.
        QTest::mouseMove(w->Box(), QPoint(5, y));
        QTRY_COMPARE(host->panels[0], QString());
        QCOMPARE(host->panels[1], QString());
        QTest::mouseMove(w->Box(), QPoint(320, 50));
        QTRY_COMPARE(host->panels[1], QString());
    }

    void tabletCursorAndModeIcons()
    {
        TScriptedTabletDriver driver;
        SetTabletDriver(&driver);
        QVERIFY(LoadTabletLibrary());
        TRChartFrm* w = NewChartWindow(Info(dir));
        QVERIFY(w->Tablet()->Connected());
        QCOMPARE(w->Doc().Scale().TabletRect, w->Tablet()->ContextRect());
        TSnapCursor* sprite = w->TabCursor();
        QCOMPARE(sprite->size(), QSize(21, 21));
        QVERIFY(!sprite->isVisibleTo(w));
        w->SetTabletMode(0);
        QVERIFY(sprite->isVisibleTo(w));
        // Packets of the tablet move the sprite through the scale (no fit yet: the tablet rectangle).
        driver.Send(0, 12000, 9000);
        double px = 0, py = 0;
        w->Doc().Scale().CursorPixel(12000, 9000, px, py);
        QCOMPARE(sprite->Pos(), QPoint(int(std::lround(px)), int(std::lround(py))));
        QCOMPARE(sprite->pos(), sprite->Pos() - QPoint(10, 10));
        // A double click on the mode icon swaps the mode; the entry lock stops moves.
        QLabel* icon = nullptr;
        for (QLabel* l : w->Box()->findChildren<QLabel*>())
            if (l->size() == QSize(31, 53) && l->isVisibleTo(w))
                icon = l;
        QVERIFY(icon);
        QTest::mouseDClick(icon, Qt::LeftButton);
        QCOMPARE(w->TabletMode(), 1);
        QVERIFY(!sprite->isVisibleTo(w));
        w->SetTabletMode(0);
        w->SetEntryLock(true);
        const QPoint before = sprite->pos();
        driver.Send(0, 1000, 1000);
        QCOMPARE(sprite->pos(), before);
        w->SetEntryLock(false);
        CloseAll();
        ReleaseTabletLibrary();
        SetTabletDriver(nullptr);
    }

    void saveAndCloseQuery()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        QVERIFY(w->Doc().IsModified());
        QPointer<TRChartFrm> p(w);
        msgs.SetNextAnswer(TMsgResult::Cancel);
        QVERIFY(!w->close());
        QCOMPARE(msgs.LastText(), QString::fromUtf8("Deseja salvar as alterações em %1?")
                                      .arg(QFile::decodeName(w->Doc().Info.FileName.c_str())));
        QCOMPARE(msgs.Shown().back().Buttons, TMsgButtons::YesNoCancel);
        QCOMPARE(msgs.Shown().back().Type, TMsgType::Confirmation);
        // Yes saves through the main window's command and closes.
        msgs.SetNextAnswer(TMsgResult::Yes);
        QVERIFY(w->close());
        QCOMPARE(host->saves, 1);
        QVERIFY(FileExists(Info(dir).FileName));
        QTRY_VERIFY(!p);

        // An unmodified window closes without asking.
        TRChartFrm* again = OpenChartFile(Info(dir).FileName);
        QVERIFY(again);
        msgs.Clear();
        QVERIFY(again->close());
        QCOMPARE(msgs.Count(), 0);
    }

    void failedSaveKeepsTheWindow()
    {
        QFile blocker(tmp.filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TRChartInfo i = Info(dir);
        // The station folder would have to be made where a file is.
        i.FileName = Native(tmp.filePath(QStringLiteral("blocked"))) + "/12345678/x.pvd";
        TRChartFrm* w = NewChartWindow(i);
        QVERIFY(!w->Save(w->Doc().Info.FileName));
        QCOMPARE(msgs.Shown().back().Type, TMsgType::Error);
        QVERIFY(w->Doc().IsModified());
        msgs.SetNextAnswer(TMsgResult::Yes);
        QVERIFY(!w->close());
        QVERIFY(ChartWindows().size() == 1);
        msgs.SetNextAnswer(TMsgResult::No);
        QVERIFY(w->close());
    }

    void openFindAndRegistry()
    {
        // A chart on disk, in state 3 with its scale points shown.
        {
            TRChart c;
            test::MakeDigitizedChart(c);
            c.Info.FileName = Info(dir, 12).FileName;
            c.BeginDigitizing();
            c.SaveToFile(c.Info.FileName);
        }
        QFile junk(tmp.filePath(QStringLiteral("junk.pvd")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(100, 'x'));
        junk.close();
        QCOMPARE(OpenChartFile(Native(junk.fileName())), nullptr);
        QCOMPARE(msgs.LastText(), QString::fromUtf8("O arquivo \"%1\" não foi reconhecido pelo programa.")
                                      .arg(junk.fileName()));
        QVERIFY(ChartWindows().empty());

        TRChartFrm* a = OpenChartFile(Info(dir, 12).FileName);
        QVERIFY(a);
        QCOMPARE(a->Doc().State(), int(Digitizing));
        QCOMPARE(host->panels[2], QStringLiteral("Digitalizando"));
        QCOMPARE(a->TabletMode(), 0);
        QVERIFY(!a->Doc().IsModified());
        TRChartFrm* b = NewChartWindow(Info(dir, 13));
        QTRY_COMPARE(ActiveChartWindow(), b);
        QCOMPARE(ChartWindows().back(), b);

        // Find by name, ignoring case.
        std::string upper = Info(dir, 12).FileName;
        for (char& ch : upper)
            if (ch == 'p')
                ch = 'P';
        QCOMPARE(FindChartWindow(upper), a);
        QCOMPARE(FindChartWindow(Info(dir, 14).FileName), nullptr);

        // Activation moves a window to the end of the list.
        host->area.setActiveSubWindow(a);
        QTRY_COMPARE(ActiveChartWindow(), a);
        QCOMPARE(ChartWindows().back(), a);
        QCOMPARE(ChartWindows().front(), b);
        delete a;
        QCOMPARE(ActiveChartWindow(), b);
        QCOMPARE(int(ChartWindows().size()), 1);
    }

    void toolWindowsFollowTheActiveWindow()
    {
        TFakeTool results, stat, prompt;
        struct TReset
        {
            ~TReset()
            {
                while (!ChartWindows().empty())
                    delete ChartWindows().back();
                ToolWindows() = TToolWindows{};
            }
        } reset;
        stat.visible = prompt.visible = true;
        TRChartFrm* empty = NewChartWindow(Info(dir));
        TRChartFrm* full = NewChartWindow(Info(dir, 11));
        test::MakeDigitizedChart(full->Doc());
        // Chart windows register the scale's own tool windows: stand-ins replace them here.
        ToolWindows() = {&results, &stat, &prompt};
        host->area.setActiveSubWindow(empty);
        QTRY_COMPARE(ActiveChartWindow(), empty);
        QVERIFY(!results.visible);
        host->area.setActiveSubWindow(full);
        QTRY_COMPARE(ActiveChartWindow(), full);
        QVERIFY(results.visible);
        const int reloads = results.reloads;
        SyncToolWindows();
        QCOMPARE(results.reloads, reloads + 1);
        host->area.setActiveSubWindow(empty);
        QTRY_COMPARE(ActiveChartWindow(), empty);
        QVERIFY(!results.visible);
        QVERIFY(stat.reloads > 0 && prompt.reloads > 0);
        const int single = host->singleText;
        CloseAll();
        QVERIFY(!results.visible && !stat.visible && !prompt.visible);
        QVERIFY(host->singleText > single);
    }

    void refreshAfterPreferences()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        TOptions o = Options();
        o.Buttons = {4, 5, 6, 3};
        o.Background = RGB(255, 255, 200);
        ApplyOptions(o);
        RefreshChartWindows();
        QCOMPARE(w->mnUndoLast->text(), QString::fromUtf8("Desfa&zer Último Ponto <b6>"));
        QCOMPARE(w->cmdSpill->text(), QStringLiteral("Sinalizar &Transbordamento <b7>"));
        QCOMPARE(w->Box()->Color(), QColor(255, 255, 200));
        ApplyOptions(TOptions::FileDefaults());
    }

    void controlPointNearAnotherIsRefused()
    {
        TRChartFrm* w = NewChartWindow(Info(dir));
        TRChart& d = w->Doc();
        QVERIFY(d.BeginScale());
        QVERIFY(test::AddControlPoint(d, 8, 1));
        auto* near = new TDigPoint;
        near->X = d.Scale().Items(0)->X + 10;
        near->Y = d.Scale().Items(0)->Y;
        near->SetValue(15, 6);
        QCOMPARE(d.Scale().Append(near), -1);
        delete near;
        QCOMPARE(msgs.LastText(),
                 QString::fromUtf8("O ponto de controle foi rejeitado porque já existe um outro nas proximidades."));
        QCOMPARE(d.Scale().Count(), 1);
    }
};

QTEST_MAIN(TestRChartFrm)
#include "tst_RChartFrm.moc"
