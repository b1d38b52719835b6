// The splash window and its times at start-up ("-ns", the 2000 ms wait, the
// close at the first activation), the about window and the support window's
// mail link.

#include "common/uAppFiles.h"
#include "common/ui/FakeServices.h"
#include "common/ui/MessageService.h"
#include "shell/uSupportInfo.h"
#include "shell/ui/uAbout.h"
#include "shell/ui/uMain.h"
#include "shell/ui/uSplash.h"
#include "shell/ui/uSupport.h"
#include "tablet/ScriptedTabletDriver.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace rs;

class TestSplash : public QObject
{
    Q_OBJECT

    TManualClock FClock;
    TScriptedMessages FBoxes;
    TRecordingUrlOpener FUrls;
    TScriptedTabletDriver FDriver;
    QTemporaryDir FDir;

    static bool Wanted(std::initializer_list<const char*> args)
    {
        std::vector<const char*> argv{"rainscribe"};
        argv.insert(argv.end(), args);
        return TSplash::WantedBy(int(argv.size()), argv.data());
    }
    void Grab(QWidget& w, const char* name)
    {
        if (qEnvironmentVariableIsSet("RS_GRAB_DIR"))
            w.grab().save(qEnvironmentVariable("RS_GRAB_DIR") + "/" + name);
    }

private slots:
    void initTestCase()
    {
        SetClock(&FClock);
        SetMessages(&FBoxes);
        SetUrlOpener(&FUrls);
        SetTabletDriver(&FDriver);
        const std::string folder = QFile::encodeName(FDir.path() + "/").toStdString();
        SetAppFolderForTesting(folder);
        SetConfigFolderForTesting(folder);
    }

    void cleanup() { FClock.SetAutoStep(0); }

    void theCommandLine()
    {
        QVERIFY(Wanted({}));
        QVERIFY(!Wanted({"-ns"}));
        QVERIFY(Wanted({"-NS"}));
        QVERIFY(Wanted({"-n"}));
        QVERIFY(Wanted({"dados.pvd", "-ns"})); // only the first argument counts
    }

