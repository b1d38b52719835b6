// The small chart picture: geometry of the conversions and of the pictures,
// the start hour, markers with hints, highlight and blinking, and the refusal
// to build without the pictures.

#include "chartwin/ChartImage.h"
#include "chartwin/Pictures.h"
#include "common/Utils.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <stdexcept>

using rs::TChartImage;
using rs::TChartPictures;

namespace {

double ArcTerm(double p)
{
    const double a = ((p + 1) * 2.5 + 165) * M_PI / 180.0;
    return 173 * (std::cos(a) + 1);
}

bool IsPaper(QRgb c)
{
    // white margin or the light tint inside the grid
    return qRed(c) >= 250 && qGreen(c) >= 248 && qBlue(c) >= 238;
}

// Restores the shared pictures after a test replaced them.
struct TPicturesGuard
{
    ~TPicturesGuard() { TChartImage::SetPictures(TChartPictures::FromResources()); }
};

} // namespace

class TstChartImage : public QObject
{
    Q_OBJECT

private slots:
    void init() { rs::SetDecimalSeparator('.'); }

    void resourcesLoad_data();
    void resourcesLoad();
    void iconsHaveBothSizes();
    void sizeAndPaint();

    void valueToPixel_data();
    void valueToPixel();
    void pixelToValueIsExactInverse_data();
    void pixelToValueIsExactInverse();
    void linearGridMatchesFormulas();
    void curvedGridMatchesFormulas();

    void timeStartClamped();
    void timeStartKeepsMarkersInPlace();
    void linearMovesMarkersHorizontally();

    void markerHints();
    void markerCentredAndMissingPicture();
    void highlight();
    void blinking();
    void removeAndShowMarkers();
    void clicksReportValues();

    void missingPicturesRefuse();
};

void TstChartImage::resourcesLoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    const QSize any(-1, -1);
    QTest::newRow("PluvL") << QString(rs::kPicPluvL) << QSize(280, 92);
    QTest::newRow("PluvNL") << QString(rs::kPicPluvNL) << QSize(280, 92);
    QTest::newRow("T7h") << QString(rs::kPicT7h) << QSize(280, 10);
    QTest::newRow("T8h") << QString(rs::kPicT8h) << QSize(280, 10);
    QTest::newRow("T9h") << QString(rs::kPicT9h) << QSize(280, 10);
    QTest::newRow("ptRed") << QString(rs::kPicPtRed) << QSize(7, 7);
    QTest::newRow("ptGreen") << QString(rs::kPicPtGreen) << QSize(7, 7);
    QTest::newRow("ptBlue") << QString(rs::kPicPtBlue) << QSize(7, 7);
    QTest::newRow("CtrlPt2") << QString(rs::kPicCtrlPt2) << any;
    QTest::newRow("DataPt2") << QString(rs::kPicDataPt2) << any;
    QTest::newRow("DataPt2b") << QString(rs::kPicDataPt2b) << any;
    QTest::newRow("DataPt2c") << QString(rs::kPicDataPt2c) << any;
    QTest::newRow("Ok") << QString(rs::kPicOk) << QSize(16, 16);
    QTest::newRow("noOk") << QString(rs::kPicNoOk) << QSize(16, 16);
    QTest::newRow("ModeAbs") << QString(rs::kPicModeAbs) << QSize(31, 53);
    QTest::newRow("ModeRel") << QString(rs::kPicModeRel) << QSize(31, 53);
    QTest::newRow("TabCursor") << QString(rs::kPicTabCursor) << QSize(21, 21);
    QTest::newRow("Splash") << QString(rs::kPicSplash) << QSize(360, 270);
    QTest::newRow("About") << QString(rs::kPicAbout) << QSize(360, 270);
    QTest::newRow("Icon256") << QString(rs::kPicAppIcon256) << QSize(256, 256);
}

