// The tool windows (results, scale statistics, control point prompt) come back
// where the operator left them on the same screen layout; a window never moved
// writes nothing to the settings file.

#include "chartwin/uResultFrm.h"
#include "common/uAppFiles.h"
#include "common/uIniFile.h"
#include "scale/ui/uMsgPt.h"
#include "scale/ui/uScaleStat.h"
#include "shell/uOptions.h"
#include "shell/ui/uToolPlacement.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace rs;

using TMake = std::function<QWidget*()>;
Q_DECLARE_METATYPE(TMake)

class TestToolPlacement : public QObject
{
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void initTestCase()
    {
        const std::string folder = QFile::encodeName(FDir.path() + "/").toStdString();
        SetAppFolderForTesting(folder);
        SetConfigFolderForTesting(folder);
    }

    void cleanupTestCase()
    {
        SetAppFolderForTesting("");
        SetConfigFolderForTesting("");
    }

    void comesBackWhereLeft_data()
    {
        QTest::addColumn<TMake>("make");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("keepsSize");
        QTest::newRow("results") << TMake([] { return new TResultFrm; }) << QStringLiteral("Pontos Digitalizados")
                                 << true;
        QTest::newRow("statistics") << TMake([] { return new TScaleStatFrm; })
                                    << QString::fromUtf8("Estatística da Escala") << true;
        QTest::newRow("prompt") << TMake([] { return new TMsgPt; }) << QStringLiteral("Pontos de Controle") << false;
    }

    void comesBackWhereLeft()
    {
        QFETCH(TMake, make);
        QFETCH(QString, name);
        QFETCH(bool, keepsSize);
        const std::string ini = IniFileName();
        QFile::remove(QFile::decodeName(ini.c_str()));
        const std::string key = name.toLatin1().toStdString() + ' ' + ScreenLayout();
        // A place kept for another screen layout is not used here.
        TIniFile(ini).WriteString(ini::kSecToolWindows, name.toLatin1().toStdString() + " 1x1+0+0", "61 62 300 200");
        const QByteArray before = [&] {
            QFile f(QFile::decodeName(ini.c_str()));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        std::unique_ptr<QWidget> w(make());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(20);
        QVERIFY(w->pos() != QPoint(61, 62));
        const QPoint first = w->pos();
        w->hide();
        w->show();
        QCOMPARE(w->pos(), first);
        w->hide();
        // Shown and hidden without being moved: the settings file is as it was.
        QFile f(QFile::decodeName(ini.c_str()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        f.close();

        w->show();
        const QSize size = w->size() + QSize(20, 30);
        w->move(first + QPoint(37, 23));
        w->resize(size);
        w->hide();
        QVERIFY(TIniFile(ini).ValueExists(ini::kSecToolWindows, key));
        w.reset(make());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::qWait(20);
        QCOMPARE(w->pos(), first + QPoint(37, 23));
        if (keepsSize)
            QCOMPARE(w->size(), size);
        // Moved again and freed while shown (the program ending): kept too.
        w->move(first + QPoint(5, 6));
        w.reset(make());
        w->show();
        QCOMPARE(w->pos(), first + QPoint(5, 6));
    }
};

QTEST_MAIN(TestToolPlacement)
#include "tst_ToolPlacement.moc"
