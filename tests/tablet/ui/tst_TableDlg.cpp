#include "tablet/ui/TabletRecorder.h"

#include "tablet/ui/TabletSprite.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"
#include "tablet/ui/uTableDlg.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

using namespace rs;
using namespace rs::test;

class TestTableDlg : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<TVirtualTablet> Vt;
    std::unique_ptr<TTableDlg> Dlg;
    TManualTimer* Timer = nullptr;

    TTabletSurface* Surface() { return Vt->Surface(); }
    QPoint PixelOf(QPointF counts) const
    {
        const QPointF w = Vt->Surface()->CountsToWidget(counts + QPointF(0.5, 0.5));
        return QPoint(int(std::floor(w.x())), int(std::floor(w.y())));
    }
    void Open(TMode saved = moRelative)
    {
        auto timer = std::make_unique<TManualTimer>();
        Timer = timer.get();
        Dlg = std::make_unique<TTableDlg>(nullptr, TTaskButtonSet{0, 1, 2}, saved, std::move(timer));
        Dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(Dlg.get()));
    }
    void Click(Qt::MouseButton b)
    {
        const QPoint p = PixelOf({1000, 1000});
        MoveMouse(Surface(), p);
        QTest::mousePress(Surface(), b, Qt::NoModifier, p);
        QTest::mouseRelease(Surface(), b, Qt::NoModifier, p);
    }

  private slots:
    void init()
    {
        SelectNoTabletDriver(false);
        SetSwapButton(3);
        Vt = std::make_unique<TVirtualTablet>();
        Vt->setGeometry(400, 0, 800, 560);
        Vt->show();
        QVERIFY(QTest::qWaitForWindowExposed(Vt.get()));
    }
    void cleanup()
    {
        Dlg.reset();
        Vt.reset();
        SetSwapButton(0);
        SelectNoTabletDriver(false);
    }

    void opensWithItsLayoutAndInstructions()
    {
        Open();
        QCOMPARE(Dlg->windowTitle(), QString::fromUtf8("Teste da mesa digitalizadora"));
        QCOMPARE(Dlg->size(), QSize(376, 308));
        QCOMPARE(Dlg->BoxFrame()->geometry(), QRect(8, 24, 360, 240));
        QCOMPARE(Dlg->MsgLabel()->text(), QString::fromUtf8("Para verificar se a mesa está ativada,\n"
                                                            "desloque o cursor da mesa e veja se\n"
                                                            "o cursor abaixo se move. Pressione os\n"
                                                            "botões do cursor e leia as mensagens."));
        QCOMPARE(Dlg->MsgLabel()->pos(), QPoint(64, 21));
        QVERIFY(Dlg->MsgLabel()->isVisible());
        QCOMPARE(Dlg->PosLabel()->text(), QString());
        QCOMPARE(Dlg->ButtonLabel()->text(), QString());
        QCOMPARE(Dlg->Sprite()->Pos(), QPoint(179, 119));
        QCOMPARE(Dlg->Sprite()->size(), QSize(21, 21));
        QCOMPARE(Dlg->findChild<QLabel*>(QStringLiteral("Pressione"))->text(),
                 QString::fromUtf8("Pressione/libere os botões:"));
        QVERIFY(Dlg->Tablet().Connected());
        QCOMPARE(Dlg->Tablet().Mode(), moAbsolute);
        QCOMPARE(Vt->Driver().OverlapOrder().front(), Dlg->Tablet().Ctx());
    }

    void theSpriteFollowsFromTheThirdMove()
    {
        Open();
        const QPoint a = PixelOf({6000, 4500});
        MoveMouse(Surface(), a + QPoint(6, 0));
        MoveMouse(Surface(), a + QPoint(3, 0));
        QCOMPARE(Dlg->Sprite()->Pos(), QPoint(179, 119));
        QVERIFY(Dlg->MsgLabel()->isVisible());
        QCOMPARE(Dlg->PosLabel()->text(), QString());
        MoveMouse(Surface(), a);
        const QPoint c = *Surface()->PositionAt(a);
        QVERIFY(!Dlg->MsgLabel()->isVisible());
        const TPoint expected =
            TTabletTestModel::MapToBox(Dlg->Tablet().ContextRect(), c.x(), c.y(), 360, 240);
        QCOMPARE(Dlg->Sprite()->Pos(), QPoint(expected.x, expected.y));
        QVERIFY(std::abs(expected.x - 90) <= 1 && std::abs(expected.y - 180) <= 1);
        QCOMPARE(Dlg->PosLabel()->text(), QStringLiteral("x = %1      y = %2").arg(c.x()).arg(c.y()));
    }

    void pressAndReleaseMessagesAndTheTimer()
    {
        Open();
        const QPoint p = PixelOf({1000, 1000});
        MoveMouse(Surface(), p);
        QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(Dlg->ButtonLabel()->text(), QString::fromUtf8("O botão 1 foi pressionado\n(Inserir Ponto)"));
        QVERIFY(!Timer->Running());
        QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, p);
        QCOMPARE(Dlg->ButtonLabel()->text(), QString::fromUtf8("O botão 1 foi liberado"));
        QVERIFY(Timer->Running());
        QCOMPARE(Timer->Interval(), 2000);
        QVERIFY(Timer->Fire());
        QCOMPARE(Dlg->ButtonLabel()->text(), QString());

        QTest::mousePress(Surface(), Qt::RightButton, Qt::NoModifier, p);
        QCOMPARE(Dlg->ButtonLabel()->text(), QString::fromUtf8("O botão 2 foi pressionado\n(Excluir Ponto)"));
        QTest::mouseRelease(Surface(), Qt::RightButton, Qt::NoModifier, p);
        QTest::keyPress(Surface(), Qt::Key_3);
        QCOMPARE(Dlg->ButtonLabel()->text(),
                 QString::fromUtf8("O botão 3 foi pressionado\n(Sinalizar Transbord.)"));
        QTest::keyRelease(Surface(), Qt::Key_3);
        // The fifth button has no task.
        QTest::mousePress(Surface(), Qt::ForwardButton, Qt::NoModifier, p);
        QCOMPARE(Dlg->ButtonLabel()->text(), QString::fromUtf8("O botão 5 foi pressionado"));
        QTest::mouseRelease(Surface(), Qt::ForwardButton, Qt::NoModifier, p);
    }

    void theSwapButtonHidesAndShowsTheCursor()
    {
        Open();
        Click(Qt::BackButton); // the fourth button
        QCOMPARE(Dlg->ButtonLabel()->text(),
                 QString::fromUtf8("O botão 4 foi pressionado\n(Alternar Modos Abs/Rel)"));
        QVERIFY(Timer->Running());
        QVERIFY(Dlg->Sprite()->isHidden());
        QVERIFY(Dlg->PosLabel()->isHidden());
        QCOMPARE(Dlg->Tablet().Mode(), moRelative);
        QVERIFY(!Surface()->Digitizing());
        // Relative: the mouse no longer reaches the dialog; the key swaps back.
        Timer->Fire();
        Click(Qt::LeftButton);
        QCOMPARE(Dlg->ButtonLabel()->text(), QString());
        QTest::keyClick(Surface(), Qt::Key_4);
        QCOMPARE(Dlg->Tablet().Mode(), moAbsolute);
        QVERIFY(!Dlg->Sprite()->isHidden());
        QVERIFY(!Dlg->PosLabel()->isHidden());
    }

    void escapeOrEnterCloseAndRestoreTheSavedMode()
    {
        Open(moAbsolute);
        Click(Qt::BackButton);
        QCOMPARE(Dlg->Tablet().Mode(), moRelative);
        QTest::keyClick(Dlg.get(), Qt::Key_Escape);
        QVERIFY(!Dlg->isVisible());
        QCOMPARE(Dlg->result(), int(QDialog::Rejected));
        QCOMPARE(Dlg->Tablet().Mode(), moAbsolute);

        Open(moRelative);
        QTest::keyClick(Dlg.get(), Qt::Key_Return);
        QVERIFY(!Dlg->isVisible());
        QCOMPARE(Dlg->Tablet().Mode(), moRelative);
    }

    void executeRunsModallyAndForgetsTheDialog()
    {
        QVERIFY(TTableDlg::Instance() == nullptr);
        bool seen = false;
        QTimer::singleShot(0, [&] {
            TTableDlg* d = TTableDlg::Instance();
            seen = d && d->isModal() && d->Tablet().Connected();
            if (d) QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!TTableDlg::Execute(nullptr, TTaskButtonSet{}, moRelative));
        QVERIFY(seen);
        QVERIFY(TTableDlg::Instance() == nullptr);
        QCOMPARE(Vt->Driver().ContextCount(), 0);
    }

    void withoutATabletTheInstructionsStay()
    {
        SelectNoTabletDriver();
        Open();
        QVERIFY(!Dlg->Tablet().Connected());
        QVERIFY(!Dlg->Tablet().OnCursorMove);
        for (int i = 0; i < 4; ++i)
            MoveMouse(Surface(), PixelOf({1000.0 + 100 * i, 1000}));
        QVERIFY(Dlg->MsgLabel()->isVisible());
        QCOMPARE(Dlg->ButtonLabel()->text(), QString());
    }
};

QTEST_MAIN(TestTableDlg)
#include "tst_TableDlg.moc"