void TstChartImage::resourcesLoad()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage img(name);
    QVERIFY2(!img.isNull(), qPrintable(name));
    if (size.isValid())
        QCOMPARE(img.size(), size);
    // Point glyphs are centred on their point: odd sizes, transparent corners.
    if (name.startsWith(QLatin1String(":/points/")) || name.startsWith(QLatin1String(":/markers/"))) {
        QVERIFY(img.width() % 2 == 1 && img.height() % 2 == 1);
        QVERIFY(img.hasAlphaChannel());
    }
    if (name == QLatin1String(rs::kPicTabCursor)) {
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QVERIFY(qAlpha(img.pixel(rs::kTabCursorHotX, rs::kTabCursorHotY)) == 255);
    }
}

void TstChartImage::iconsHaveBothSizes()
{
    for (const char* name : {rs::kIcoNew, rs::kIcoOpen, rs::kIcoSave, rs::kIcoDefScale, rs::kIcoDigitize,
                             rs::kIcoOverflow, rs::kIcoFailure, rs::kIcoFinishDigit, rs::kIcoResults,
                             rs::kIcoStatistics, rs::kIcoZoomIn, rs::kIcoZoomOut, rs::kIcoProperties}) {
        QCOMPARE(QImage(QString(name)).size(), QSize(16, 16));
        QCOMPARE(QImage(QString(name) + "@2x").size(), QSize(32, 32));
        const QIcon icon = rs::PicIcon(name);
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
    }
    QCOMPARE(rs::AppIcon().availableSizes().size(), 4);
}

void TstChartImage::sizeAndPaint()
{
    TChartImage img;
    const TChartPictures& pics = TChartImage::Pictures();
    QCOMPARE(img.size(), QSize(pics.PluvL.width(), pics.PluvL.height() + pics.Strip[0].height()));
    QVERIFY(img.Linear());
    QCOMPARE(img.TimeStart(), 7);
    QCOMPARE(img.HighlightedMarker(), -1);

    for (bool linear : {true, false})
        for (int hour : {7, 8, 9}) {
            img.SetLinear(linear);
            img.SetTimeStart(hour);
            const QImage shot = img.grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QImage chart = (linear ? pics.PluvL : pics.PluvNL).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage strip = pics.Strip[hour - 7].toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shot.copy(0, 0, chart.width(), chart.height()), chart);
            QCOMPARE(shot.copy(0, chart.height(), strip.width(), strip.height()), strip);
        }
}

void TstChartImage::valueToPixel_data()
{
    QTest::addColumn<bool>("linear");
    QTest::addColumn<int>("start");
    QTest::addColumn<double>("p");
    QTest::addColumn<double>("dt"); // hours after the start
    QTest::addColumn<QPoint>("pixel");
    for (int h : {7, 8, 9}) {
        const QByteArray s = QByteArray::number(h);
        QTest::newRow("L origin " + s) << true << h << 0.0 << 0.0 << QPoint(20, 82);
        QTest::newRow("L 10mm " + s) << true << h << 10.0 << 0.0 << QPoint(20, 12);
        QTest::newRow("L end " + s) << true << h << 0.0 << 24.0 << QPoint(260, 82);
        QTest::newRow("L -1mm 11mm " + s) << true << h << -1.0 << 12.5 << QPoint(145, 89);
        QTest::newRow("L rounding " + s) << true << h << 3.5 << 0.26 << QPoint(23, 57);
        // 5 mm is the arc's vertex: no bend there
        QTest::newRow("C vertex " + s) << false << h << 5.0 << 0.0 << QPoint(14, 47);
        QTest::newRow("C vertex end " + s) << false << h << 5.0 << 24.0 << QPoint(254, 47);
        // about 5.9 px of bend at -1 and at 11 mm
        QTest::newRow("C -1mm " + s) << false << h << -1.0 << 0.0 << QPoint(20, 89);
        QTest::newRow("C 11mm " + s) << false << h << 11.0 << 10.0 << QPoint(120, 5);
        QTest::newRow("C 0mm " + s) << false << h << 0.0 << 3.0 << QPoint(48, 82);
    }
}

