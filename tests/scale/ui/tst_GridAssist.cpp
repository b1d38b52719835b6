// The scan's grid in the scale: control points placed on it, and clicks on "Mesa Virtual" snapping to
// its printed intersections while control points are marked (Alt held: no snapping).

#include "ChartSynth.h"

#include "tablet/ui/TabletRecorder.h"

#include "document/uRChart.h"
#include "scale/ui/GridAssist.h"
#include "scale/uScale.h"
#include "tablet/ui/TabletBinding.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>
#include <memory>

using namespace rs;
using namespace rs::test;

class TestGridAssist : public QObject
{
    Q_OBJECT

  private:
    std::unique_ptr<TVirtualTablet> Vt;
    synth::TSynthChart Chart;

    TTabletSurface* Surface() { return Vt->Surface(); }
    // Counts of a scan pixel position (continuous, y down).
    QPointF Counts(cv::Point2d px) const
    {
        return {px.x * 1000.0 / 100.0, Vt->Surface()->AreaHeight() - px.y * 1000.0 / 100.0};
    }
    QPoint PixelOf(QPointF counts) const
    {
        const QPointF w = Vt->Surface()->CountsToWidget(counts);
        return QPoint(int(std::floor(w.x())), int(std::floor(w.y())));
    }
    void Move(QPoint pos, Qt::KeyboardModifiers mods)
    {
        QMouseEvent me(QEvent::MouseMove, QPointF(pos), QPointF(Surface()->mapToGlobal(pos)), Qt::NoButton,
                       Qt::NoButton, mods);
        QApplication::sendEvent(Surface(), &me);
    }

  private slots:
    void initTestCase()
    {
        synth::TSynthOptions o = synth::OptionsFor("plain+clean+dpi100", 21);
        o.Hour = 7;
        Chart = synth::Generate(o);
    }
    void init()
    {
        Vt = std::make_unique<TVirtualTablet>();
        Vt->setGeometry(0, 0, 900, 400);
        Vt->show();
        QVERIFY(QTest::qWaitForWindowExposed(Vt.get()));
        const cv::Mat& m = Chart.Image;
        QImage img(m.data, m.cols, m.rows, int(m.step), QImage::Format_BGR888);
        Surface()->SetImage(img.copy(), 100, 100);
        Surface()->SetView(4.0 * 100 / 1000, QPointF(0, 0)); // 4 widget pixels a scan pixel
    }
    void cleanup()
    {
        TGridAssist::Instance().SetMarking(false);
        Vt.reset();
    }

    void placesControlPointsAsIfMarkedByHand()
    {
        QVERIFY(TGridAssist::Instance().HasScan());
        TRChart doc;
        TRChartInfo info = doc.Info;
        info.Hour = 7;
        info.Linear = true;
        doc.SetInfo(info);
        doc.Scale().SetCoordMode(1);
        QVERIFY(doc.BeginScale());
        const std::string why = TGridAssist::Instance().PlaceControlPoints(doc);
        QVERIFY2(why.empty(), why.c_str());
        TScale& s = doc.Scale();
        QVERIFY(s.Count() >= 7);
        QVERIFY(s.Valid);
        QVERIFY(s.WithinTolerance());
        TResiduals r;
        QVERIFY(s.MaxResiduals(r));
        QVERIFY2(std::abs(r.Time) * 60 < 1.0 && std::abs(r.Prec) < 0.02, qPrintable(QString::number(r.Time * 60)));
        // The operator may remove any of them and still conclude.
        TDigPoint* p = s.Items(4);
        s.Remove(4);
        delete p;
        QVERIFY(s.Valid && s.WithinTolerance());
    }

    void clicksSnapToTheGridWhileMarkingControlPoints()
    {
        TTablet tablet;
        QWidget window;
        window.setGeometry(QRect(QPoint(0, 450), QSize(200, 120)));
        tablet.SetMode(moAbsolute);
        BindTablet(tablet, &window);
        TabletRecorder log;
        log.Attach(tablet);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        const QPointF target = Counts(Chart.ImagePos(12, 3));
        const QPoint near = PixelOf(target) + QPoint(3, -2); // under a scan pixel away
        const auto movedTo = [&](Qt::KeyboardModifiers mods) {
            log.Take();
            Move(near, mods);
            const QStringList l = log.Take(QStringLiteral("move"));
            return l.isEmpty() ? QPointF(-1e6, -1e6)
                               : QPointF(l.last().section(QLatin1Char(' '), 2).section(QLatin1Char(','), 0, 0).toInt(),
                                         l.last().section(QLatin1Char(','), 1).toInt());
        };
        const auto dist = [](QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); };

        // Not marking control points: the pointer's own position.
        QVERIFY(dist(movedTo(Qt::NoModifier), target) > 5);
        QVERIFY(!Surface()->SnappedCounts());
        TGridAssist::Instance().SetMarking(true, 7, false);
        const QPointF snapped = movedTo(Qt::NoModifier);
        QVERIFY2(dist(snapped, target) <= 2, qPrintable(QStringLiteral("%1,%2").arg(snapped.x()).arg(snapped.y())));
        QVERIFY(Surface()->SnappedCounts()); // the ring shows where the click goes
        // Alt held: no snapping.
        QVERIFY(dist(movedTo(Qt::AltModifier), target) > 5);
        // Halfway between printed lines nothing is near enough.
        const QPointF between = Counts(Chart.ImagePos(12 + 1 / 12.0, 3.1));
        log.Take();
        Move(PixelOf(between), Qt::NoModifier);
        QVERIFY(!Surface()->SnappedCounts());
    }
};

QTEST_MAIN(TestGridAssist)
#include "tst_GridAssist.moc"
