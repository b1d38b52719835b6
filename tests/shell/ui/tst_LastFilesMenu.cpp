// The recent files at the end of the "&Arquivo" menu: the separator after
// "Sai&r", the numbered captions, and choosing an entry whose file is gone.

#include "common/uAppFiles.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uLastFiles.h"
#include "shell/ui/uMain.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace rs;

class TestLastFilesMenu : public QObject
{
    Q_OBJECT

    TScriptedMessages FBoxes;
    QTemporaryDir FDir;

    // The menu's items after "Sai&r": "-" for a separator, else the caption.
    static QStringList Tail(QMenu* menu, QAction* exit)
    {
        QStringList out;
        bool after = false;
        for (QAction* a : menu->actions()) {
            if (after)
                out << (a->isSeparator() ? QStringLiteral("-") : a->text());
            after = after || a == exit;
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        SetMessages(&FBoxes);
        const std::string folder = QFile::encodeName(FDir.path() + "/").toStdString();
        SetAppFolderForTesting(folder);
        SetConfigFolderForTesting(folder);
    }

    void entriesFollowTheExitItem()
    {
        TMainFrm main(nullptr);
        TLastFiles& list = *main.LastFiles();
        QCOMPARE(Tail(main.mnFile, main.FileExit), QStringList());
        list.Add("/dados/a.pvd");
        list.Add("/dados/b.pvd");
        list.Add("/dados/c.pvd");
        QCOMPARE(Tail(main.mnFile, main.FileExit),
                 (QStringList{"-", "&1 c.pvd", "&2 b.pvd", "&3 a.pvd"}));
        list.Add("/dados/a.pvd");
        QCOMPARE(Tail(main.mnFile, main.FileExit),
                 (QStringList{"-", "&1 a.pvd", "&2 c.pvd", "&3 b.pvd"}));
        list.Clear();
        QCOMPARE(Tail(main.mnFile, main.FileExit), QStringList());
    }

    void aVanishedFileIsReportedAndStays()
    {
        TMainFrm main(nullptr);
        const std::string gone = QFile::encodeName(FDir.path() + "/sumiu.pvd").toStdString();
        main.LastFiles()->Add(gone);
        const QStringList tail = Tail(main.mnFile, main.FileExit);
        QCOMPARE(tail.size(), 2);
        QAction* entry = main.mnFile->actions().last();
        FBoxes.Clear();
        entry->trigger();
        QCOMPARE(FBoxes.Count(), 1);
        QCOMPARE(FBoxes.Shown()[0].Type, TMsgType::Warning);
        QCOMPARE(FBoxes.LastText(), QStringLiteral("O arquivo %1 não foi encontrado.").arg(FDir.path() + "/sumiu.pvd"));
        QCOMPARE(main.LastFiles()->Count(), 1);
        QCOMPARE(main.LastFiles()->FileName(0), gone);
    }
};

QTEST_MAIN(TestLastFilesMenu)
#include "tst_LastFilesMenu.moc"
