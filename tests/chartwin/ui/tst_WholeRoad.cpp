// The whole road of a pluviogram through the main window, as the operator
// walks it: "&Novo Pluviograma..." and the properties dialog, the scale
// dialog, control points marked with the tablet (a predefined set on a curved
// chart, typed coordinates on a straight one), conclusion, digitizing with
// insertions, overflow and failure marks, finishing, saving under the name
// made from station code and date, the recent-files entry, and reopening from
// it. The saved file is read back with the document's own reader and the
// results window's copied text is compared line by line. A third chart is traced
// automatically from a scan in "Mesa Virtual", saved with its scan link and
// reopened with the scan shown again.

#include "chartwin/ScanDesk.h"
#include "chartwin/uRChartWnd.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "common/uGlobal.h"
#include "document/uRChart.h"
#include "scale/uCoordsList.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleDlg.h"
#include "scale/ui/uScaleStat.h"
#include "scale/ui/uScaleTools.h"
#include "shell/uLastFiles.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "tablet/ui/VirtualTablet.h"
#include "ui_support/FakeServicesScope.h"
#include "ui_support/TestScan.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>

using namespace rs;

namespace {

QString U(const char* s) { return QString::fromUtf8(s); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Bumped after every test, so a wait left over from one test never acts in the next.
int gModalGeneration = 0;

// Runs action on the next modal dialog of type T as soon as it is up; a
// dialog still open afterwards (a failed check) is cancelled.
template <class T>
void OnNextModal(std::function<void(T*)> action, int tries = 400, int generation = -1)
{
    if (generation < 0)
        generation = gModalGeneration;
    QTimer::singleShot(5, [action, tries, generation] {
        if (generation != gModalGeneration)
            return;
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (w && w->isVisible()) {
            action(w);
            if (w->isVisible())
                w->reject();
        } else if (tries > 0)
            OnNextModal<T>(action, tries - 1, generation);
    });
}

// A number as the program shows it, with the process's decimal separator.
QString Num(const char* format, double v) { return Q(FormatNum(format, v)); }

struct THeader
{
    const char* Name;
    const char* Code;
    const char* Date; // dd/mm/yyyy
    int Hour;
    bool Linear;
    const char* PTot;
};

} // namespace

class TestWholeRoad : public QObject
{
    Q_OBJECT

    QTemporaryDir FTmp;
    std::string FDir;
    std::unique_ptr<TFakeServicesScope> FFakes;
    std::unique_ptr<TScriptedTabletDriver> FDriver;
    std::unique_ptr<TMainFrm> FMain;

    std::string DataDir() const { return FDir + "data/"; }

    // Tablet counts of a chart value on a tablet whose counts map onto chart
    // values (400 per hour, 300 per mm; the curved chart's arc shifts X). A curve
    // point is aimed two counts (18 s) late, more than the fit's rounding, so its
    // time is never read a hair below the minute aimed at ("hh:mm" drops seconds).
    static QPoint Tablet(double t, double p, bool linear, int hour, int late = 0)
    {
        const double u = linear ? t : t + (p - 5) * (p - 5) / 72.0;
        return {int(std::lround((u - hour) * 400 + 500)) + late, int(std::lround(p * 300 + 1000))};
    }

    TRChartFrm* Active() const { return ActiveChartWindow(); }

    void Click(double t, double p, int button = 0)
    {
        TRChartFrm* w = Active();
        QVERIFY(w);
        const bool digitizing = w->Doc().State() == Digitizing;
        const QPoint at = Tablet(t, p, w->Doc().Info.Linear, w->Doc().Info.Hour, digitizing ? 2 : 0);
        FDriver->Send(0, at.x(), at.y());
        FDriver->PressButton(button, at.x(), at.y());
        FDriver->ReleaseButton(button, at.x(), at.y());
    }

