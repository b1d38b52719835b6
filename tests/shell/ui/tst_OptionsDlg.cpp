// The preferences dialog: tablet buttons assigned by clicking, the refused
// swap, duplicate buttons, colours and their preview, and what OK applies.

#include "common/uAppFiles.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uOptions.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uOptionsDlg.h"
#include "tablet/ScriptedTabletDriver.h"
#include "tablet/Tablet.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace rs;

class TestOptionsDlg : public QObject
{
    Q_OBJECT

    TScriptedTabletDriver FDriver;
    TScriptedMessages FBoxes;
    TOptions FBefore;

    void Click(int button)
    {
        FDriver.PressButton(button, 100, 100);
        FDriver.ReleaseButton(button, 100, 100);
    }

    // A shown dialog whose tablet receives the packets.
    void Show(TOptionsDlg& dlg)
    {
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.Tablet().WindowFocused();
    }

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        SetTabletDriver(&FDriver);
        QVERIFY(LoadTabletLibrary());
    }

    void init()
    {
        TOptions o = TOptions::FileDefaults();
        o.Buttons = {0, 1, 2, 3};
        o.Background = RGB(255, 255, 255);
        o.Grid = RGB(192, 192, 192);
        o.Curve = RGB(0, 0, 192);
        o.NumRecentFiles = 4;
        ApplyOptions(o);
        SetSwapButton(3);
        FBefore = Options();
        FBoxes.Clear();
        TOptionsDlg::ColorChooser() = &TOptionsDlg::PlatformChooseColor;
    }

    void opensOnTheOverflowTask()
    {
        TOptionsDlg dlg;
        Show(dlg);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Preferências"));
        QCOMPARE(dlg.size(), QSize(395, 285));
        QCOMPARE(dlg.Pages->currentWidget(), dlg.tsGeneral);
        QCOMPARE(dlg.cbTasks->currentText(), QStringLiteral("Sinalizar Transbordamento"));
        QCOMPARE(dlg.lbButton->text(), QStringLiteral("3"));
        QCOMPARE(dlg.focusWidget(), dlg.cbTasks);
        QCOMPARE(dlg.seMaxFiles->value(), 4);
        QCOMPARE(dlg.seMaxFiles->maximum(), 8);
        QStringList tasks;
        for (int i = 0; i < dlg.cbTasks->count(); ++i)
            tasks << dlg.cbTasks->itemText(i);
        QCOMPARE(tasks, (QStringList{"Inserir Ponto", "Excluir Ponto", "Sinalizar Transbordamento",
                                     "Alternar Modos Abs/Rel"}));
        dlg.cbTasks->setCurrentIndex(ttSwap);
        QCOMPARE(dlg.lbButton->text(), QStringLiteral("4"));
    }

    void aTabletClickAssignsOnlyWhileTheTaskListHasTheFocus()
    {
        TOptionsDlg dlg;
        Show(dlg);
        dlg.cbTasks->setCurrentIndex(ttInsert);
        Click(5);
        QCOMPARE(dlg.Working().Buttons[ttInsert], 5);
        QCOMPARE(dlg.lbButton->text(), QStringLiteral("6"));
        // With the focus on OK a click changes nothing.
        dlg.btOK->setFocus();
        Click(7);
        QCOMPARE(dlg.Working().Buttons[ttInsert], 5);
        QCOMPARE(dlg.lbButton->text(), QStringLiteral("6"));
        dlg.reject();
        QCOMPARE(Options(), FBefore);
    }

    void theSwapButtonIsAssignedThroughTheRefusedSwap()
    {
        TOptionsDlg dlg;
        Show(dlg);
        dlg.cbTasks->setCurrentIndex(ttInsert);
        dlg.btOK->setFocus(); // whatever has the focus
        Click(3);
        QCOMPARE(dlg.Working().Buttons[ttInsert], 3);
        QCOMPARE(dlg.lbButton->text(), QStringLiteral("4"));
        QCOMPARE(dlg.Tablet().Mode(), moAbsolute);
        // Now insert and swap share button 3: OK fails.
        dlg.btOK->click();
        QCOMPARE(FBoxes.Count(), 1);
        QVERIFY(dlg.isVisible());
    }

    void duplicateButtonsAreRefusedAndCancelChangesNothing()
    {
        TOptionsDlg::ColorChooser() = [](QWidget*, QColor& c) {
            c = QColor(10, 20, 30);
            return true;
        };
        TOptionsDlg dlg;
        Show(dlg);
        dlg.pnBkGrd->clicked();
        QCOMPARE(dlg.pnBkGrd->Color(), RGB(10, 20, 30));
        dlg.cbCloseFiles->setChecked(true);
        dlg.seMaxFiles->setValue(7);
        dlg.cbTasks->setCurrentIndex(ttDelete);
        Click(0); // the insert button
        dlg.btOK->click();
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.Shown()[0].Type, TMsgType::Error);
        QCOMPARE(FBoxes.LastText(), QStringLiteral("Cada botão só pode ser associado a apenas uma tarefa."));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.focusWidget(), dlg.cbTasks);
        // Refused: nothing is in force, and "Cancelar" keeps it so.
        QCOMPARE(Options(), FBefore);
        dlg.btCancel->click();
        QCOMPARE(Options(), FBefore);
        QCOMPARE(SwapButton(), 3);
    }

    void okPutsEverythingInForce()
    {
        TOptionsDlg::ColorChooser() = [](QWidget*, QColor& c) {
            c = QColor(200, 100, 50);
            return true;
        };
        TOptionsDlg dlg;
        Show(dlg);
        dlg.pnCurve->clicked();
        dlg.seMaxFiles->setValue(2);
        dlg.cbCloseFiles->setChecked(true);
        dlg.cbTasks->setCurrentIndex(ttSwap);
        Click(9);
        dlg.cbTasks->setCurrentIndex(ttInsert);
        Click(4);
        dlg.btOK->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(FBoxes.Count(), 0);
        QCOMPARE(Options().Curve, RGB(200, 100, 50));
        QCOMPARE(ChartColors().Curve, RGB(200, 100, 50));
        QCOMPARE(Options().NumRecentFiles, 2);
        QVERIFY(Options().ExclusiveNewFile);
        QCOMPARE(Options().InsertButton(), 4);
        QCOMPARE(SwapButton(), 9);
    }

    void aCancelledColourDialogChangesNothing()
    {
        TOptionsDlg::ColorChooser() = [](QWidget*, QColor& c) {
            c = Qt::red;
            return false;
        };
        TOptionsDlg dlg;
        dlg.pnGrid->clicked();
        QCOMPARE(dlg.pnGrid->Color(), RGB(192, 192, 192));
    }

    void thePreviewIsPaintedPixelForPixel()
    {
        TOptionsDlg::ColorChooser() = [](QWidget*, QColor& c) {
            c = QColor(255, 255, 0);
            return true;
        };
        TOptionsDlg dlg;
        dlg.pnBkGrd->clicked();
        QCOMPARE(dlg.Box->size(), QSize(250, 94));
        const QImage img = dlg.Box->grab().toImage();
        QCOMPARE(img.size(), QSize(250, 94));
        const QColor bg(255, 255, 0), grid(192, 192, 192), curve(0, 0, 192);
        auto at = [&img](int x, int y) { return img.pixelColor(x, y); };
        QCOMPARE(at(0, 0), bg);
        QCOMPARE(at(249, 93), bg);
        QCOMPARE(at(6, 6), bg);
        // Grid rows y = 5 + 7i, columns x = 5 + 10i.
        QCOMPARE(at(7, 5), grid);
        QCOMPARE(at(7, 89), grid);
        QCOMPARE(at(7, 90), bg);
        QCOMPARE(at(245, 50), grid);
        QCOMPARE(at(246, 50), bg);
        QCOMPARE(at(15, 60), grid);
        QCOMPARE(at(15, 91), bg);
        // The curve: flat at 82, the siphon's drop at x = 145, the top at (145, 12).
        QCOMPARE(at(50, 82), curve);
        QCOMPARE(at(200, 82), curve);
        QCOMPARE(at(145, 50), curve);
        QCOMPARE(at(145, 12), curve);
        QCOMPARE(at(146, 50), bg);
        QCOMPARE(at(250 - 1, 82), bg);
        if (qEnvironmentVariableIsSet("RS_GRAB_DIR")) {
            dlg.show();
            dlg.grab().save(qEnvironmentVariable("RS_GRAB_DIR") + "/options-general.png");
            dlg.Pages->setCurrentWidget(dlg.tsColors);
            dlg.grab().save(qEnvironmentVariable("RS_GRAB_DIR") + "/options-colors.png");
        }
    }

    // "BotãoModoCur"=1 makes button 0 the swap button: the main window's
    // swap item ends in <b1>, and the preferences change it.
    void theSwapCaptionFollowsTheSettingsAndThePreferences()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string folder = QFile::encodeName(dir.path() + "/").toStdString();
        SetAppFolderForTesting(folder);
        SetConfigFolderForTesting(folder);
        {
            std::ofstream ini(IniFileName(), std::ios::binary);
            ini << "[Op\xE7\xF5" "es]\r\nBot\xE3" "oModoCur=1\r\n";
        }
        {
            TMainFrm main(nullptr);
            QCOMPARE(SwapButton(), 0);
            QVERIFY(main.mnSwapMode->text().endsWith(QStringLiteral("<b1>")));
            main.Windows.Preferences = [this] {
                TOptionsDlg dlg;
                Show(dlg);
                dlg.cbTasks->setCurrentIndex(ttSwap);
                Click(5);
                dlg.btOK->click();
                return dlg.result() == QDialog::Accepted;
            };
            main.FileOptionsExecute();
            QCOMPARE(SwapButton(), 5);
            QVERIFY(main.mnSwapMode->text().endsWith(QStringLiteral("<b6>")));
        }
        SetAppFolderForTesting("");
        SetConfigFolderForTesting("");
    }
};

QTEST_MAIN(TestOptionsDlg)
#include "tst_OptionsDlg.moc"
