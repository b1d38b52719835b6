// Charts edited after they were begun, through the main window as the operator
// does it: a chart turned dry and back to precipitation goes on to digitizing, a
// dry chart follows its new start hour and ignores the offset, a curve whose
// every point was undone shows and stores no rain, a new chart keeps its control
// points hidden until its scale is defined, and the coordinate dialog's picture
// gives the chart's last half hour as its last hour.

#include "chartwin/ChartImage.h"
#include "chartwin/uRChartWnd.h"
#include "chartwin/uResultFrm.h"
#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "document/ui/PropertyEdits.h"
#include "document/uRChart.h"
#include "scale/ui/uReadCtrlPt.h"
#include "scale/ui/uScaleDlg.h"
#include "shell/ui/uMain.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"
#include "tablet/TabletDriver.h"
#include "ui_support/FakeServicesScope.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
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
QString Num(const char* format, double v) { return QString::fromStdString(FormatNum(format, v)); }

int gModalGeneration = 0;

// Runs action on the next modal dialog of type T as soon as it is up; a dialog
// still open afterwards (a failed check) is cancelled.
template <class T> void OnNextModal(std::function<void(T*)> action, int tries = 400, int generation = -1)
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

} // namespace

class TestEditedCharts : public QObject
{
    Q_OBJECT

    QTemporaryDir FTmp;
    std::string FDir;
    std::unique_ptr<TFakeServicesScope> FFakes;
    std::unique_ptr<TScriptedTabletDriver> FDriver;
    std::unique_ptr<TMainFrm> FMain;

    std::string DataDir() const { return FDir + "data/"; }
    TRChartFrm* Active() const { return ActiveChartWindow(); }

    // A straight 7 h chart on a tablet of 400 counts per hour and 300 per mm;
    // curve points are aimed two counts late so that their minute is never read short.
    void Click(double t, double p)
    {
        const bool late = Active()->Doc().State() == Digitizing;
        const int x = int(std::lround((t - 7) * 400 + 500)) + (late ? 2 : 0);
        const int y = int(std::lround(p * 300 + 1000));
        FDriver->Send(0, x, y);
        FDriver->PressButton(0, x, y);
        FDriver->ReleaseButton(0, x, y);
    }

    // "&Novo Pluviograma..." for a straight 7 h chart of the given kind.
    void NewChart(const char* date, int kind)
    {
        OnNextModal<QDialog>([&](QDialog* dlg) {
            dlg->findChild<QLineEdit*>(QStringLiteral("edName"))->setText(U("Estação Vale"));
            auto* code = dlg->findChild<QLineEdit*>(QStringLiteral("edCode"));
            code->clear();
            QTest::keyClicks(code, QStringLiteral("12345678"));
            dlg->findChild<QLineEdit*>(QStringLiteral("edDate"))->setText(QString::fromLatin1(date));
            dlg->findChild<QComboBox*>(QStringLiteral("cbKind"))->setCurrentIndex(kind);
            dlg->findChild<QPushButton*>(QStringLiteral("btOK"))->click();
        });
        FMain->FileNew->trigger();
        QTRY_VERIFY(Active() && Active()->Doc().Info.Kind == kind);
        QCOMPARE(FFakes->Messages.Count(), 0);
    }

    // "Propri&edades..." of the active chart, changed by edit and confirmed.
    void EditProperties(const std::function<void(QDialog*)>& edit)
    {
        bool answered = false;
        OnNextModal<QDialog>([&](QDialog* dlg) {
            edit(dlg);
            dlg->findChild<QPushButton*>(QStringLiteral("btOK"))->click();
            answered = !dlg->isVisible();
        });
        FMain->IdleUpdate();
        FMain->FileProp->trigger();
        QVERIFY2(answered, qPrintable(FFakes->Messages.Texts().join(U(" | "))));
        QApplication::processEvents();
    }

    // A control point: the coordinates typed, or (text empty) taken from a click on the dialog's picture.
    void ControlPoint(double t, double p, const QString& text, const QString& shown = QString())
    {
        bool answered = false;
        OnNextModal<TCtrlPtCoord>([&](TCtrlPtCoord* dlg) {
            if (text.isEmpty())
                emit dlg->ChartImg->ValueClicked(p, t);
            else
                QTest::keyClicks(dlg->edCoords, text);
            if (!shown.isEmpty())
                QCOMPARE(dlg->edCoords->text(), shown);
            QVERIFY(dlg->btOk->isEnabled());
            dlg->btOk->click();
            answered = true;
        });
        Click(text.isEmpty() ? std::round(t) : t, p); // the picture is only near; the tablet is exact
        QVERIFY(answered);
    }

    std::string Save()
    {
        FMain->IdleUpdate();
        FMain->FileSave->trigger();
        return Active()->Doc().Info.FileName;
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
        {
            std::ofstream ini(IniFileName(), std::ios::binary);
            ini << "[Pasta de Dados Recentes]\r\n1=" << FDir << "data\r\n";
        }
        FFakes = std::make_unique<TFakeServicesScope>();
        SelectNoTabletDriver(false);
        FDriver = std::make_unique<TScriptedTabletDriver>();
        SetTabletDriver(FDriver.get());
        FMain = std::make_unique<TMainFrm>();
        FMain->CreateForms();
        FMain->show();
        QVERIFY(QTest::qWaitForWindowExposed(FMain.get()));
        QTRY_VERIFY(TabletAvailable());
    }