void TstChartImage::valueToPixel()
{
    QFETCH(bool, linear);
    QFETCH(int, start);
    QFETCH(double, p);
    QFETCH(double, dt);
    QFETCH(QPoint, pixel);
    TChartImage img;
    img.SetLinear(linear);
    img.SetTimeStart(start);
    QCOMPARE(img.ValueToPixel(p, start + dt), pixel);

    // and back: within half a pixel's worth of time and precipitation
    double pb, tb;
    img.PixelToValue(pixel.x(), pixel.y(), pb, tb);
    QVERIFY(std::abs(pb - p) <= 0.5 / 7 + 1e-9);
    QVERIFY(std::abs(tb - (start + dt)) <= 0.05 + 0.5 / 7 * 0.3 + 1e-9);
}

void TstChartImage::pixelToValueIsExactInverse_data()
{
    QTest::addColumn<bool>("linear");
    QTest::addColumn<int>("start");
    for (int h : {7, 8, 9}) {
        QTest::newRow(("linear " + QByteArray::number(h)).constData()) << true << h;
        QTest::newRow(("curved " + QByteArray::number(h)).constData()) << false << h;
    }
}

void TstChartImage::pixelToValueIsExactInverse()
{
    QFETCH(bool, linear);
    QFETCH(int, start);
    TChartImage img;
    img.SetLinear(linear);
    img.SetTimeStart(start);
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 7) {
            double p, t;
            img.PixelToValue(x, y, p, t);
            QCOMPARE(img.ValueToPixel(p, t), QPoint(x, y));
            if (linear)
                QCOMPARE(t, start + (x - 20) / 10.0);
            else
                QVERIFY(std::abs(t - (start + (x - 14 - ArcTerm(p)) / 10.0)) < 1e-12);
            QCOMPARE(p, (82 - y) / 7.0);
        }
}

// Every hour line and every millimetre line of the blank chart lies where the
// conversion puts that time and precipitation; between the lines is paper.
void TstChartImage::linearGridMatchesFormulas()
{
    TChartImage img;
    const QImage chart = TChartImage::Pictures().PluvL.toImage();
    for (int k = 0; k <= 24; ++k)
        for (double p = 0; p <= 10; p += 0.25) {
            const QPoint px = img.ValueToPixel(p, 7 + k);
            QVERIFY2(!IsPaper(chart.pixel(px)), qPrintable(QString("hour %1 at %2 mm").arg(k).arg(p)));
        }
    for (int m = 0; m <= 10; ++m)
        for (double t = 7; t <= 31; t += 0.3) {
            const QPoint px = img.ValueToPixel(m, t);
            QVERIFY2(!IsPaper(chart.pixel(px)), qPrintable(QString("%1 mm at %2 h").arg(m).arg(t)));
        }
    // centre of every cell is blank
    for (int k = 0; k < 24; ++k)
        for (int m = 0; m < 10; ++m)
            QVERIFY(IsPaper(chart.pixel(img.ValueToPixel(m + 0.5, 7.5 + k))));
    // nothing is printed between the hour lines, off the lines and labels
    QVERIFY(IsPaper(chart.pixel(25, 43)));
    QVERIFY(IsPaper(chart.pixel(255, 80)));
}

void TstChartImage::curvedGridMatchesFormulas()
{
    TChartImage img;
    img.SetLinear(false);
    const QImage chart = TChartImage::Pictures().PluvNL.toImage();
    for (int k = 0; k <= 24; ++k)
        for (int y = 12; y <= 82; ++y) { // every row of the printed grid
            double p, t;
            img.PixelToValue(0, y, p, t);
            const QPoint px = img.ValueToPixel(p, 7 + k);
            QCOMPARE(px.y(), y);
            QVERIFY2(!IsPaper(chart.pixel(px)), qPrintable(QString("hour %1 row %2").arg(k).arg(y)));
            // the line is one pixel wide: its neighbours 3 px away are paper
            if (k > 0 && k < 24) {
                QVERIFY(IsPaper(chart.pixel(px.x() + 3, y)) || (y - 12) % 7 == 0);
                QVERIFY(IsPaper(chart.pixel(px.x() - 3, y)) || (y - 12) % 7 == 0);
            }
        }
    for (int m = 0; m <= 10; ++m)
        for (double t = 7; t <= 31; t += 0.3)
            QVERIFY(!IsPaper(chart.pixel(img.ValueToPixel(m, t))));
    // The arc: the straight chart's vertical line at x = 20 is bare paper at 5 mm on the curved one.
    QVERIFY(IsPaper(chart.pixel(img.ValueToPixel(5, 7).x() + 3, 47 + 3)));
    QCOMPARE(img.ValueToPixel(5, 7).x(), 14);
}

