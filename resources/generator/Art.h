#pragma once
// Shared pieces of the picture generator: where pictures are written, the
// palette and a few drawing helpers.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstdint>
#include <vector>

namespace rs::art {

// One written picture: its resource alias (without the leading ":/") and its
// file path relative to the resources folder.
struct TEntry
{
    QString Alias;
    QString File;
};

// Saves an image under the resources folder and records it for resources.qrc.
// format is "PNG" or "JPG".
void Save(const QImage& image, const QString& alias, const QString& file, const char* format = "PNG",
          int quality = -1);
const std::vector<TEntry>& Entries();
void SetOutputFolder(const QString& folder);
bool Failed();

// A transparent ARGB picture of the given size.
QImage NewImage(int w, int h, QColor fill = Qt::transparent);

// The chart paper's palette, shared by the small charts and the splash art.
namespace pal {
inline const QColor Paper(255, 255, 255);
inline const QColor PaperTint(255, 251, 242); // inside the printed grid
inline const QColor GridMinor(250, 208, 160);
inline const QColor GridMajor(238, 160, 72);
inline const QColor GridFrame(214, 120, 30);
inline const QColor Label(150, 78, 12);
inline const QColor Ink(46, 40, 140); // the pen's trace
inline const QColor Navy(0, 0, 128);
inline const QColor SkyTop(16, 42, 92);
inline const QColor SkyBottom(58, 112, 170);
} // namespace pal

// Tiny 3 x 5 pixel digits for the labels of the small charts.
void DrawPixelNumber(QImage& image, int x, int y, int number, QColor color);
int PixelNumberWidth(int number);

// Deterministic pseudo-random numbers (the same pictures on every run).
class TRandom
{
public:
    explicit TRandom(std::uint32_t seed) : FState(seed) {}
    double Next(); // [0, 1)
    double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

private:
    std::uint32_t FState;
};

// The geometry of the small charts, the same formulas as TChartImage.
inline constexpr int kChartWidth = 280;
inline constexpr int kChartHeight = 92;
inline constexpr int kStripHeight = 10;
int ChartY(double prec);            // 82 - round(7 p)
int ChartXLinear(double hours);     // 20 + round(10 h), h = hours after the start
int ChartXCurved(double prec, double hours);

void MakeCharts();  // PluvL, PluvNL, T7h..T9h, ptRed/ptGreen/ptBlue
void MakePoints();  // CtrlPt2, DataPt2, DataPt2b, DataPt2c, Ok, noOk, mode icons, tablet cursor
void MakeIcons();   // tool-bar icons and the program icon
void MakeSplash();  // splash and about pictures

} // namespace rs::art
