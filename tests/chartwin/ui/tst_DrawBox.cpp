// The drawing surface and its canvas: what reaches the pixels.

#include "chartwin/DrawBox.h"
#include "chartwin/QtCanvas.h"
#include "common/uGlobal.h"
#include "support/TestCharts.h"

#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

using namespace rs;

namespace {

QColor Px(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

// True when some pixel within r pixels of (x, y) has the colour.
bool Near(const QImage& img, int x, int y, const QColor& c, int r = 1)
{
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (img.rect().contains(x + dx, y + dy) && img.pixelColor(x + dx, y + dy) == c)
                return true;
    return false;
}

QPixmap Solid(int w, int h, QColor c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

QImage Grab(TDrawBox& box)
{
    QImage img(box.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    box.PaintArea(p, box.rect());
    return img;
}

// A digitized chart on a surface whose curve markers are 5 x 5 green squares.
struct TFixture
{
    TDrawBox box;
    TRChart chart{&box};
    TFixture()
    {
        box.resize(633, 422);
        box.SetColor(Qt::white);
        for (int i = 0; i < 3; ++i)
            chart.Curve().AddGlyph(5, 5);
        chart.Scale().AddGlyph(9, 9);
        box.AddPointList(&chart.Scale());
        box.AddPointList(&chart.Curve());
        box.SetGlyphs(&chart.Curve(), {Solid(5, 5, Qt::green), Solid(5, 5, Qt::red), Solid(5, 5, Qt::gray)});
        box.SetGlyphs(&chart.Scale(), {Solid(9, 9, Qt::cyan)});
        box.OnPaint = [this](TDrawBox*, TCanvas& c) { chart.DrawChart(c); };
        test::MakeDigitizedChart(chart);
    }
};

} // namespace

class TestDrawBox : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        ChartColors() = TChartColors{};
        ChartColors().Grid = RGB(255, 176, 64);
        ChartColors().Curve = RGB(0, 0, 128);
    }

    void canvasFrameAndFill()
    {
        QImage img(40, 40, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter p(&img);
            TQtCanvas c(p, {0, 0, 40, 40});
            c.SetPen(RGB(0, 0, 0), 1);
            c.FrameRect({10, 10, 20, 20});
            c.FillRect({30, 30, 33, 33}, RGB(255, 0, 0));
            QCOMPARE(c.PenColor(), RGB(0, 0, 0));
        }
        // Right and bottom are outside the rectangle.
        QCOMPARE(Px(img, 10, 10), QColor(Qt::black));
        QCOMPARE(Px(img, 19, 19), QColor(Qt::black));
        QCOMPARE(Px(img, 20, 20), QColor(Qt::white));
        QCOMPARE(Px(img, 15, 15), QColor(Qt::white));
        QCOMPARE(Px(img, 32, 32), QColor(Qt::red));
        QCOMPARE(Px(img, 33, 33), QColor(Qt::white));
    }

    void canvasFontIsInPixelsAt96Dpi()
    {
        QCOMPARE(PointsToPixels(6), 8);
        QCOMPARE(PointsToPixels(12), 16);
        QImage small(10, 10, QImage::Format_RGB32);
        small.setDotsPerMeterX(20000); // a 508 dpi device
        small.setDotsPerMeterY(20000);
        QImage plain(10, 10, QImage::Format_RGB32);
        QPainter ps(&small), pp(&plain);
        TQtCanvas a(ps, {0, 0, 10, 10}), b(pp, {0, 0, 10, 10});
        a.SetFont("Arial", 12, 0);
        b.SetFont("Arial", 12, 0);
        QCOMPARE(a.TextWidth("1234567890"), b.TextWidth("1234567890"));
        QCOMPARE(a.TextHeight("0"), b.TextHeight("0"));
        QVERIFY(a.TextHeight("0") >= 16 && a.TextHeight("0") <= 22);
        // A zero size still draws something readable.
        a.SetFont("Arial", 0, 0);
        QVERIFY(a.TextHeight("0") > 0);
    }

    void canvasTextIsWindows1252()
    {
        QImage img(60, 20, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        TQtCanvas c(p, {0, 0, 60, 20});
        c.SetFont("Arial", 9, RGB(0, 0, 0));
        // "ção" in Windows-1252 is as wide as the same text in UTF-8 through Qt.
        const int w = c.TextWidth("\xE7\xE3o");
        QCOMPARE(w, QFontMetrics([] {
                        QFont f("Arial");
                        f.setPixelSize(12);
                        return f;
                    }(), &img)
                        .horizontalAdvance(QString::fromUtf8("ção")));
    }

    void paintsBackgroundFrameGridCurveAndMarkers()
    {
        TFixture f;
        const QImage img = Grab(f.box);
        const TScale& s = f.chart.Scale();
        const int h = f.chart.Info.Hour;

        QCOMPARE(Px(img, 2, 2), QColor(Qt::white));
        // Frame: black left edge, grey shadow below it.
        const int fl = s.TimeToX(h - 0.65), fb = s.PrecToY(-2.2), ft = s.PrecToY(11.5);
        QCOMPARE(Px(img, fl, (ft + fb) / 2), QColor(Qt::black));
        QCOMPARE(Px(img, fl + 10, fb + 1), QColor(128, 128, 128));
        // A main time grid line at 3 h of the next day, away from the curve.
        const QColor grid(255, 176, 64);
        QCOMPARE(Px(img, s.TimeToX(h + 20), s.PrecToY(8.5)), grid);
        // No secondary grid by default: 10 minutes past 20 h stays white.
        QCOMPARE(Px(img, s.TimeToX(h + 20 + 1.0 / 6), s.PrecToY(8.5)), QColor(Qt::white));
        // The curve between 7 h / 0 mm and 9 h / 9.8 mm.
        const QColor navy(0, 0, 128);
        const TPoint a = f.chart.Curve().Items(0)->Centre(), b = f.chart.Curve().Items(1)->Centre();
        QVERIFY(Near(img, (a.x + b.x) / 2, (a.y + b.y) / 2, navy));
        // The peak before the overflow shows picture 1, the others picture 0.
        const TDigPoint* peak = f.chart.Curve().Items(1);
        QCOMPARE(peak->Mark(), 1);
        QCOMPARE(Px(img, peak->Centre().x, peak->Centre().y), QColor(Qt::red));
        const TDigPoint* last = f.chart.Curve().Last();
        QCOMPARE(Px(img, last->Centre().x, last->Centre().y), QColor(Qt::green));
        // Control points of a concluded scale are hidden.
        for (int i = 0; i < s.Count(); ++i)
            QVERIFY(Px(img, s.Items(i)->Centre().x, s.Items(i)->Centre().y) != QColor(Qt::cyan));
    }

    void gridColourFollowsThePreference()
    {
        TFixture f;
        ChartColors().Grid = RGB(0, 200, 0);
        f.chart.SetViewFlags(0, 3);
        const QImage img = Grab(f.box);
        const TScale& s = f.chart.Scale();
        QCOMPARE(Px(img, s.TimeToX(27 + 1.0 / 6), s.PrecToY(8.5)), QColor(0, 200, 0));
    }

    void paintsOnlyTheExposedArea()
    {
        TFixture f;
        QImage img(f.box.size(), QImage::Format_RGB32);
        img.fill(Qt::magenta);
        QPainter p(&img);
        const QRect strip(0, 150, 633, 32);
        p.setClipRect(strip);
        f.box.PaintArea(p, strip);
        p.end();
        QCOMPARE(Px(img, 5, 140), QColor(Qt::magenta));
        QCOMPARE(Px(img, 5, 160), QColor(Qt::white));
        QCOMPARE(Px(img, 5, 190), QColor(Qt::magenta));
    }

    void selectionHandlesAndHiddenLists()
    {
        TFixture f;
        TCurve& c = f.chart.Curve();
        c.SelectIndex(2);
        QImage img = Grab(f.box);
        const std::vector<TRect> handles = c.HandleRects();
        QCOMPARE(int(handles.size()), 8);
        for (const TRect& r : handles)
            QCOMPARE(Px(img, r.left + 1, r.top + 1), QColor(Qt::black));
        c.SetVisible(false);
        img = Grab(f.box);
        const TPoint centre = c.Items(2)->Centre();
        QVERIFY(Px(img, centre.x, centre.y) != QColor(Qt::green));
        QCOMPARE(f.box.MarkerAt(QPoint(centre.x, centre.y)), nullptr);
    }

    void markerWithoutPictureIsASquare()
    {
        TDrawBox box;
        box.resize(100, 100);
        TPointList list(nullptr, &box);
        box.AddPointList(&list);
        auto* p = new TDigPoint;
        list.Append(p);
        p->SetCentre({50, 50});
        QImage img(100, 100, QImage::Format_RGB32);
        QPainter painter(&img);
        box.PaintArea(painter, box.rect());
        painter.end();
        QCOMPARE(p->Bounds().Width(), 7);
        QCOMPARE(Px(img, p->Bounds().left, p->Bounds().top), QColor(Qt::black));
        QCOMPARE(Px(img, 50, 50), QColor(Qt::white));
        box.RemovePointList(&list);
    }

    void pressOnMarkerIsPressOnSurfaceAndClickSelects()
    {
        TFixture f;
        f.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.box));
        TCurve& c = f.chart.Curve();
        QSignalSpy down(&f.box, &TDrawBox::MouseDown);
        const TPoint ctr = c.Items(3)->Centre();
        // Not editing: the click does not select.
        QTest::mouseClick(&f.box, Qt::LeftButton, {}, QPoint(ctr.x, ctr.y));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(2).toPoint(), QPoint(ctr.x, ctr.y));
        QCOMPARE(c.Selected(), nullptr);
        c.SetEditing(true);
        QTest::mouseClick(&f.box, Qt::LeftButton, {}, QPoint(ctr.x, ctr.y));
        QCOMPARE(c.Selected(), c.Items(3));
        // A click beside every marker selects nothing new.
        QTest::mouseClick(&f.box, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(c.Selected(), c.Items(3));
        c.SetEditing(false);
    }