    // "&Novo Pluviograma..." answered in the properties dialog.
    void NewChart(const THeader& h)
    {
        bool answered = false;
        OnNextModal<QDialog>([&](QDialog* dlg) {
            QCOMPARE(dlg->windowTitle(), U("Propriedades do Novo Pluviograma"));
            auto field = [dlg](const char* name) { return dlg->findChild<QLineEdit*>(QString::fromLatin1(name)); };
            field("edName")->setText(U(h.Name));
            QLineEdit* code = field("edCode");
            code->clear();
            QTest::keyClicks(code, QString::fromLatin1(h.Code));
            QLineEdit* date = field("edDate");
            date->setFocus();
            date->selectAll();
            date->setText(QString::fromLatin1(h.Date));
            dlg->findChild<QComboBox*>(QStringLiteral("cbAxis"))->setCurrentIndex(h.Linear ? 0 : 1);
            dlg->findChild<QComboBox*>(QStringLiteral("cbHour"))->setCurrentIndex(h.Hour - 7);
            QLineEdit* ptot = field("edPTot");
            ptot->clear();
            QTest::keyClicks(ptot, QString::fromLatin1(h.PTot));
            field("edOpName")->setText(U("Operadora Ana"));
            dlg->findChild<QPlainTextEdit*>(QStringLiteral("mmNotes"))->setPlainText(U("Leitura às 8h\nsem falhas"));
            dlg->findChild<QPushButton*>(QStringLiteral("btOK"))->click();
            answered = true;
        });
        const int before = int(ChartWindows().size());
        FMain->FileNew->trigger();
        QVERIFY(answered);
        QCOMPARE(int(ChartWindows().size()), before + 1);
        QTRY_VERIFY(Active() == ChartWindows().back());
        QCOMPARE(FFakes->Messages.Count(), 0);
    }

    // "&Definir Escala...": a predefined set by its name, or typed coordinates.
    void DefineScale(const QString& setName)
    {
        OnNextModal<TScaleDlg>([setName](TScaleDlg* dlg) {
            if (setName.isEmpty())
                dlg->rbCoordsDuring->setChecked(true);
            else {
                dlg->rbCoordDefauls->setChecked(true);
                const int i = dlg->cbSetPoints->findText(setName);
                QVERIFY2(i >= 0, qPrintable(setName));
                dlg->cbSetPoints->setCurrentIndex(i);
            }
            dlg->btOk->click();
        });
        QVERIFY(Active()->mnDefScale->isEnabled());
        Active()->mnDefScale->trigger();
        QCOMPARE(Active()->Doc().State(), int(DefiningScale));
        QCOMPARE(Active()->TabletMode(), 0);
    }

    // A control point marked at chart value (t, p) and typed into the coordinate dialog.
    void ClickTyped(double t, double p, const QString& text)
    {
        bool answered = false;
        OnNextModal<TCtrlPtCoord>([&](TCtrlPtCoord* dlg) {
            QTest::keyClicks(dlg->edCoords, text);
            QVERIFY(dlg->btOk->isEnabled());
            QTest::keyClick(dlg->edCoords, Qt::Key_Return);
            answered = true;
        });
        Click(t, p);
        QVERIFY(answered);
    }

    void Conclude()
    {
        TRChartFrm* w = Active();
        QVERIFY(w->Doc().Scale().Valid);
        QVERIFY(w->mnFinishScale->isEnabled());
        w->mnFinishScale->trigger();
        QCOMPARE(FFakes->Messages.Count(), 0);
        QVERIFY(w->Doc().Scale().Concluded);
        QCOMPARE(w->Doc().State(), int(Idle));
        QCOMPARE(w->TabletMode(), 1);
    }

    void StartDigitizing()
    {
        TRChartFrm* w = Active();
        QVERIFY(w->mnDigCurve->isEnabled());
        w->mnDigCurve->trigger();
        QCOMPARE(w->Doc().State(), int(Digitizing));
        QCOMPARE(w->TabletMode(), 0);
        QTRY_VERIFY(ResultFrm()->isVisible());
    }