void TstChartImage::timeStartClamped()
{
    TChartImage img;
    img.SetTimeStart(5);
    QCOMPARE(img.TimeStart(), 7);
    img.SetTimeStart(12);
    QCOMPARE(img.TimeStart(), 9);
    img.SetTimeStart(8);
    QCOMPARE(img.TimeStart(), 8);
    img.SetTimeStart(-1000000);
    QCOMPARE(img.TimeStart(), 7);
}

void TstChartImage::timeStartKeepsMarkersInPlace()
{
    for (bool linear : {true, false}) {
        TChartImage img;
        img.SetLinear(linear);
        QCOMPARE(img.AddMarker(0, 2.0, 10.0), 0);
        QCOMPARE(img.AddMarker(1, 9.5, 30.0), 1);
        const QRect r0 = img.MarkerRect(0), r1 = img.MarkerRect(1);
        img.SetTimeStart(8);
        QCOMPARE(img.MarkerTime(0), 11.0);
        QCOMPARE(img.MarkerTime(1), 31.0);
        QCOMPARE(img.MarkerRect(0), r0);
        QCOMPARE(img.MarkerRect(1), r1);
        QCOMPARE(img.MarkerHint(0), QString("(1) 11  2"));
        img.SetTimeStart(20); // clamped to 9: one more hour
        QCOMPARE(img.MarkerTime(0), 12.0);
        QCOMPARE(img.MarkerRect(0), r0);
    }
}

void TstChartImage::linearMovesMarkersHorizontally()
{
    TChartImage img;
    img.AddMarker(2, 11.0, 12.0);
    const QRect straight = img.MarkerRect(0);
    img.SetLinear(false);
    const QRect curved = img.MarkerRect(0);
    QCOMPARE(curved.y(), straight.y());
    const QPoint c = img.ValueToPixel(11.0, 12.0);
    QCOMPARE(curved.center(), c);
    QVERIFY(curved.x() != straight.x() || std::lround(ArcTerm(11.0)) == 6);
    img.SetLinear(true);
    QCOMPARE(img.MarkerRect(0), straight);
}

void TstChartImage::markerHints()
{
    TChartImage img;
    img.AddMarker(0, 3.0, 30.5);
    img.AddMarker(1, 0.25, 7.125);
    img.AddMarker(2, 1.0 / 3, 23.999);
    QCOMPARE(img.MarkerHint(0), QString("(1) 6.5  3"));
    QCOMPARE(img.MarkerHint(1), QString("(2) 7.125  0.25"));
    QCOMPARE(img.MarkerHint(2), QString("(3) 23.999  0.333333"));
    QCOMPARE(img.MarkerTime(0), 30.5); // the hint shows the time of day, the value stays

    rs::SetDecimalSeparator(',');
    img.AddMarker(0, 10.75, 24.0);
    QCOMPARE(img.MarkerHint(3), QString("(4) 0  10,75"));
    rs::SetDecimalSeparator('.');

    // The marker under the mouse is found for its hint, the topmost first.
    img.AddMarker(1, 10.75, 24.0);
    QCOMPARE(img.MarkerAt(img.MarkerRect(4).center()), 4);
    QCOMPARE(img.MarkerAt(QPoint(1, 1)), -1);
}

