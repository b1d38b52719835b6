#include "tablet/ui/TabletRecorder.h"

#include "tablet/ui/TabletBinding.h"
#include "tablet/ui/TabletLoupe.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <memory>

using namespace rs;
using namespace rs::test;

namespace {

// A window with a tablet component, as a chart window has one.
struct TabletWindow
{
    QWidget Window;
    QPushButton* Button;
    QLineEdit* Edit;
    TTablet Tablet;
    TabletRecorder Log;

    TabletWindow(const QString& title, TMode mode, QPoint at)
    {
        Window.setWindowTitle(title);
        auto* l = new QVBoxLayout(&Window);
        Button = new QPushButton(QStringLiteral("OK"), &Window);
        Edit = new QLineEdit(&Window);
        l->addWidget(Button);
        l->addWidget(Edit);
        Window.setGeometry(QRect(at, QSize(200, 120)));
        Tablet.SetMode(mode);
        BindTablet(Tablet, &Window);
        Log.Attach(Tablet);
    }
    void Activate()
    {
        Window.show();
        Window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        Button->setFocus();
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestVirtualTablet : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<TVirtualTablet> Vt;
    TTabletSurface* Surface() { return Vt->Surface(); }
    // The widget pixel whose centre lies in the count (x, y).
    QPoint PixelOf(QPointF counts) const
    {
        const QPointF w = Vt->Surface()->CountsToWidget(counts + QPointF(0.5, 0.5));
        return QPoint(int(std::floor(w.x())), int(std::floor(w.y())));
    }
    // "x,y": the counts the surface reports for a pixel.
    QString At(QPoint pixel) const
    {
        const auto c = Vt->Surface()->PositionAt(pixel);
        return c ? QStringLiteral("%1,%2").arg(c->x()).arg(c->y()) : QStringLiteral("none");
    }
    // The pointer leaves the surface (it may lie over it when the window opens).
    void Leave()
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(Vt->Surface(), &leave);
    }

  private slots:
    void init()
    {
        SetSwapButton(3);
        Vt = std::make_unique<TVirtualTablet>();
        Vt->setGeometry(400, 0, 800, 560);
        Vt->show();
        QVERIFY(QTest::qWaitForWindowExposed(Vt.get()));
    }
    void cleanup()
    {
        Vt.reset();
        SetSwapButton(0);
    }

    void registersItselfAsTheDriver()
    {
        QCOMPARE(ActiveTabletDriver(), &Vt->Driver());
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        QVERIFY(a.Tablet.Connected());
        QVERIFY(TabletAvailable());
        QCOMPARE(a.Tablet.ContextRect(), (TRect{0, 18000, 24000, 0}));
        Vt.reset();
        QCOMPARE(ActiveTabletDriver(), nullptr);
        QVERIFY(!a.Tablet.Connected());
        QVERIFY(!TabletAvailable());
    }

    void mouseMovesAreCursorMovesInCounts()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({12000, 9000});
        QTest::mouseMove(Surface(), p);
        MoveMouse(Surface(), p);
        QCOMPARE(a.Log.Take(), QStringList{QStringLiteral("move 0 ") + At(p)});
        // The counts are those of the pixel's centre, within one pixel of the point aimed at.
        const QPoint c = *Surface()->PositionAt(p);
        QVERIFY(std::abs(c.x() - 12000) <= 1 / Surface()->Scale() + 1);
        QVERIFY(std::abs(c.y() - 9000) <= 1 / Surface()->Scale() + 1);
        // Y grows upwards: a pixel higher up has a larger Y.
        MoveMouse(Surface(), p - QPoint(0, 10));
        const QStringList l = a.Log.Take();
        QCOMPARE(l.size(), 1);
        const int y = l[0].section(QLatin1Char(','), 1).toInt();
        QVERIFY2(y > 9000, qPrintable(l[0]));
        // Off the area nothing is sent.
        Surface()->SetView(Surface()->Scale(), QPointF(100, 100));
        MoveMouse(Surface(), QPoint(10, 10));
        QVERIFY(a.Log.Lines.isEmpty());
        QVERIFY(!Surface()->PointerCounts());
    }