    // "Selecionar &Tudo" and "&Copiar Células" from the keyboard in "Pontos Digitalizados".
    QString CopiedResults()
    {
        TResultFrm* r = ResultFrm();
        if (!r->isVisible())
            return QStringLiteral("<hidden>");
        r->activateWindow();
        if (!QTest::qWaitForWindowActive(r))
            return QStringLiteral("<not active>");
        FFakes->Clipboard.Clear();
        QTest::keyClick(r->Grid(), Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(r->Grid(), Qt::Key_C, Qt::ControlModifier);
        return FFakes->Clipboard.Text();
    }

    // Finishes, saves with "&Salvar" and checks the file name and the recent entry.
    std::string FinishAndSave(const char* fileName)
    {
        TRChartFrm* w = Active();
        w->mnEndDigit->trigger();
        if (w->Doc().State() != Idle)
            return "not idle";
        const std::string path = DataDir() + "12345678/" + fileName;
        if (w->Doc().Info.FileName != path)
            return "file name " + w->Doc().Info.FileName;
        FMain->IdleUpdate();
        if (!FMain->FileSave->isEnabled())
            return "save disabled";
        FMain->FileSave->trigger();
        if (!FileExists(path) || w->Doc().IsModified())
            return "not saved";
        if (FMain->LastFiles()->Count() < 1 || FMain->LastFiles()->FileName(0) != path)
            return "not first in the recent files";
        return path;
    }

    // Closes the active window and opens the file again from the "&Arquivo" menu's recent entry.
    TRChartFrm* ReopenFromRecent(const std::string& path)
    {
        FMain->FileClose->trigger();
        for (int i = 0; i < 100 && !ChartWindows().empty(); ++i)
            QTest::qWait(20);
        if (!ChartWindows().empty() || FFakes->Messages.Count() != 0) // a saved chart closes without asking
            return nullptr;
        const QList<QAction*> acts = FMain->mnFile->actions();
        const int exit = int(acts.indexOf(FMain->FileExit));
        if (exit < 0 || exit + 2 >= acts.size() || !acts.at(exit + 1)->isSeparator())
            return nullptr;
        QAction* recent = acts.at(exit + 2);
        if (recent->text() != U("&1 ") + Q(ExtractFileName(path)))
            return nullptr;
        recent->trigger();
        QCoreApplication::processEvents();
        if (ChartWindows().size() != 1)
            return nullptr;
        TRChartFrm* w = ChartWindows().front();
        QTest::qWait(20);
        return w->Doc().Info.FileName == path ? w : nullptr;
    }

    // Everything of the curve as text: time, reading, accumulated value and mark per point.
    static QStringList CurveRows(const TRChart& d)
    {
        QStringList rows;
        const TCurve& c = d.Curve();
        for (int i = 0; i < c.Count(); ++i) {
            const TDigPoint* p = c.Items(i);
            rows << Q(FormatNum("%.6f", p->Time()) + " " + FormatNum("%.6f", p->Prec()) + " " +
                      FormatNum("%.6f", p->Accumulated) + " " + std::to_string(p->Mark()));
        }
        return rows;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FTmp.isValid());
        FDir = QFile::encodeName(FTmp.path()).toStdString() + "/";
        SetAppFolderForTesting(FDir + "app/");
        ForceDirectories(FDir + "app/");
        SetConfigFolderForTesting(FDir + "config/");
        ForceDirectories(DataDir());
        // The data folder and a seven-point set for curved charts, as a user's files hold them.
        {
            std::ofstream ini(IniFileName(), std::ios::binary);
            ini << "[Pasta de Dados Recentes]\r\n1=" << FDir << "data\r\n";
        }
        TCoordsList sets;
        TCoordSet& curved = sets.Add("Curvo 7 pontos");
        for (auto [t, p] : {std::pair{7.0, 0.0}, {13.0, 2.0}, {19.0, 5.0}, {25.0, 8.0}, {31.0, 10.0},
                            {10.0, 10.0}, {16.0, 3.0}})
            curved.Points.push_back({t, p, kCoordComplete});
        QVERIFY(sets.SaveToFile(PointSetsFileName()));

        FFakes = std::make_unique<TFakeServicesScope>();
        SelectNoTabletDriver(false);
        FDriver = std::make_unique<TScriptedTabletDriver>();
        SetTabletDriver(FDriver.get());
        FMain = std::make_unique<TMainFrm>();
        FMain->CreateForms();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        QTRY_VERIFY(TabletAvailable()); // the first activation loads the tablet
        QCOMPARE(FFakes->Messages.Count(), 0);
        QCOMPARE(Q(DataFolder()), Q(DataDir()));
        QVERIFY(DigOptions().ChronologicalOrder);
        QVERIFY(DigOptions().RoundToZero);
        QCOMPARE(Options().InsertButton(), 0);
        QCOMPARE(Options().DeleteButton(), 1);
        QCOMPARE(Options().OverflowButton(), 2);
    }