void TstChartImage::markerCentredAndMissingPicture()
{
    TChartImage img;
    QCOMPARE(img.AddMarker(3, 1, 8), -1);
    QCOMPARE(img.AddMarker(-1, 1, 8), -1);
    QCOMPARE(img.MarkerCount(), 0);
    const int i = img.AddMarker(1, 0, 7);
    QCOMPARE(img.MarkerRect(i), QRect(17, 79, 7, 7));
    QCOMPARE(img.MarkerImage(i), 1);

    // Bad values do not crash; the marker simply lies off the picture.
    const int j = img.AddMarker(0, std::nan(""), 1e300);
    QVERIFY(j >= 0);
    QVERIFY(!img.rect().intersects(img.MarkerRect(j)));

    TPicturesGuard guard;
    TChartPictures pics = TChartPictures::FromResources();
    pics.Marker[1] = QPixmap();
    TChartImage::SetPictures(pics);
    TChartImage other;
    QCOMPARE(other.AddMarker(1, 0, 7), -1);
    QCOMPARE(other.AddMarker(2, 0, 7), 0);
    other.SetMarkerImage(0, 1); // missing picture: unchanged
    QCOMPARE(other.MarkerImage(0), 2);
}

void TstChartImage::highlight()
{
    TChartImage img;
    for (int k = 0; k < 4; ++k)
        img.AddMarker(1, k, 8 + k);
    img.HighlightMarker(2);
    QCOMPARE(img.HighlightedMarker(), 2);
    QCOMPARE(img.MarkerImage(2), 2);
    img.HighlightMarker(1);
    QCOMPARE(img.MarkerImage(2), 0); // the normal picture, red by default
    QCOMPARE(img.MarkerImage(1), 2);
    img.HighlightMarker(-1);
    QCOMPARE(img.HighlightedMarker(), -1);
    QCOMPARE(img.MarkerImage(1), 0);
    img.HighlightMarker(99);
    QCOMPARE(img.HighlightedMarker(), -1);

    img.SetNormalImage(1);
    img.SetHighlightImage(0);
    img.HighlightMarker(3);
    QCOMPARE(img.MarkerImage(3), 0);
    img.HighlightMarker(0);
    QCOMPARE(img.MarkerImage(3), 1);
}