    void mouseButtonsAreTabletButtons()
    {
        SetSwapButton(31);
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({1000, 2000});
        MoveMouse(Surface(), p);
        a.Log.Take();
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::BackButton,
                                           Qt::ForwardButton};
        for (int i = 0; i < 5; ++i) {
            QTest::mousePress(Surface(), buttons[i], Qt::NoModifier, p);
            QTest::mouseRelease(Surface(), buttons[i], Qt::NoModifier, p);
            QCOMPARE(a.Log.Take(), (QStringList{QStringLiteral("press %1 ").arg(i) + At(p),
                                                QStringLiteral("click %1 ").arg(i) + At(p),
                                                QStringLiteral("up %1 ").arg(i) + At(p)}));
        }
    }

    void aDragReportsTheReleaseWhereTheButtonCameUp()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({1000, 1000});
        MoveMouse(Surface(), p);
        QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, p);
        // Dragged off the area: the position stays on its edge.
        MoveMouse(Surface(), QPoint(-50, p.y()), Qt::LeftButton);
        QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, QPoint(-50, p.y()));
        const QStringList l = a.Log.Take(QStringLiteral("up"));
        QCOMPARE(l, QStringList{QStringLiteral("up 0 0,") + At(p).section(QLatin1Char(','), 1)});
        QCOMPARE(Surface()->Buttons(), 0u);
    }

    void aPressTakenByTheDragHookIsNoClick()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({1000, 1000}), q = PixelOf({1500, 1200});
        QStringList seen;
        // The hook takes presses left of x 1200 only.
        Surface()->SetDragHook([&](const TTabletSurface&, TTabletSurface::TDragPhase phase, QPointF, QPoint c) {
            if (phase == TTabletSurface::TDragPhase::Press && c.x() > 1200)
                return false;
            seen << QStringLiteral("%1 %2,%3").arg(int(phase)).arg(c.x()).arg(c.y());
            return true;
        });
        MoveMouse(Surface(), p);
        a.Log.Take();
        QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, p);
        MoveMouse(Surface(), q, Qt::LeftButton);
        QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, q);
        QCOMPARE(seen, (QStringList{QStringLiteral("0 ") + At(p), QStringLiteral("1 ") + At(q),
                                    QStringLiteral("2 ") + At(q)}));
        QVERIFY(a.Log.Take().filter(QRegularExpression(QStringLiteral("^(press|click|up) "))).isEmpty());
        QVERIFY(!Surface()->Dragging());
        // A press it declines is a tablet click as before.
        seen.clear();
        QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, q);
        QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, q);
        QCOMPARE(seen, QStringList{});
        QCOMPARE(a.Log.Take(QStringLiteral("click")), QStringList{QStringLiteral("click 0 ") + At(q)});
        Surface()->SetDragHook(nullptr);
    }

    void keysOneToNinePressButtonsWhileThePointerIsOver()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({500, 600});
        Leave();
        QTest::keyClick(Surface(), Qt::Key_5); // the pointer is not over the surface
        QVERIFY(a.Log.Lines.isEmpty());
        MoveMouse(Surface(), p);
        a.Log.Take();
        QTest::keyPress(Surface(), Qt::Key_5);
        QCOMPARE(a.Log.Take(), QStringList{QStringLiteral("press 4 ") + At(p)});
        // Auto-repeat changes nothing.
        QTest::keyPress(Surface(), Qt::Key_5, Qt::NoModifier, -1);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"), true);
        QApplication::sendEvent(Surface(), &repeat);
        QVERIFY(a.Log.Lines.isEmpty());
        QTest::keyRelease(Surface(), Qt::Key_5);
        QCOMPARE(a.Log.Take(),
                 (QStringList{QStringLiteral("click 4 ") + At(p), QStringLiteral("up 4 ") + At(p)}));
        QTest::keyClick(Surface(), Qt::Key_9);
        QCOMPARE(a.Log.Take().first(), QStringLiteral("press 8 ") + At(p));
    }

    void keysReachTheTabletFromAnotherWindowButNotFromATextField()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPoint p = PixelOf({700, 800});
        MoveMouse(Surface(), p);
        a.Log.Take();
        QTest::keyClick(a.Button, Qt::Key_1);
        QCOMPARE(a.Log.Take(),
                 (QStringList{QStringLiteral("press 0 ") + At(p), QStringLiteral("click 0 ") + At(p),
                              QStringLiteral("up 0 ") + At(p)}));
        QTest::keyClick(a.Edit, Qt::Key_1);
        QVERIFY(a.Log.Lines.isEmpty());
        QCOMPARE(a.Edit->text(), QStringLiteral("1"));
    }

    void relativeModeSendsNoMousePacketsAndPansAndZooms()
    {
        TabletWindow a(QStringLiteral("A"), moRelative, {0, 0});
        QVERIFY(!Surface()->Digitizing());
        const QPoint p = PixelOf({5000, 5000});
        MoveMouse(Surface(), p);
        QTest::mousePress(Surface(), Qt::LeftButton, Qt::NoModifier, p);
        const QPointF before = Surface()->Offset();
        MoveMouse(Surface(), p + QPoint(30, 20), Qt::LeftButton);
        QTest::mouseRelease(Surface(), Qt::LeftButton, Qt::NoModifier, p + QPoint(30, 20));
        QCOMPARE(Surface()->Offset(), before + QPointF(30, 20));
        QVERIFY(a.Log.Lines.isEmpty());

        // The wheel zooms around the pointer: the count under it stays.
        const QPoint at = p + QPoint(30, 20);
        const QPointF under = Surface()->WidgetToCounts(at);
        const double scale = Surface()->Scale();
        QWheelEvent wheel(QPointF(at), QPointF(Surface()->mapToGlobal(at)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Surface(), &wheel);
        QVERIFY(Surface()->Scale() > scale);
        const QPointF still = Surface()->WidgetToCounts(at);
        QVERIFY(std::abs(still.x() - under.x()) < 1e-6 && std::abs(still.y() - under.y()) < 1e-6);
        QVERIFY(a.Log.Lines.isEmpty());

        // The keys still press buttons: the swap button brings absolute back.
        QTest::keyClick(Surface(), Qt::Key_4);
        QCOMPARE(a.Tablet.Mode(), moAbsolute);
        QVERIFY(Surface()->Digitizing());
        MoveMouse(Surface(), at + QPoint(1, 0));
        QCOMPARE(a.Log.Take(QStringLiteral("move")).size(), 1);
    }

    void aPointKeepsItsCountsUnderZoomAndPan()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        const QPointF target(7321, 4567);
        auto countsAt = [&](QPoint pixel) {
            a.Log.Take();
            MoveMouse(Surface(), pixel + QPoint(40, 40)); // elsewhere first, so a move is reported
            MoveMouse(Surface(), pixel);
            const QStringList l = a.Log.Take();
            const QString last = l.isEmpty() ? QString() : l.last().section(QLatin1Char(' '), 2);
            return QPoint(last.section(QLatin1Char(','), 0, 0).toInt(),
                          last.section(QLatin1Char(','), 1).toInt());
        };
        // Fitted: a pixel spans many counts, so the point is found within one pixel.
        const double fitScale = Surface()->Scale();
        QPoint c = countsAt(PixelOf(target));
        QVERIFY(std::abs(c.x() - target.x()) <= 1 / fitScale + 1);
        QVERIFY(std::abs(c.y() - target.y()) <= 1 / fitScale + 1);
        // Zoomed in far enough that a count spans several pixels: exact.
        Surface()->ZoomAt(QPointF(100, 100), 1000);
        QVERIFY(Surface()->Scale() > 2);
        Surface()->SetView(Surface()->Scale(),
                           QPointF(200, 200) - (Surface()->CountsToWidget(target) - Surface()->Offset()));
        QCOMPARE(countsAt(PixelOf(target)), target.toPoint());
        Surface()->Pan(QPointF(-37, 23));
        QCOMPARE(countsAt(PixelOf(target)), target.toPoint());
        Surface()->ZoomAt(QPointF(150, 260), 0.5);
        QCOMPARE(countsAt(PixelOf(target)), target.toPoint());
    }

    void packetsFollowTheFocusButNotTheTabletWindow()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        TabletWindow b(QStringLiteral("B"), moAbsolute, {0, 200});
        a.Activate();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), a.Tablet.Ctx());
        b.Activate();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), b.Tablet.Ctx());
        // Focus moving inside B changes nothing.
        b.Edit->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), b.Tablet.Ctx());
        // The virtual tablet's own focus leaves the order alone.
        Vt->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Vt.get()));
        Surface()->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), b.Tablet.Ctx());
        MoveMouse(Surface(), PixelOf({100, 100}));
        QCOMPARE(b.Log.Take(QStringLiteral("move")).size(), 1);
        QVERIFY(a.Log.Lines.isEmpty());
        a.Activate();
        MoveMouse(Surface(), PixelOf({200, 100}));
        QCOMPARE(a.Log.Take(QStringLiteral("move")).size(), 1);
        QVERIFY(b.Log.Lines.isEmpty());
    }

    void nestedBoundWindowsTakeTheFocusForThemselves()
    {
        // A component on a frame and one on a child inside it (the main
        // window and a chart window): the focus inside the child is the child's.
        QWidget frame;
        frame.setWindowTitle(QStringLiteral("Frame"));
        auto* child = new QWidget(&frame);
        auto* edit = new QLineEdit(child);
        auto* other = new QLineEdit(&frame);
        other->move(0, 60);
        TTablet outer, inner;
        BindTablet(outer, &frame);
        BindTablet(inner, child);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        edit->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), inner.Ctx());
        other->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), outer.Ctx());
        edit->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), inner.Ctx());

        // A tool window of the frame without a tablet of its own (the results
        // window) takes the focus but not the packets.
        QWidget tool(&frame, Qt::Tool);
        auto* toolEdit = new QLineEdit(&tool);
        tool.show();
        tool.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&tool));
        toolEdit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), toolEdit);
        QCOMPARE(Vt->Driver().OverlapOrder().front(), inner.Ctx());
        tool.hide();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == &frame);
        QCoreApplication::processEvents(); // the activation's own reordering first
        other->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), outer.Ctx());
        edit->setFocus();
        QCOMPARE(Vt->Driver().OverlapOrder().front(), inner.Ctx());

        // A driver maps a window id back to the live window only.
        const TWindowId childId = TTabletBinding::WindowIdOf(child);
        QCOMPARE(TTabletBinding::WindowOf(childId), child);
        QCOMPARE(TTabletBinding::WindowOf(TTabletBinding::WindowIdOf(&frame)), &frame);
        QCOMPARE(TTabletBinding::WindowOf(TTabletBinding::WindowIdOf(edit)), nullptr);
        delete child;
        QCOMPARE(TTabletBinding::WindowOf(childId), nullptr);
    }

    void aScannedChartBecomesTheAreaAtItsResolution()
    {
        QTemporaryDir dir;
        QImage img(600, 400, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.setDotsPerMeterX(7874); // 200 dpi
        img.setDotsPerMeterY(7874);
        const QString path = dir.filePath(QStringLiteral("chart.png"));
        QVERIFY(img.save(path));

        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        int changes = 0;
        a.Tablet.OnContextChange = [&](TTablet*) { ++changes; };
        QSignalSpy area(Vt.get(), &TVirtualTablet::areaChanged);
        QVERIFY(Vt->LoadImage(path));
        QCOMPARE(Vt->Driver().AreaWidth(), 3000);
        QCOMPARE(Vt->Driver().AreaHeight(), 2000);
        QCOMPARE(area.count(), 1);
        QCOMPARE(changes, 1);
        QCOMPARE(a.Tablet.ContextRect(), (TRect{0, 2000, 3000, 0}));
        QCOMPARE(Vt->ContextRect(), (TRect{0, 2000, 3000, 0}));
        QVERIFY(Vt->windowTitle().endsWith(QStringLiteral("chart.png")));

        // The same picture without a resolution is taken at 300 dpi.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray bytes = f.readAll();
        f.close();
        const int phys = bytes.indexOf("pHYs");
        QVERIFY(phys > 4);
        bytes.remove(phys - 4, 4 + 4 + 9 + 4);
        const QString bare = dir.filePath(QStringLiteral("bare.png"));
        QFile g(bare);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(bytes);
        g.close();
        QVERIFY(Vt->LoadImage(bare));
        QCOMPARE(Vt->Driver().AreaWidth(), 2000);
        QCOMPARE(Vt->Driver().AreaHeight(), 1333);

        Vt->ClearImage();
        QCOMPARE(Vt->Driver().AreaWidth(), 24000);
        QCOMPARE(a.Tablet.ContextRect(), (TRect{0, 18000, 24000, 0}));
    }

    void aFileThatIsNoPictureGivesAMessage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.png"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is not a picture");
        f.close();
        QStringList messages;
        Vt->OnMessage = [&](const QString& m) { messages << m; };
        QVERIFY(!Vt->LoadImage(path));
        QVERIFY(!Vt->LoadImage(dir.filePath(QStringLiteral("missing.png"))));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].contains(QStringLiteral("notes.png")));
        QCOMPARE(Vt->Driver().AreaWidth(), 24000);
        // Chosen through the hook.
        Vt->OnChooseImage = [&](QWidget*, const QString& filter) {
            messages << filter;
            return QString();
        };
        QTest::mouseClick(Vt->findChild<QPushButton*>(QStringLiteral("btOpenImage")), Qt::LeftButton);
        QVERIFY(messages.last().contains(QStringLiteral("*.png")));
    }

    void openStateAndToggleCommand()
    {
        QSignalSpy open(Vt.get(), &TVirtualTablet::openChanged);
        QVERIFY(Vt->IsOpen());
        QVERIFY(Vt->ToggleAction()->isChecked());
        Vt->SetOpen(false);
        QVERIFY(!Vt->IsOpen());
        QVERIFY(!Vt->ToggleAction()->isChecked());
        Vt->ToggleAction()->trigger();
        QVERIFY(Vt->IsOpen());
        QCOMPARE(open.count(), 2);
        QCOMPARE(open.at(0).at(0).toBool(), false);
        QCOMPARE(open.at(1).at(0).toBool(), true);
    }

    void aModalDialogDoesNotBlockTheTablet()
    {
        QDialog modal;
        modal.setWindowTitle(QStringLiteral("Modal"));
        modal.setWindowModality(Qt::ApplicationModal);
        modal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&modal));
        QTRY_VERIFY(!Vt->BlockedByModal());
        QCOMPARE(Vt->windowHandle()->transientParent(), modal.windowHandle());
        modal.hide();
        QTRY_VERIFY(Vt->windowHandle()->transientParent() != modal.windowHandle());
    }

    // A box raised over the tablet itself (the active window when a command
    // came) keeps the family a tree: no window becomes its own ancestor.
    void aBoxOfItsOwnMakesNoLoopOfParents()
    {
        QDialog box(Vt.get());
        box.setWindowModality(Qt::WindowModal);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(30);
        int depth = 0;
        for (QWindow* w = box.windowHandle(); w && depth < 16; w = w->transientParent())
            ++depth;
        QVERIFY(depth < 16);
        box.hide();
        QTest::qWait(30);
        QVERIFY(Vt->windowHandle()->transientParent() != box.windowHandle());
    }

    void theLoupeFollowsThePointer()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        MoveMouse(Surface(), PixelOf({3000, 3000}));
        const QImage shot = Vt->Loupe()->grab().toImage();
        QVERIFY(!shot.isNull());
        // The cross at the centre is drawn in blue.
        const QColor c = shot.pixelColor(shot.width() / 2, 5);
        QVERIFY2(c.blue() > 150 && c.red() < 80, qPrintable(c.name()));
    }

    // The ink view: blue ink dark, the green grid and the paper near white, and a
    // faint ink darker at a higher contrast; the scan itself is untouched.
    void theInkViewBringsOutTheInk()
    {
        QImage img(300, 80, QImage::Format_RGB32);
        img.fill(QColor(245, 243, 235));
        QPainter p(&img);
        p.fillRect(QRect(0, 20, 300, 3), QColor(90, 190, 110));  // printed grid
        p.fillRect(QRect(0, 40, 300, 3), QColor(60, 80, 200));   // pen ink
        p.fillRect(QRect(0, 60, 300, 3), QColor(180, 190, 235)); // faint ink
        p.end();
        img.setDotsPerMeterX(3937);
        img.setDotsPerMeterY(3937);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ink.png"));
        QVERIFY(img.save(path));
        QVERIFY(Vt->LoadImage(path));
        Surface()->SetView(5.0 * 100 / 1000, {0, 0}); // 5 widget pixels per picture pixel
        QVERIFY(Surface()->height() > 5 * 64 && Surface()->width() > 5 * 50);
        // The grey of the widget in the middle of the picture's row.
        auto grey = [this](int row) {
            const QImage shot = Surface()->grab().toImage();
            const QPointF at = Surface()->CountsToWidget({500, (80 - row - 1.5) * 10});
            return qGray(shot.pixel(at.toPoint()));
        };
        QVERIFY(grey(40) < 120 && grey(20) < 230);
        Vt->findChild<QSlider*>(QStringLiteral("slContrast"))->setValue(0); // contrast 1
        Vt->findChild<QCheckBox*>(QStringLiteral("cbInk"))->setChecked(true);
        QVERIFY(Surface()->InkView());
        QVERIFY2(grey(40) < 90, qPrintable(QString::number(grey(40))));
        QVERIFY2(grey(20) > 225, qPrintable(QString::number(grey(20))));
        QVERIFY(grey(10) > 245);
        const int faint = grey(60);
        Vt->findChild<QSlider*>(QStringLiteral("slContrast"))->setValue(4);
        QVERIFY2(grey(60) < faint - 30, qPrintable(QStringLiteral("%1 %2").arg(faint).arg(grey(60))));
        QVERIFY2(grey(20) > 120, qPrintable(QString::number(grey(20))));
        QCOMPARE(Surface()->Image().pixelColor(5, 41), QColor(60, 80, 200));
        // The loupe's magnification from its list.
        auto* loupe = Vt->findChild<QComboBox*>(QStringLiteral("cbLoupe"));
        loupe->setCurrentIndex(loupe->findData(16));
        emit loupe->activated(loupe->currentIndex());
        QCOMPARE(Vt->Loupe()->Magnification(), 16);
        Vt->Loupe()->SetMagnification(4);
        QCOMPARE(loupe->currentData().toInt(), 4);
    }

    // Space held down while digitizing: the mouse pans instead of sending packets.
    void spaceHeldPansWhileDigitizing()
    {
        TabletWindow a(QStringLiteral("A"), moAbsolute, {0, 0});
        Surface()->SetView(Surface()->Scale() * 2, {0, 0});
        MoveMouse(Surface(), QPoint(300, 300));
        const int before = int(a.Log.Lines.size());
        const QPointF offset = Surface()->Offset();
        QTest::keyPress(Surface(), Qt::Key_Space);
        MoveMouse(Surface(), QPoint(260, 280));
        QCOMPARE(Surface()->Offset(), offset + QPointF(-40, -20));
        QCOMPARE(int(a.Log.Lines.size()), before);
        QTest::keyRelease(Surface(), Qt::Key_Space);
        MoveMouse(Surface(), QPoint(250, 280));
        QCOMPARE(Surface()->Offset(), offset + QPointF(-40, -20));
        QVERIFY(int(a.Log.Lines.size()) > before);
    }

    // A picture claiming 30000 × 30000 pixels is refused from its header, before any pixel is decoded.
    void aPictureFarTooLargeIsRefused()
    {
        QImage img(20, 20, QImage::Format_RGB32);
        img.fill(Qt::white);
        QByteArray bytes;
        QBuffer buf(&bytes);
        QVERIFY(buf.open(QIODevice::WriteOnly) && img.save(&buf, "PNG"));
        for (int at : {16, 20}) { // IHDR width and height, big-endian
            bytes[at] = 0, bytes[at + 1] = 0, bytes[at + 2] = char(0x75), bytes[at + 3] = char(0x30);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bomb.png"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        f.close();
        QStringList messages;
        Vt->OnMessage = [&](const QString& m) { messages << m; };
        QVERIFY(!Vt->LoadImage(path));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].contains(QStringLiteral("grande demais")), qPrintable(messages[0]));
        QVERIFY(!Surface()->HasImage());
    }

    // The pages of a multi-page TIFF (the real scan, when it is beside the project).
    void anyPageOfAMultiPageTiff()
    {
        QString scan;
        for (const char* up : {"/../../../shared/scans/", "/../../../../shared/scans/"}) {
            const QString p = QStringLiteral(RS_TEST_DATA) + QLatin1String(up) + QStringLiteral("m162-2014-03-06.tif");
            if (QFileInfo::exists(p))
                scan = p;
        }
        if (scan.isEmpty())
            QSKIP("the real scan is not beside the project");
        QSignalSpy changed(Vt.get(), &TVirtualTablet::imageChanged);
        QVERIFY(Vt->LoadImage(scan));
        QCOMPARE(Vt->PageCount(), 3);
        QCOMPARE(Surface()->Image().size(), QSize(1684, 367));
        auto* page = Vt->findChild<QSpinBox*>(QStringLiteral("sbPage"));
        QVERIFY(page->isVisibleTo(Vt.get()));
        page->setValue(2);
        QCOMPARE(Vt->ImagePage(), 1);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.last().at(1).toInt(), 1);
        QVERIFY(Vt->windowTitle().contains(QStringLiteral("página 2 de 3")));
        QStringList messages;
        Vt->OnMessage = [&](const QString& m) { messages << m; };
        QVERIFY(!Vt->LoadImage(scan, 7));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(Vt->ImagePage(), 1); // the page shown stays
    }
};

QTEST_MAIN(TestVirtualTablet)
#include "tst_VirtualTablet.moc"