    void cleanup()
    {
        ++gModalGeneration;
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        FFakes->Messages.Clear();
        FFakes->Beeper.Reset();
        FFakes->Keyboard.SetModifiers({});
        QApplication::processEvents();
    }

    void cleanupTestCase()
    {
        FMain.reset();
        ReleaseTabletLibrary();
        FDriver.reset();
        FFakes.reset();
        SetAppFolderForTesting("");
        SetConfigFolderForTesting("");
    }

    // (a) A curved 8 h chart, its scale from the seven-point set.
    void curvedChartFromAPredefinedSet()
    {
        NewChart({"Estação Serra", "12345678", "10/03/2024", 8, false, ""});
        TRChartFrm* w = Active();
        TRChart& d = w->Doc();
        QCOMPARE(d.State(), int(AwaitingScale));
        QCOMPARE(int(d.Info.Hour), 8);
        QVERIFY(!d.Info.Linear);
        QCOMPARE(d.Info.StName, std::string("Esta\xE7\xE3o Serra"));
        QCOMPARE(d.Info.Notes, std::string("Leitura \xE0s 8h\r\nsem falhas"));
        QCOMPARE(d.Info.FileName, DataDir() + "12345678/12345678-20240310.pvd");

        DefineScale(U("Curvo 7 pontos"));
        TScale& s = d.Scale();
        TMsgPt* prompt = MsgPt();
        QVERIFY(prompt->isVisible());
        QCOMPARE(prompt->lbPtNo->text(), U("1/7:"));
        QCOMPARE(prompt->lbCoords->text(), U("8; 0")); // the set's 7 h is 8 h on this chart
        // The set's times are shifted by the chart's start hour.
        const std::pair<double, double> set[] = {{8, 0}, {14, 2}, {20, 5}, {26, 8}, {32, 10}, {11, 10}, {17, 3}};
        for (int i = 0; i < 7; ++i) {
            Click(set[i].first, set[i].second);
            QCOMPARE(s.Count(), i + 1);
            QCOMPARE(s.Items(i)->Time(), set[i].first);
            QCOMPARE(s.Valid != 0, i == 6); // seven points on a curved chart
        }
        QCOMPARE(FFakes->Beeper.Count(), 0);
        QCOMPARE(FFakes->Messages.Count(), 0);
        QVERIFY(!prompt->isVisible());
        // The statistics window copies from the keyboard too (its Ctrl+T is also the chart menu's).
        QWidget* stat = ScaleStatFrm();
        QVERIFY(stat->isVisible());
        stat->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(stat));
        FFakes->Clipboard.Clear();
        QWidget* statFocus = stat->focusWidget() ? stat->focusWidget() : stat;
        QTest::keyClick(statFocus, Qt::Key_T, Qt::ControlModifier);
        QTest::keyClick(statFocus, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(FFakes->Clipboard.SetCount(), 1);
        QVERIFY(FFakes->Clipboard.Text().count(U("\r\n")) >= 8);
        QVERIFY(DigOptions().ChronologicalOrder); // the chart menu's Ctrl+T did not run
        TResiduals r;
        QVERIFY(s.MaxResiduals(r));
        QVERIFY(std::abs(r.Time) < 2e-3 && std::abs(r.Prec) < 1e-6);
        Conclude();

        StartDigitizing();
        TCurve& c = d.Curve();
        Click(8.0, 0.3); // rounded to zero
        FFakes->Keyboard.SetShift(true);
        Click(8.5, 0.3); // Shift: kept
        FFakes->Keyboard.SetShift(false);
        Click(9.0, 2.0);
        Click(10.0, 5.0);  // a peak of exactly 5.0 mm
        Click(0, 0, 2);    // and its return to zero by the overflow button
        QCOMPARE(FFakes->Beeper.Count(), 0);
        QCOMPARE(c.Count(), 5);
        QCOMPARE(c.Last()->Time(), c.Items(3)->Time() + 0.001);
        QCOMPARE(c.Last()->Prec(), 0.0);
        // The operator's mark makes the 5.0 mm drop an overflow: its amount is carried on.
        QVERIFY(std::abs(c.Items(3)->Prec() - 5.0) < 1e-9);
        QCOMPARE(c.Items(3)->Mark(), 1);
        QCOMPARE(c.Peaks, 1);
        QVERIFY(std::abs(c.Last()->Accumulated - 5.0) < 1e-9);
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        Click(12.0, 3.0);
        QVERIFY(std::abs(c.Last()->Accumulated - 8.0) < 1e-6);

        // Out of order with Ctrl: put at its place, then taken back by the delete button.
        FFakes->Keyboard.SetCtrl(true);
        Click(11.0, 1.0);
        FFakes->Keyboard.SetCtrl(false);
        QCOMPARE(c.Count(), 7);
        QVERIFY(std::abs(c.Items(5)->Time() - 11.0) < 0.01);
        QCOMPARE(ResultFrm()->CellText(2, 6), U("11:00"));
        Click(11.5, 1.0); // without Ctrl: before the last point, refused
        QCOMPARE(c.Count(), 7);
        Click(0, 0, 1);
        QCOMPARE(c.Count(), 6);
        QVERIFY(std::abs(c.Last()->Time() - 12.0) < 0.01);
        QCOMPARE(ResultFrm()->PanelText(1), U("6"));

        Click(20.0, 7.5);
        w->mnAddFail->trigger(); // the failure on the last point
        QCOMPARE(FFakes->Messages.Count(), 0);
        QCOMPARE(c.Last()->Mark(), 2);
        // The overflow button on the failure: refused with a beep, the failure kept.
        QVERIFY(!w->cmdSpill->isEnabled());
        Click(0, 0, 2);
        QCOMPARE(FFakes->Beeper.Count(), 1);
        QCOMPARE(c.Count(), 7);
        QCOMPARE(c.Last()->Mark(), 2);
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        Click(22.0, 1.0);
        Click(26.5, 2.0); // past 24 h: the next day
        Click(31.5, 2.5);
        QCOMPARE(c.Count(), 10);
        QCOMPARE(c.Peaks, 1);
        QCOMPARE(c.Failures, 1);
        QVERIFY(std::abs(c.Sum - 15.0) < 1e-6);
        QCOMPARE(ResultFrm()->PanelText(3), U(" P = ±") + Num("%.1f", 15.0) + U(" mm"));

        const QString sep = Num("%.1f", 0.5).mid(1, 1);
        auto line = [&sep](const char* day, const char* hour, const char* prec, const char* total) {
            return QString::fromLatin1("%1\t%2\t%3\t%4\r\n")
                .arg(QString::fromLatin1(day), QString::fromLatin1(hour), QString::fromLatin1(prec).replace('.', sep),
                     QString::fromLatin1(total).replace('.', sep));
        };
        const QString expected = U("Dia\tHora\tPrec\tTotal\r\n") + line("10/03/2024", "08:00", "0.00", "0.00") +
                                 line("10/03/2024", "08:30", "0.30", "0.30") +
                                 line("10/03/2024", "09:00", "2.00", "2.00") +
                                 line("10/03/2024", "10:00", "5.00", "5.00") +
                                 line("10/03/2024", "10:00", "0.00", "5.00") +
                                 line("10/03/2024", "12:00", "3.00", "8.00") +
                                 line("10/03/2024", "20:00", "7.50", "12.50") +
                                 line("10/03/2024", "22:00", "1.00", "1.00") +
                                 line("11/03/2024", "02:30", "2.00", "2.00") +
                                 line("11/03/2024", "07:30", "2.50", "2.50");
        QCOMPARE(CopiedResults(), expected);

        const std::string path = FinishAndSave("12345678-20240310.pvd");
        QCOMPARE(Q(path), Q(DataDir() + "12345678/12345678-20240310.pvd"));
        const QStringList rows = CurveRows(d);

        // The file through the document's own readers.
        TRChartInfo summary;
        QVERIFY(TRChart::ReadSummary(path, summary));
        QCOMPARE(summary.StCode, std::string("12345678"));
        QCOMPARE(summary.Date, EncodeDate(2024, 3, 10));
        QCOMPARE(int(summary.Hour), 8);
        QVERIFY(!summary.Linear);
        QVERIFY(std::abs(summary.Total - 2.5) < 1e-6); // the last stretch after the failure
        TDaySum day;
        QVERIFY(TRChart::ReadSummary(path, summary, &day));
        QVERIFY(std::abs(day.Sum - 15.0) < 1e-6 && day.Approximate); // what "P = ±15" says
        TRChart loaded;
        QVERIFY(loaded.LoadFromFile(path));
        QCOMPARE(loaded.State(), int(Idle));
        QVERIFY(loaded.Scale().Concluded);
        QCOMPARE(loaded.Scale().Count(), 7);
        QCOMPARE(CurveRows(loaded), rows);
        QCOMPARE(loaded.Curve().Peaks, 1);
        QCOMPARE(loaded.Curve().Failures, 1);

        TRChartFrm* again = ReopenFromRecent(path);
        QVERIFY(again);
        QCOMPARE(again->Doc().State(), int(Idle));
        QCOMPARE(again->TabletMode(), 1);
        QVERIFY(again->Doc().Scale().Concluded);
        QVERIFY(!again->Doc().IsModified());
        QCOMPARE(CurveRows(again->Doc()), rows);
        QCOMPARE(again->Doc().Info.Notes, std::string("Leitura \xE0s 8h\r\nsem falhas"));
        QCOMPARE(again->Doc().Info.OpName, std::string("Operadora Ana"));
        QTRY_VERIFY(ResultFrm()->isVisible());
        QCOMPARE(CopiedResults(), expected);
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        QCOMPARE(FMain->LastFiles()->Count(), 1);
    }