    void theWindowAndItsKeys()
    {
        FClock.Set(50000);
        QPointer<TSplash> s = TSplash::ShowSplash();
        QCOMPARE(Splash(), s.data());
        QCOMPARE(s->CreationTick(), qint64(50000));
        QCOMPARE(s->size(), QSize(360, 270));
        QVERIFY(s->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(s->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(s->toolTip().isEmpty());
        QCOMPARE(s->statusTip(), QStringLiteral("Pressione <Esc> ou <Enter> para fechar."));
        // The picture and the version in bold blue at (134, 165).
        const QImage img = s->grab().toImage();
        bool blue = false;
        for (int y = 165; y < 185 && !blue; ++y)
            for (int x = 134; x < 220 && !blue; ++x)
                blue = img.pixelColor(x, y) == QColor(Qt::blue);
        QVERIFY(blue);
        Grab(*s, "splash.png");

        QTest::keyClick(s.data(), Qt::Key_A);
        QTest::keyClick(s.data(), Qt::Key_Space);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(s);
        QTest::keyClick(s.data(), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!s);
        QCOMPARE(Splash(), nullptr);

        s = TSplash::ShowSplash();
        QTest::keyClick(s.data(), Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!s);
    }

    void theMainWindowWaitsTwoSecondsAfterTheSplash()
    {
        FClock.Set(10000);
        QPointer<TSplash> s = TSplash::ShowSplash();
        FClock.SetAutoStep(100); // every reading moves the clock on
        {
            TMainFrm main(s.data());
            QVERIFY(FClock.Now() - s->CreationTick() >= 2000);
            QVERIFY(FClock.Now() - s->CreationTick() < 2500);
            FClock.SetAutoStep(0);
            // The first activation after 4000 ms closes it at once.
            FClock.Set(s->CreationTick() + 4000);
            main.FirstActivation();
            QVERIFY(!s);
            QVERIFY(!main.Splash());
        }
    }

    void escapeDuringTheFirstActivationEndsTheWait()
    {
        FClock.Set(20000);
        QPointer<TSplash> s = TSplash::ShowSplash();
        FClock.SetAutoStep(100);
        TMainFrm main(s.data());
        FClock.SetAutoStep(0);
        FClock.Set(s->CreationTick() + 2100); // about 1.9 s left to wait
        QElapsedTimer real;
        real.start();
        QTimer::singleShot(50, s.data(), [s] { QTest::keyClick(s.data(), Qt::Key_Escape); });
        main.FirstActivation();
        QVERIFY(!s);
        QVERIFY(real.elapsed() < 1500);
    }

    void withoutTheSplashNothingWaits()
    {
        FClock.Set(30000); // a clock that never moves: any wait would never end
        TMainFrm main(nullptr);
        QVERIFY(!main.Splash());
        main.FirstActivation();
        QCOMPARE(FClock.Now(), qint64(30000));
    }

    void theAboutWindow()
    {
        TAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("Sobre o Rain Scribe"));
        QCOMPARE(about.size(), QSize(350, 260));
        auto* label = about.findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Versão 1.02"));
        QCOMPARE(label->pos(), QPoint(129, 159));
        QVERIFY(label->font().bold());
        auto* pic = about.findChild<QLabel*>(QStringLiteral("ProgramIcon"));
        QVERIFY(pic && !pic->pixmap().isNull());
        QCOMPARE(pic->pixmap().size(), QSize(360, 270));
        QCOMPARE(pic->pos(), QPoint(-5, -4));
        about.show();
        Grab(about, "about.png");
        QTest::keyClick(&about, Qt::Key_Escape);
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void theSupportWindowOpensTheMailProgram()
    {
        const QString file = FDir.path() + QStringLiteral("/Suporte.txt");
        QFile::remove(file);
        {
            // No address set by the installation: said so, and nothing to click.
            TSupportDlg dlg;
            QCOMPARE(dlg.lbClick->text(), QStringLiteral("Nenhum endereço de suporte foi definido nesta instalação."));
            QVERIFY(dlg.lbMail->isHidden());
            QVERIFY(dlg.meText->toPlainText().endsWith(QStringLiteral("\n\n        Equipe de Desenvolvimento do Rain Scribe")));
            QVERIFY(!dlg.meText->toPlainText().contains(QStringLiteral("indicado abaixo")));
            dlg.lbMailClick();
            QCOMPARE(FUrls.Opened().size(), 0);
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; contato desta instala\xE7\xE3o\r\nsuporte@hidro.example.org\r\nDivis\xE3o de Hidrometria\r\nCaixa Postal 10\r\n");
        f.close();
        TSupportDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Suporte Técnico"));
        QCOMPARE(dlg.size(), QSize(592, 423));
        QVERIFY(dlg.meText->isReadOnly());
        const QString text = dlg.meText->toPlainText();
        QVERIFY(text.startsWith(QStringLiteral("        Todo software pode apresentar, em maior ou menor grau,")));
        QVERIFY(text.contains(QStringLiteral("        Desde já, contamos com a sua valiosa contribuição.")));
        QVERIFY(text.contains(QStringLiteral("para o endereço de suporte indicado abaixo, descrevendo")));
        QVERIFY(text.endsWith(QStringLiteral("\n\n        Divisão de Hidrometria\n        Caixa Postal 10")));
        QCOMPARE(dlg.lbClick->text(), QStringLiteral("Clique no endereço:"));
        QCOMPARE(dlg.lbMail->text(), QStringLiteral("suporte@hidro.example.org"));
        QCOMPARE(dlg.btClose->text(), QStringLiteral("&Fechar"));
        QVERIFY(dlg.btClose->isDefault());
        dlg.show();
        Grab(dlg, "support.png");

        FUrls.SetResult(false); // no mail program: nothing from this program
        QTest::mouseClick(dlg.lbMail, Qt::LeftButton);
        QCOMPARE(FUrls.Opened().size(), 1);
        QCOMPARE(FUrls.Opened()[0].toString(), QStringLiteral("mailto:suporte@hidro.example.org"));
        QCOMPARE(FBoxes.Count(), 0);
        QVERIFY(dlg.isVisible());
        QFile::remove(file);
    }
};

QTEST_MAIN(TestSplash)
#include "tst_Splash.moc"