    void markerRemovedWhilePressed()
    {
        TFixture f;
        f.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.box));
        TCurve& c = f.chart.Curve();
        c.SetEditing(true);
        const TPoint ctr = c.Last()->Centre();
        QTest::mousePress(&f.box, Qt::LeftButton, {}, QPoint(ctr.x, ctr.y));
        c.UndoLast();
        QTest::mouseRelease(&f.box, Qt::LeftButton, {}, QPoint(ctr.x, ctr.y));
        QCOMPARE(c.Selected(), nullptr);
        c.SetEditing(false);
    }

    void hintsOfMarkersAreTooltips()
    {
        TFixture f;
        f.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.box));
        TDigPoint* p = f.chart.Curve().Items(0);
        p->SetHint("Ponto \xE0 direita\r\nsegunda linha");
        p->SetShowHint(true);
        const QPoint at(p->Centre().x, p->Centre().y);
        QHelpEvent e(QEvent::ToolTip, at, f.box.mapToGlobal(at));
        QVERIFY(QApplication::sendEvent(&f.box, &e));
        QTRY_COMPARE(QToolTip::text(), QString::fromUtf8("Ponto à direita\nsegunda linha"));
    }

    void invalidateRequestsRepaint()
    {
        TDrawBox box;
        box.resize(50, 50);
        box.InvalidateRect({0, 0, 0, 0}); // empty: nothing to do
        box.InvalidateRect({1, 1, 5, 5});
        box.MarkersChanged(nullptr);
        QCOMPARE(box.Color(), QColor(Qt::white));
        box.SetColor(Qt::yellow);
        QImage img = Grab(box);
        QCOMPARE(Px(img, 10, 10), QColor(Qt::yellow));
    }
};

QTEST_MAIN(TestDrawBox)
#include "tst_DrawBox.moc"