    // (c) The observer empties the gauge by hand; an overflow is signalled and its return deleted.
    void gaugeEmptiedByHandAndADeletedReturn()
    {
        NewChart({"Estação Vale", "12345678", "12/03/2024", 7, true, "0"});
        TRChartFrm* w = Active();
        DefineScale(QString());
        ClickTyped(8, 0, U("8 0"));
        ClickTyped(14, 5, U("14 5"));
        ClickTyped(20, 10, U("20 10"));
        ClickTyped(26, 2, U("2 2"));
        ClickTyped(30.5, 8, U("6.5 8"));
        Conclude();
        StartDigitizing();
        TCurve& c = w->Doc().Curve();
        Click(8.0, 0.0);
        Click(18.5, 2.2);
        // Below the siphon's 5 mm the command asks; "&Não" leaves the curve as it was.
        QVERIFY(w->cmdSpill->isEnabled());
        FFakes->Messages.SetNextAnswer(TMsgResult::No);
        Click(0, 0, 2);
        QCOMPARE(FFakes->Messages.Count(), 1);
        QCOMPARE(FFakes->Messages.Shown().back().Type, TMsgType::Confirmation);
        QVERIFY(FFakes->Messages.LastText().contains(U("esvaziado pelo observador")));
        QCOMPARE(c.Count(), 2);
        FFakes->Messages.SetNextAnswer(TMsgResult::Yes);
        Click(0, 0, 2);
        QCOMPARE(FFakes->Beeper.Count(), 0);
        QCOMPARE(c.Count(), 3);
        QCOMPARE(c.Items(1)->Mark(), 1);
        Click(20.0, 1.0);
        QVERIFY(std::abs(c.Sum - 3.2) < 1e-6); // the 2.2 mm emptied are carried on
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        QVERIFY(ResultFrm()->DropWarningText().isEmpty());

        // The same kind of drop without the command: the results window points it out.
        Click(21.0, 2.0);
        Click(21.5, 0.5);
        QVERIFY(ResultFrm()->DropWarningText().contains(Num("%.1f", 1.5) + U(" mm sem marca")));
        Click(0, 0, 1); // taken back
        QVERIFY(ResultFrm()->DropWarningText().isEmpty());

        // An overflow whose return is deleted: the peak no longer carries its reading.
        Click(22.0, 6.0);
        w->cmdSpill->trigger();
        QCOMPARE(c.Peaks, 2);
        Click(23.0, 7.0);
        const int ret = c.Count() - 2;
        // A row chosen in the results window enables the command at once, before
        // any idle pass or menu (its key is pressed right away).
        QVERIFY(!w->mnDelSelPt->isEnabled());
        ResultFrm()->MakeCurrent(ret + 1);
        QCOMPARE(c.SelectedIndex(), ret);
        QVERIFY(w->mnDelSelPt->isEnabled());
        w->mnDelSelPt->trigger();
        QCOMPARE(c.Items(ret - 1)->Mark(), 0);
        QCOMPARE(c.Peaks, 1);
        QVERIFY(std::abs(c.Sum - 9.2) < 1e-6); // 2.2 carried, then 7.0 read
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        QCOMPARE(FFakes->Messages.Count(), 2);
        // Likewise a point clicked on the chart, and no point left selected.
        QVERIFY(!w->mnDelSelPt->isEnabled());
        c.PointClicked(c.Items(1));
        QVERIFY(w->mnDelSelPt->isEnabled() && w->mnSelPrev->isEnabled());
        c.Select(nullptr);
        QVERIFY(!w->mnDelSelPt->isEnabled());
    }

