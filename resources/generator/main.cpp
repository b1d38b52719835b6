// rs_picturegen: draws every picture of the program into the resources folder
// and writes resources.qrc. The results are kept in the repository, so a build
// never needs to run this; run it after changing the art:
//     rs_picturegen [resources-folder]

#include "Art.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rs::art {

namespace {
QString gFolder;
std::vector<TEntry> gEntries;
bool gFailed = false;

// 3 x 5 digit shapes, one row per string, '#' = ink.
const char* const kDigits[10][5] = {
    {"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"},
    {"###", "..#", "###", "#..", "###"}, {"###", "..#", ".##", "..#", "###"},
    {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"}, {"###", "..#", ".#.", ".#.", ".#."},
    {"###", "#.#", "###", "#.#", "###"}, {"###", "#.#", "###", "..#", "###"},
};
} // namespace

void SetOutputFolder(const QString& folder) { gFolder = folder; }
const std::vector<TEntry>& Entries() { return gEntries; }
bool Failed() { return gFailed; }

void Save(const QImage& image, const QString& alias, const QString& file, const char* format, int quality)
{
    const QString path = gFolder + QLatin1Char('/') + file;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImageWriter writer(path, format);
    if (quality >= 0)
        writer.setQuality(quality);
    QImage out = image;
    if (qstrcmp(format, "JPG") == 0)
        out = image.convertToFormat(QImage::Format_RGB32);
    if (!writer.write(out)) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        gFailed = true;
        return;
    }
    gEntries.push_back({alias, file});
}

QImage NewImage(int w, int h, QColor fill)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

int PixelNumberWidth(int number)
{
    const QString s = QString::number(number);
    return int(s.size()) * 4 - 1;
}

void DrawPixelNumber(QImage& image, int x, int y, int number, QColor color)
{
    const QString s = QString::number(number);
    for (QChar c : s) {
        const int d = c.digitValue();
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (kDigits[d][row][col] == '#' && image.rect().contains(x + col, y + row))
                    image.setPixelColor(x + col, y + row, color);
        x += 4;
    }
}

double TRandom::Next()
{
    // xorshift32
    FState ^= FState << 13;
    FState ^= FState >> 17;
    FState ^= FState << 5;
    return double(FState) / 4294967296.0;
}

int ChartY(double prec) { return 82 - int(std::lround(7 * prec)); }
int ChartXLinear(double hours) { return 20 + int(std::lround(10 * hours)); }
int ChartXCurved(double prec, double hours)
{
    const double a = ((prec + 1) * 2.5 + 165) * M_PI / 180.0;
    return 14 + int(std::lround(173 * (std::cos(a) + 1) + 10 * hours));
}

} // namespace rs::art

namespace {

bool WriteQrc(const QString& folder)
{
    std::vector<rs::art::TEntry> entries = rs::art::Entries();
    std::sort(entries.begin(), entries.end(),
              [](const rs::art::TEntry& a, const rs::art::TEntry& b) { return a.Alias < b.Alias; });
    QFile f(folder + QStringLiteral("/resources.qrc"));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&f);
    out << "<!DOCTYPE RCC>\n"
           "<!-- Written by rs_picturegen (resources/generator); code names these through "
           "src/chartwin/Pictures.h. -->\n"
           "<RCC version=\"1.0\">\n"
           "  <qresource prefix=\"/\">\n";
    for (const auto& e : entries)
        out << "    <file alias=\"" << e.Alias << "\">" << e.File << "</file>\n";
    out << "  </qresource>\n"
           "</RCC>\n";
    return out.status() == QTextStream::Ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString folder = QStringLiteral(RS_RESOURCES_DIR);
    if (argc > 1)
        folder = QString::fromLocal8Bit(argv[1]);
    folder = QDir(folder).absolutePath();
    rs::art::SetOutputFolder(folder);

    rs::art::MakeCharts();
    rs::art::MakePoints();
    rs::art::MakeIcons();
    rs::art::MakeSplash();

    if (rs::art::Failed() || !WriteQrc(folder)) {
        std::fprintf(stderr, "rs_picturegen: failed\n");
        return 1;
    }
    std::printf("rs_picturegen: %d pictures written to %s\n", int(rs::art::Entries().size()),
                qPrintable(folder));
    return 0;
}
