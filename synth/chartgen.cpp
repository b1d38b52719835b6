// chartgen: writes one synthetic scanned pluviogram and its truth.

#include "ChartSynth.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

const char* kHelp = R"(chartgen - a synthetic scanned pluviogram with its known truth

usage: chartgen -o BASE [options]

Writes BASE.<format> (the scanned chart) and BASE.json (the truth).

  -o, --out BASE        output path without extension
  --seed N              the chart's seed (default 1); the same seed gives the same chart
  --kind K[+K...]       features to force on top of the seed's random ones (default random):
                        plain straight curved green red orange grey-grid blue violet purple
                        black-ink colour grey-scan bw jpeg faint broken failure dry on-grid
                        storm rotated shrunk busy clean dpi100 dpi200 dpi300 dpi600
  --dpi D               scan resolution (overrides the kind)
  --hour H              placement hour 7, 8 or 9
  --straight, --curved  time lines straight or along the pen's arc
  --rotation DEG        scanner rotation in degrees
  --jpeg Q              JPEG artefacts of quality Q (0 = none)
  --format F            png (default), jpg or tif
  --back                TIFF only: a second page with the chart's back
  --args                print the rainscribe-cli trace arguments for this chart
  -h, --help            this text

The truth (JSON) holds the image size and dpi, hour, curved, every option, the
paper layout and the affine paper->image transform (pixel (i, j) covers
[i, i+1) x [j, j+1)), the control points an operator would mark (X,Y,T,P, also
as ready-made --control arguments), the true pen curve [time, reading, mark]
(mark 1: siphon peak, its return point 0.001 h later; mark 2: last point before
a missing record), the ink breaks, the missing records, the siphon count, the
failures, the day's sum by the program's rules, and the image positions of the
printed hour x millimetre intersections.
)";

[[noreturn]] void Fail(const std::string& message)
{
    std::cerr << "chartgen: " << message << "\n";
    std::exit(2);
}

double Number(const std::string& option, const char* text)
{
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (!text[0] || *end)
        Fail("bad number for " + option + ": \"" + text + "\"");
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    std::string out, kind = "random", format = "png";
    unsigned long long seed = 1;
    double dpi = 0, rotation = 1e9;
    int hour = 0, curved = -1, jpeg = -1;
    bool back = false, printArgs = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> const char* {
            if (i + 1 >= argc)
                Fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "-h" || a == "--help") {
            std::cout << kHelp;
            return 0;
        } else if (a == "-o" || a == "--out") {
            out = value();
        } else if (a == "--seed") {
            seed = (unsigned long long)Number(a, value());
        } else if (a == "--kind") {
            kind = value();
        } else if (a == "--dpi") {
            dpi = Number(a, value());
        } else if (a == "--hour") {
            hour = int(Number(a, value()));
        } else if (a == "--straight") {
            curved = 0;
        } else if (a == "--curved") {
            curved = 1;
        } else if (a == "--rotation") {
            rotation = Number(a, value());
        } else if (a == "--jpeg") {
            jpeg = int(Number(a, value()));
        } else if (a == "--format") {
            format = value();
        } else if (a == "--back") {
            back = true;
        } else if (a == "--args") {
            printArgs = true;
        } else {
            Fail("unknown option \"" + a + "\" (see --help)");
        }
    }
    if (out.empty())
        Fail("no output given (-o BASE; see --help)");
    try {
        synth::TSynthOptions o = synth::OptionsFor(kind, seed);
        if (dpi > 0)
            o.Dpi = dpi;
        if (hour)
            o.Hour = hour;
        if (curved >= 0)
            o.Curved = curved == 1;
        if (rotation < 1e8)
            o.RotationDeg = rotation;
        if (jpeg >= 0)
            o.JpegQuality = jpeg;
        const synth::TSynthChart chart = synth::Generate(o);
        const std::string image = out + "." + format;
        std::string error;
        if (!synth::WriteImage(chart, image, error, back))
            Fail(error);
        std::ofstream truth(out + ".json", std::ios::trunc);
        truth << synth::TruthJson(chart, image) << "\n";
        if (!truth)
            Fail("cannot write " + out + ".json");
        if (printArgs) {
            std::cout << image << " --hour " << o.Hour << (o.Curved ? " --curved" : "");
            for (const synth::TControlPoint& c : chart.Controls) {
                char buf[96];
                std::snprintf(buf, sizeof buf, " --control %.3f,%.3f,%g,%g", c.X, c.Y, c.T, c.P);
                std::cout << buf;
            }
            std::cout << "\n";
        } else {
            std::printf("%s: %dx%d at %g dpi, %s, %d siphons, %d failures, sum %.2f mm (%.2f s)\n", image.c_str(),
                        chart.Image.cols, chart.Image.rows, o.Dpi, o.Curved ? "curved" : "straight", chart.Siphons,
                        chart.Failures, chart.Sum, chart.Seconds);
        }
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    return 0;
}