    // (b) A straight 7 h chart, its scale from free points with typed coordinates.
    void straightChartFromTypedPoints()
    {
        NewChart({"Estação Vale", "12345678", "11/03/2024", 7, true, "20"});
        TRChartFrm* w = Active();
        TRChart& d = w->Doc();
        QVERIFY(d.Info.Linear);
        QCOMPARE(int(d.Info.Hour), 7);
        QCOMPARE(d.Info.PTot, 20.0);

        DefineScale(QString());
        TScale& s = d.Scale();
        QCOMPARE(int(s.CoordMode), 1);
        QVERIFY(!MsgPt()->isVisible());
        ClickTyped(8, 0, U("8 0"));
        ClickTyped(14, 5, U("14/5"));
        ClickTyped(20, 10, U("20;10"));
        ClickTyped(26, 2, U("2 2")); // 2 h of the next day
        QVERIFY(!s.Valid);
        ClickTyped(30.5, 8, U("6.5 8"));
        QCOMPARE(s.Count(), 5);
        QCOMPARE(s.Items(3)->Time(), 26.0);
        QCOMPARE(s.Items(4)->Time(), 30.5);
        QVERIFY(s.Valid);
        QVERIFY(!w->EntryLock());
        Conclude();

        StartDigitizing();
        TCurve& c = d.Curve();
        Click(7.0, 0.0);
        Click(9.0, 4.0);
        Click(11.0, 9.2);
        w->cmdSpill->trigger(); // the overflow from the tool bar's action
        Click(13.0, 2.0);
        Click(15.0, 8.0);
        Click(15.5, 1.0); // a drop of 7 mm: an overflow without the mark
        Click(30.0, 2.5);
        QCOMPARE(c.Count(), 8);
        QCOMPARE(c.Peaks, 2);
        QCOMPARE(c.Failures, 0);
        QVERIFY(std::abs(c.Sum - 19.7) < 1e-6);
        QCOMPARE(ResultFrm()->PanelText(2), U("2 picos"));
        QCOMPARE(ResultFrm()->PanelText(3), U(" P = ") + Num("%.1f", 19.7) + U(" mm"));
        QCOMPARE(ResultFrm()->CellText(1, 8), U("12/03/2024"));
        QCOMPARE(ResultFrm()->CellText(2, 8), U("06:00"));
        const QString copied = CopiedResults();
        QCOMPARE(copied.count(U("\r\n")), 9);
        QVERIFY(copied.endsWith(U("12/03/2024\t06:00\t") + Num("%.2f", 2.5) + U("\t") + Num("%.2f", 19.7) +
                                U("\r\n")));

        const std::string path = FinishAndSave("12345678-20240311.pvd");
        QCOMPARE(Q(path), Q(DataDir() + "12345678/12345678-20240311.pvd"));
        const QStringList rows = CurveRows(d);
        TRChartInfo summary;
        QVERIFY(TRChart::ReadSummary(path, summary));
        QVERIFY(summary.Linear);
        QCOMPARE(int(summary.Hour), 7);
        QCOMPARE(summary.PTot, 20.0);
        QVERIFY(std::abs(summary.Total - 19.7) < 1e-6);
        TRChart loaded;
        QVERIFY(loaded.LoadFromFile(path));
        QCOMPARE(CurveRows(loaded), rows);
        QCOMPARE(int(loaded.Scale().CoordMode), 1);

        // Both charts are in the recent files, this one first.
        QCOMPARE(FMain->LastFiles()->Count(), 2);
        QCOMPARE(Q(FMain->LastFiles()->FileName(1)), Q(DataDir() + "12345678/12345678-20240310.pvd"));
        TRChartFrm* again = ReopenFromRecent(path);
        QVERIFY(again);
        QCOMPARE(again->Doc().State(), int(Idle));
        QCOMPARE(CurveRows(again->Doc()), rows);
        QCOMPARE(again->Doc().Curve().Peaks, 2);
        QCOMPARE(CopiedResults(), copied);

        // The settings file keeps both entries for the next run.
        FMain.reset();
        TLastFiles stored(IniFileName());
        stored.Load();
        QCOMPARE(stored.Count(), 2);
        QCOMPARE(Q(stored.FileName(0)), Q(path));
    }

