// The data folder dialog: the data folder at start-up, the reordering of the
// recent folders on OK, their cap of six, the write test's warnings, the
// folder browser, and the list written back at shutdown.

#include "common/Utils.h"
#include "common/uIniFile.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "shell/uDataFolder.h"
#include "shell/uOptions.h"
#include "shell/ui/uDataFolderDlg.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fstream>

using namespace rs;

class TestDataFolderDlg : public QObject
{
    Q_OBJECT

    TScriptedMessages FBoxes;
    TScriptedFolderDialog FFolders;
    std::unique_ptr<QTemporaryDir> FDir;
    std::string FIni, FApp;

    std::string Sub(const QString& name, bool create = true) const
    {
        const QString p = FDir->path() + "/" + name;
        if (create)
            QDir().mkpath(p);
        return QFile::encodeName(p).toStdString();
    }
    void WriteRecent(const std::vector<std::string>& folders) const
    {
        TIniFile ini(FIni);
        QVERIFY(ini.WriteList(ini::kSecRecentDataFolders, folders));
    }
    static std::vector<std::string> Items(const TDataFolderDlg& dlg) { return dlg.Recent().Items(); }
    static QString Q(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        SetFolderDialog(&FFolders);
    }

    void init()
    {
        FDir = std::make_unique<QTemporaryDir>();
        QVERIFY(FDir->isValid());
        FIni = Sub("cfg") + "/rainscribe.ini";
        FApp = Sub("app") + kPathDelim;
        FBoxes.Clear();
        SetFolderTestForTesting(nullptr);
        SetDataFolder("");
    }

    void withoutRecentFoldersTheProgramsFolderIsUsed()
    {
        TDataFolderDlg dlg(FIni, FApp);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Pasta de Dados"));
        QCOMPARE(dlg.size(), QSize(479, 106));
        QCOMPARE(DataFolder(), FApp);
        QCOMPARE(dlg.cbFolders->currentText(), Q(ExcludeTrailingDelim(FApp)));
        QCOMPARE(dlg.cbFolders->count(), 0);
    }

    void theFirstExistingRecentFolderBecomesTheDataFolder()
    {
        const std::string gone = Sub("gone", false), two = Sub("two"), three = Sub("three");
        WriteRecent({gone, two, three});
        TDataFolderDlg dlg(FIni, FApp);
        QCOMPARE(DataFolder(), two + kPathDelim);
        // The missing one stays listed, and the list shows its first entry.
        QCOMPARE(Items(dlg), (std::vector<std::string>{gone, two, three}));
        QCOMPARE(dlg.cbFolders->currentText(), Q(gone));
    }

    void okReordersTheListAndExecuteReturnsTheFolder()
    {
        const std::string a = Sub("a"), b = Sub("b"), c = Sub("c");
        WriteRecent({a, b, c});
        TDataFolderDlg dlg(FIni, FApp);
        std::string folder = a + kPathDelim;
        QTimer::singleShot(0, &dlg, [&] {
            dlg.cbFolders->setEditText(Q(c) + "/");
            dlg.btOK->click();
        });
        QVERIFY(dlg.Execute(folder));
        QCOMPARE(folder, c + kPathDelim);
        // The third one and the first exchange places.
        QCOMPARE(Items(dlg), (std::vector<std::string>{c, b, a}));
        QCOMPARE(dlg.cbFolders->itemText(0), Q(c));

        // Cancel leaves the folder as it was.
        QTimer::singleShot(0, &dlg, [&] {
            dlg.cbFolders->setEditText(Q(b));
            dlg.btCancel->click();
        });
        QVERIFY(!dlg.Execute(folder));
        QCOMPARE(folder, c + kPathDelim);
        QCOMPARE(Items(dlg), (std::vector<std::string>{c, b, a}));
    }