    void cleanup()
    {
        ++gModalGeneration;
        while (!ChartWindows().empty())
            delete ChartWindows().back();
        FFakes->Messages.Clear();
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

    void dryAndBackGoesOnToDigitizing()
    {
        NewChart("11/03/2024", 0);
        TRChartFrm* w = Active();
        TRChart& d = w->Doc();
        QVERIFY(!d.Scale().Visible()); // nothing to show before the definition
        QVERIFY(!w->ShowCtrlPt());

        OnNextModal<TScaleDlg>([](TScaleDlg* dlg) {
            dlg->rbCoordsDuring->setChecked(true);
            dlg->btOk->click();
        });
        w->mnDefScale->trigger();
        QCOMPARE(d.State(), int(DefiningScale));
        QVERIFY(d.Scale().Visible());
        ControlPoint(8, 0, U("8 0"));
        ControlPoint(14, 5, U("14/5"));
        ControlPoint(20, 10, U("20;10"));
        ControlPoint(26, 2, U("2 2"));
        // The picture's last half hour is the chart's last hour, 31 h, not its first.
        ControlPoint(30.7, 8, QString(), U("31 8"));
        QCOMPARE(d.Scale().Last()->Time(), 31.0);
        w->mnFinishScale->trigger();
        QVERIFY(d.Scale().Concluded);
        w->mnDigCurve->trigger();
        Click(7, 0);
        Click(9, 2);
        w->mnEndDigit->trigger();
        QCOMPARE(d.Curve().Count(), 2);

        FFakes->Messages.SetNextAnswer(TMsgResult::Yes); // the digitized points go
        auto kind = [](int k) {
            return [k](QDialog* dlg) {
                dlg->findChild<QComboBox*>(QStringLiteral("cbKind"))->setCurrentIndex(k);
            };
        };
        EditProperties(kind(1));
        QCOMPARE(int(d.Info.Kind), 1);
        EditProperties(kind(0));
        QCOMPARE(int(d.Info.Kind), 0);
        QCOMPARE(d.State(), int(Idle));
        QVERIFY(w->mnDigCurve->isEnabled());

        w->mnDigCurve->trigger();
        QCOMPARE(d.State(), int(Digitizing));
        Click(8, 1);
        QCOMPARE(d.Curve().History().Count(), 1); // none of the points freed by the kind changes
        Click(10, 3);
        QCOMPARE(ResultFrm()->PanelText(3), U(" P = ") + Num("%.1f", 3) + U(" mm"));
        w->mnUndoLast->trigger();
        w->mnUndoLast->trigger();
        QVERIFY(d.Curve().IsEmpty());
        QCOMPARE(ResultFrm()->PanelText(1), U("0"));
        QCOMPARE(ResultFrm()->PanelText(2), QString());
        QCOMPARE(ResultFrm()->PanelText(3), U(" P = ") + Num("%.1f", 0) + U(" mm"));
        w->mnEndDigit->trigger();

        const std::string path = Save();
        TRChartInfo summary;
        QVERIFY(TRChart::ReadSummary(path, summary));
        QCOMPARE(summary.Total, 0.0);
        QCOMPARE(FFakes->Messages.Count(), 1);
    }

    void dryChartFollowsItsHourNotTheOffset()
    {
        NewChart("12/03/2024", 1);
        TRChart& d = Active()->Doc();
        EditProperties([](QDialog* dlg) {
            dlg->findChild<QComboBox*>(QStringLiteral("cbHour"))->setCurrentIndex(1);
            dlg->findChild<TOffsetEdit*>(QStringLiteral("edDh"))->SetText(Num("%.1f", 0.5));
        });
        QCOMPARE(int(d.Info.Hour), 8);
        QCOMPARE(d.Info.Dh, 0.5);
        Active()->UpdateActions();
        QVERIFY(Active()->mnShowValues->isEnabled());
        if (!ResultFrm()->isVisible()) // still up from an earlier chart, or shown now
            Active()->mnShowValues->trigger();
        QTRY_VERIFY(ResultFrm()->isVisible());
        QCOMPARE(ResultFrm()->CellText(1, 1), U("12/03/2024"));
        QCOMPARE(ResultFrm()->CellText(2, 1), U("08:00"));
        QCOMPARE(ResultFrm()->CellText(1, 2), U("13/03/2024"));
        QCOMPARE(ResultFrm()->CellText(2, 2), U("08:00"));
        QCOMPARE(ResultFrm()->CellText(3, 2), Num("%.2f", 0));

        const std::string path = Save();
        TRChart back;
        QVERIFY(back.LoadFromFile(path));
        QCOMPARE(back.Info.Total, 0.0);
        QCOMPARE(back.Curve().Items(0)->Time(), 8.0);
        QCOMPARE(back.Curve().Items(1)->Prec(), 0.0);
    }
};

QTEST_MAIN(TestEditedCharts)
#include "tst_EditedCharts.moc"