    // (c) A straight 7 h chart traced from a scan: the scale marked on the scan in
    // "Mesa Virtual", "Traçar &Automaticamente", saved with the link to its scan.
    void tracedChartFromAScan()
    {
        FMain = std::make_unique<TMainFrm>(); // (b) closed the program
        FMain->CreateForms();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        TVirtualTablet* vt = ScanTablet();
        QVERIFY(vt);
        ForceDirectories(FDir + "scans/");
        const std::string scan = FDir + "scans/rio 12-03.png";
        QVERIFY(test::TTestScan{}.Draw(test::OneSiphonDay()).save(Q(scan)));
        QVERIFY(vt->LoadImage(Q(scan)));

        NewChart({"Estação Rio", "12345678", "12/03/2024", 7, true, ""});
        TRChartFrm* w = Active();
        TRChart& d = w->Doc();
        QVERIFY(!w->mnAutoTrace->isEnabled()); // no scale yet
        DefineScale(QString());
        ClickTyped(8, 0, U("8 0"));
        ClickTyped(14, 5, U("14 5"));
        ClickTyped(20, 10, U("20 10"));
        ClickTyped(26, 2, U("2 2"));
        ClickTyped(30.5, 8, U("6.5 8"));
        Conclude();
        QCOMPARE(Q(w->ScanLink().Scan), Q(scan));

        FMain->IdleUpdate();
        QVERIFY(w->mnAutoTrace->isEnabled());
        w->mnAutoTrace->trigger();
        QCOMPARE(FFakes->Messages.Count(), 0);
        QCOMPARE(d.State(), int(Digitizing));
        QCOMPARE(d.Curve().Peaks, 1);
        QVERIFY2(std::abs(d.Curve().Sum - 12.6) < 0.2, qPrintable(QString::number(d.Curve().Sum)));
        QTRY_VERIFY(ResultFrm()->isVisible());
        QCOMPARE(ResultFrm()->PanelText(2), U("1 pico"));
        // The operator corrects with the usual commands: a last point at the end of the day.
        Click(31.0, 2.8);

        const std::string path = FinishAndSave("12345678-20240312.pvd");
        QCOMPARE(Q(path), Q(DataDir() + "12345678/12345678-20240312.pvd"));
        const QStringList rows = CurveRows(d);
        TScanLink link;
        QVERIFY(ReadScanLink(path, link));
        QCOMPARE(Q(link.Scan), Q(scan));
        QVERIFY(link.Traced);
        QVERIFY(link.Reviewed); // saved from its window
        QVERIFY(ScanLinkMatchesChart(path, link));
        std::ifstream side(ScanLinkFileName(path));
        const std::string json((std::istreambuf_iterator<char>(side)), std::istreambuf_iterator<char>());
        QVERIFY2(json.find("../../scans/rio 12-03.png") != std::string::npos, json.c_str());

        vt->ClearImage();
        TRChartFrm* again = ReopenFromRecent(path);
        QVERIFY(again);
        QCOMPARE(CurveRows(again->Doc()), rows);
        QVERIFY(again->ScanLink().Reviewed);
        QTRY_COMPARE(vt->ImagePath(), Q(scan)); // the scan is shown again
        QVERIFY(ScanIsShown(again->ScanLink()));
    }
};

QTEST_MAIN(TestWholeRoad)
#include "tst_WholeRoad.moc"