void TstChartImage::blinking()
{
    TChartImage img;
    img.AddMarker(0, 1, 8);
    img.AddMarker(2, 2, 9);
    QVERIFY(!img.BlinkActive());
    img.SetMarkerBlinking(1, true);
    QVERIFY(img.BlinkActive());
    QVERIFY(img.MarkerBlinking(1));

    QVERIFY(img.BlinkPhase());
    img.BlinkTick(); // shows, then the phase flips
    QVERIFY(img.MarkerShown(1));
    img.BlinkTick();
    QVERIFY(!img.MarkerShown(1));
    QVERIFY(img.MarkerShown(0)); // not blinking: untouched
    img.BlinkTick();
    QVERIFY(img.MarkerShown(1));
    img.BlinkTick();
    QVERIFY(!img.MarkerShown(1));

    img.SetMarkerBlinking(1, false); // stops shown
    QVERIFY(img.MarkerShown(1));
    QVERIFY(!img.BlinkActive());

    // The real timer toggles every 300 ms.
    img.show();
    img.SetMarkerBlinking(0, true);
    QTRY_VERIFY_WITH_TIMEOUT(!img.MarkerShown(0), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(img.MarkerShown(0), 2000);
    img.SetMarkerBlinking(0, false);
    QVERIFY(!img.BlinkActive());
}

void TstChartImage::removeAndShowMarkers()
{
    TChartImage img;
    for (int k = 0; k < 5; ++k)
        img.AddMarker(0, k, 8 + k);
    img.SetMarkerBlinking(3, true);
    img.SetMarkerBlinking(4, true);
    img.HighlightMarker(4);
    img.RemoveMarkersFrom(3);
    QCOMPARE(img.MarkerCount(), 3);
    QVERIFY(!img.BlinkActive());
    QCOMPARE(img.HighlightedMarker(), -1);
    QCOMPARE(img.MarkerImage(3), -1);
    img.RemoveMarkersFrom(7); // nothing there
    QCOMPARE(img.MarkerCount(), 3);

    img.SetMarkerBlinking(0, true);
    img.ShowMarkers(false);
    QVERIFY(!img.BlinkActive());
    QVERIFY(!img.MarkerBlinking(0));
    for (int i = 0; i < 3; ++i)
        QVERIFY(!img.MarkerShown(i));
    QCOMPARE(img.AddMarker(0, 1, 9), 3); // follows the hidden state
    QVERIFY(!img.MarkerShown(3));
    img.ShowMarkers(true);
    for (int i = 0; i < 4; ++i)
        QVERIFY(img.MarkerShown(i));

    img.ClearMarkers();
    QCOMPARE(img.MarkerCount(), 0);
    QCOMPARE(img.AddMarker(1, 1, 9), 0);
    QCOMPARE(img.MarkerHint(0), QString("(1) 9  1")); // numbering starts again
}

void TstChartImage::clicksReportValues()
{
    TChartImage img;
    img.SetTimeStart(9);
    img.AddMarker(0, 4, 15);
    img.show();
    QVERIFY(QTest::qWaitForWindowExposed(&img));
    QSignalSpy values(&img, &TChartImage::ValueClicked);
    QSignalSpy markers(&img, &TChartImage::MarkerClicked);
    QSignalSpy hover(&img, &TChartImage::ValueHovered);

    QTest::mouseClick(&img, Qt::LeftButton, {}, QPoint(120, 47));
    QCOMPARE(values.count(), 1);
    QCOMPARE(values[0][0].toDouble(), 5.0);
    QCOMPARE(values[0][1].toDouble(), 19.0);
    QCOMPARE(markers.count(), 0);

    // A click on a marker reaches the picture: the marker and the value.
    const QPoint c = img.MarkerRect(0).center();
    QTest::mouseClick(img.window()->windowHandle(), Qt::LeftButton, {}, img.mapTo(img.window(), c));
    QCOMPARE(markers.count(), 1);
    QCOMPARE(markers[0][0].toInt(), 0);
    QCOMPARE(values.count(), 2);
    QCOMPARE(values[1][0].toDouble(), 4.0);
    QCOMPARE(values[1][1].toDouble(), 15.0);

    QTest::mouseMove(&img, QPoint(30, 12));
    QTRY_VERIFY(hover.count() > 0);
    QCOMPARE(hover.last()[0].toDouble(), 10.0);
    QCOMPARE(hover.last()[1].toDouble(), 10.0);

    // The right button does not click.
    QTest::mouseClick(&img, Qt::RightButton, {}, QPoint(120, 47));
    QCOMPARE(values.count(), 2);
}

void TstChartImage::missingPicturesRefuse()
{
    TPicturesGuard guard;
    for (int missing = 0; missing < 5; ++missing) {
        TChartPictures pics = TChartPictures::FromResources();
        QVERIFY(pics.Usable());
        QPixmap* parts[5] = {&pics.PluvL, &pics.PluvNL, &pics.Strip[0], &pics.Strip[1], &pics.Strip[2]};
        *parts[missing] = QPixmap();
        TChartImage::SetPictures(pics);
        QWidget parent;
        try {
            TChartImage img(&parent);
            QFAIL("built without its pictures");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QString::fromUtf8("Não posso criar a imagem dos pluviogramas"));
        }
        QVERIFY(parent.children().isEmpty());
    }
    // The marker pictures are optional.
    TChartPictures pics = TChartPictures::FromResources();
    for (QPixmap& m : pics.Marker)
        m = QPixmap();
    TChartImage::SetPictures(pics);
    TChartImage img;
    QCOMPARE(img.AddMarker(0, 1, 8), -1);
}

QTEST_MAIN(TstChartImage)
#include "tst_ChartImage.moc"