    void theListNeverHoldsMoreThanSix()
    {
        std::vector<std::string> six;
        for (int i = 1; i <= 6; ++i)
            six.push_back(Sub(QString("f%1").arg(i)));
        WriteRecent(six);
        TDataFolderDlg dlg(FIni, FApp);
        const std::string fresh = Sub("new", false); // created by nobody: the test creates and removes it
        dlg.cbFolders->setEditText(Q(fresh));
        dlg.btOKClick();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.Recent().Count(), 6);
        QCOMPARE(Items(dlg).front(), fresh);
        QCOMPARE(Items(dlg).back(), six[4]);
        QVERIFY(!QFileInfo::exists(Q(fresh)));
        QCOMPARE(dlg.cbFolders->count(), 6);
    }

    void aFolderThatCannotBeWrittenIsRefused()
    {
        const std::string ro = Sub("readonly");
        // Permissions do not bind every user (root): the test itself is replaced.
        SetFolderTestForTesting([ro](const std::string& f) {
            return ExcludeTrailingDelim(f) == ro ? TFolderTest::NotWritable : TFolderTest::Writable;
        });
        TDataFolderDlg dlg(FIni, FApp);
        dlg.show();
        dlg.cbFolders->setEditText(Q(ro) + "/");
        dlg.btOKClick();
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.Shown()[0].Type, TMsgType::Warning);
        QCOMPARE(FBoxes.LastText(), QStringLiteral("Arquivos não podem ser gravados na pasta escolhida."));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.Recent().Count(), 0);
        SetFolderTestForTesting(nullptr);

        // A file standing where the folder should be cannot become one.
        const QString file = FDir->path() + "/plain.txt";
        std::ofstream(QFile::encodeName(file).toStdString()) << "x";
        dlg.cbFolders->setEditText(file);
        dlg.btOKClick();
        QCOMPARE(FBoxes.LastText(), QStringLiteral("A pasta escolhida não pode ser criada."));
        dlg.cbFolders->setEditText(QString());
        dlg.btOKClick();
        QCOMPARE(FBoxes.LastText(), QStringLiteral("A pasta escolhida não pode ser criada."));
        QCOMPARE(FBoxes.Count(), 3);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.focusWidget(), dlg.cbFolders);
    }

    void theBrowserButton()
    {
        const std::string start = Sub("start"), chosen = Sub("chosen");
        TDataFolderDlg dlg(FIni, FApp);
        dlg.cbFolders->setEditText(Q(start) + "/");
        FFolders.SetNextFolder(Q(chosen));
        dlg.btOpen->click();
        QCOMPARE(FFolders.Requests().size(), 1);
        QCOMPARE(FFolders.Requests()[0].Title, QStringLiteral("Selecione uma pasta"));
        QCOMPARE(FFolders.Requests()[0].Folder, Q(start));
        QCOMPARE(dlg.cbFolders->currentText(), Q(chosen) + QLatin1Char(kPathDelim));
        // Cancelled: nothing changes.
        FFolders.SetNextFolder(std::nullopt);
        dlg.btOpen->click();
        QCOMPARE(dlg.cbFolders->currentText(), Q(chosen) + QLatin1Char(kPathDelim));
        // A folder failing the write test.
        SetFolderTestForTesting([](const std::string&) { return TFolderTest::NotWritable; });
        FFolders.SetNextFolder(Q(start));
        dlg.btOpen->click();
        QCOMPARE(FBoxes.LastText(), QStringLiteral("A pasta escolhida não pode ser criada."));
        QCOMPARE(dlg.cbFolders->currentText(), Q(chosen) + QLatin1Char(kPathDelim));
        SetFolderTestForTesting(nullptr);
    }

    void theListIsWrittenBackWhenTheDialogGoes()
    {
        const std::string a = Sub("a"), b = Sub("b");
        WriteRecent({a});
        {
            TDataFolderDlg dlg(FIni, FApp);
            dlg.cbFolders->setEditText(Q(b));
            dlg.btOKClick();
            if (qEnvironmentVariableIsSet("RS_GRAB_DIR")) {
                dlg.show();
                dlg.grab().save(qEnvironmentVariable("RS_GRAB_DIR") + "/datafolder.png");
            }
        }
        TDataFolderList saved;
        saved.Load(TIniFile(FIni));
        QCOMPARE(saved.Items(), (std::vector<std::string>{b, a}));
    }

};

QTEST_MAIN(TestDataFolderDlg)
#include "tst_DataFolderDlg.moc"
