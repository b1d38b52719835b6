// Grid registration (see GridRegistration.h for the stages).

#include "trace/GridRegistration.h"

#include "common/Utils.h"
#include "scale/uScale.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

namespace rs::trace {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWorkRows = 450;    // the reduced picture's height, about a chart at 100 dpi
constexpr double kMaxAngleDeg = 5.0; // scans rotated further are not looked for
constexpr double kHourRatioSlack = 0.13; // paper shrink and another printing of the same model

const char* const kNotFound = "Grade n\xE3o encontrada: ";

// Darkness 0..255 of any print: the darkest channel, so green, red, orange and grey lines all count.
cv::Mat Darkness(const cv::Mat& scan)
{
    cv::Mat grey;
    if (scan.channels() == 1) {
        grey = scan;
    } else {
        std::vector<cv::Mat> ch;
        cv::split(scan, ch);
        grey = cv::min(ch[0], ch[1]);
        if (ch.size() >= 3)
            grey = cv::min(grey, ch[2]);
    }
    cv::Mat d;
    cv::subtract(cv::Scalar(255), grey, d);
    return d;
}

double At(const std::vector<double>& v, double x)
{
    if (!(x >= 0) || x > double(v.size()) - 1)
        return 0;
    const auto i = std::size_t(x);
    const double f = x - double(i);
    return i + 1 < v.size() ? v[i] * (1 - f) + v[i + 1] * f : v[i];
}

double Bilinear(const cv::Mat& m, double x, double y)
{
    if (!(x >= 0 && y >= 0 && x <= m.cols - 1 && y <= m.rows - 1))
        return 0;
    const int ix = std::min(int(x), m.cols - 2 < 0 ? 0 : m.cols - 2), iy = std::min(int(y), m.rows - 2 < 0 ? 0 : m.rows - 2);
    const double fx = x - ix, fy = y - iy;
    const uchar* r0 = m.ptr<uchar>(iy);
    const uchar* r1 = m.ptr<uchar>(std::min(iy + 1, m.rows - 1));
    const int jx = std::min(ix + 1, m.cols - 1);
    return (r0[ix] * (1 - fx) + r0[jx] * fx) * (1 - fy) + (r1[ix] * (1 - fx) + r1[jx] * fx) * fy;
}

void Smooth(std::vector<double>& v)
{
    if (v.size() < 3)
        return;
    std::vector<double> o(v.size());
    o.front() = v.front();
    o.back() = v.back();
    for (std::size_t i = 1; i + 1 < v.size(); ++i)
        o[i] = 0.25 * v[i - 1] + 0.5 * v[i] + 0.25 * v[i + 1];
    v.swap(o);
}

// The angle (radians) at which the rows' profiles of vertical strips line up best.
double FindAngle(const cv::Mat& small)
{
    constexpr int kStrips = 24;
    const int w = small.cols / kStrips;
    if (w < 2)
        return 0;
    std::vector<std::vector<double>> prof(kStrips);
    std::vector<double> centre(kStrips);
    for (int k = 0; k < kStrips; ++k) {
        cv::Mat col;
        cv::reduce(small(cv::Rect(k * w, 0, w, small.rows)), col, 1, cv::REDUCE_AVG, CV_64F);
        prof[std::size_t(k)].assign(col.begin<double>(), col.end<double>());
        centre[std::size_t(k)] = k * w + w / 2.0 - small.cols / 2.0;
    }
    std::vector<double> comb(std::size_t(small.rows));
    auto sharpness = [&](double a) {
        const double tn = std::tan(a);
        std::fill(comb.begin(), comb.end(), 0.0);
        for (int k = 0; k < kStrips; ++k)
            for (int y = 0; y < small.rows; ++y)
                comb[std::size_t(y)] += At(prof[std::size_t(k)], y + centre[std::size_t(k)] * tn);
        double s = 0;
        for (std::size_t y = 1; y < comb.size(); ++y)
            s += (comb[y] - comb[y - 1]) * (comb[y] - comb[y - 1]);
        return s;
    };
    double best = 0, bestS = -1;
    const double step = 0.05 * kPi / 180;
    for (double a = -kMaxAngleDeg * kPi / 180; a <= kMaxAngleDeg * kPi / 180 + 1e-9; a += step) {
        const double s = sharpness(a);
        if (s > bestS) {
            bestS = s;
            best = a;
        }
    }
    const double l = sharpness(best - step), r = sharpness(best + step);
    const double den = l - 2 * bestS + r;
    return den < 0 ? best + 0.5 * step * (l - r) / den : best;
}

// A comb of n+1 lines of spacing `pitch` from `first` on a profile: the lines' mean darkness
// against the empty paper just beside them, and the lines just outside the comb.
struct TComb
{
    double First = 0, Pitch = 0, Score = -1e300;
    double LineContrast = 0; // mean over the lines
    double WeakestLine = 0;  // the weakest line's contrast
    double Outside = 0;      // the stronger line just outside, by the same measure
};

TComb EvalComb(const std::vector<double>& v, double first, double pitch, int n, int divisions)
{
    TComb c;
    c.First = first;
    c.Pitch = pitch;
    const double off = 0.5 / divisions * pitch;
    if (first - off < 1 || first + n * pitch + off > double(v.size()) - 2)
        return c; // the picture's edge is no printed line
    double lines = 0, weakest = 1e300;
    for (int i = 0; i <= n; ++i) {
        const double x = first + i * pitch;
        const double beside = 0.5 * (At(v, x - off) + At(v, x + off));
        const double contrast = At(v, x) - beside;
        lines += contrast;
        weakest = std::min(weakest, contrast);
    }
    const auto outside = [&](double x) {
        return x - off < 0 || x + off > double(v.size()) - 1 ? 0.0 : At(v, x) - 0.5 * (At(v, x - off) + At(v, x + off));
    };
    c.LineContrast = lines / (n + 1);
    c.WeakestLine = weakest;
    c.Outside = std::max(outside(first - pitch), outside(first + (n + 1) * pitch));
    c.Score = c.LineContrast + 0.5 * c.WeakestLine - 1.0 * std::max(0.0, c.Outside);
    return c;
}

TComb SearchComb(const std::vector<double>& v, double pitchLo, double pitchHi, int n, int divisions)
{
    TComb best;
    const double len = double(v.size());
    for (double pitch = pitchLo; pitch <= pitchHi; pitch += std::max(0.02, pitch * 0.5 / (n * 8.0))) {
        for (double first = 0; first + n * pitch <= len - 1; first += 0.5) {
            const TComb c = EvalComb(v, first, pitch, n, divisions);
            if (c.Score > best.Score)
                best = c;
        }
    }
    if (best.Pitch <= 0)
        return best;
    // Finer, around the best.
    TComb fine = best;
    for (double dp = -0.05; dp <= 0.05; dp += 0.01)
        for (double df = -0.5; df <= 0.5; df += 0.1) {
            const TComb c = EvalComb(v, best.First + df, best.Pitch + dp, n, divisions);
            if (c.Score > fine.Score)
                fine = c;
        }
    return fine;
}

// The line positions of a comb refined on the profile, then fitted straight: first and pitch.
void RefineComb(const std::vector<double>& v, TComb& c, int n)
{
    std::vector<double> idx, pos;
    for (int i = 0; i <= n; ++i) {
        const double x = c.First + i * c.Pitch;
        const int k = int(std::lround(x));
        if (k < 1 || k + 1 >= int(v.size()))
            continue;
        int m = k;
        for (int d = -1; d <= 1; ++d)
            if (v[std::size_t(k + d)] > v[std::size_t(m)])
                m = k + d;
        if (m < 1 || m + 1 >= int(v.size()))
            continue;
        const double l = v[std::size_t(m - 1)], mid = v[std::size_t(m)], r = v[std::size_t(m + 1)];
        const double den = l - 2 * mid + r;
        idx.push_back(i);
        pos.push_back(den < 0 ? m + 0.5 * (l - r) / den : m);
    }
    if (idx.size() < 3)
        return;
    double si = 0, sp = 0, sii = 0, sip = 0;
    const double k = double(idx.size());
    for (std::size_t j = 0; j < idx.size(); ++j) {
        si += idx[j];
        sp += pos[j];
        sii += idx[j] * idx[j];
        sip += idx[j] * pos[j];
    }
    const double den = k * sii - si * si;
    if (den <= 0)
        return;
    c.Pitch = (k * sip - si * sp) / den;
    c.First = (sp - c.Pitch * si) / k;
}

// Where a printed line lies across `n`, in pixels from the sampled points: the darkness profile
// across it, the median along it. False when no clear line is there.
bool LineOffset(const cv::Mat& dark, const std::vector<cv::Point2d>& along, cv::Point2d n, double half, double& offset)
{
    constexpr double kStep = 0.25;
    const int m = int(std::ceil(half / kStep));
    std::vector<double> prof(std::size_t(2 * m + 1));
    std::vector<double> vals(along.size());
    for (int i = -m; i <= m; ++i) {
        const double d = i * kStep;
        for (std::size_t j = 0; j < along.size(); ++j)
            vals[j] = Bilinear(dark, along[j].x + d * n.x, along[j].y + d * n.y);
        auto mid = vals.begin() + std::ptrdiff_t(vals.size() / 2);
        std::nth_element(vals.begin(), mid, vals.end());
        prof[std::size_t(i + m)] = *mid;
    }
    Smooth(prof);
    Smooth(prof);
    const auto top = std::max_element(prof.begin(), prof.end());
    const int k = int(top - prof.begin());
    const double lo = *std::min_element(prof.begin(), prof.end());
    if (*top - lo < 6) // not even a pale printed line
        return false;
    const int s = 4; // 1 px either side
    if (k - s < 0 || k + s >= int(prof.size()))
        return false; // the strongest darkness is at the window's edge: another line
    const double l = prof[std::size_t(k - s)], c = prof[std::size_t(k)], r = prof[std::size_t(k + s)];
    const double den = l - 2 * c + r;
    offset = (k - m) * kStep + (den < 0 ? 0.5 * s * kStep * (l - r) / den : 0);
    return true;
}

struct TAffine2
{
    // x = ax·u + bx·v + cx, y = ay·u + by·v + cy
    double ax = 0, bx = 0, cx = 0, ay = 0, by = 0, cy = 0;
};

bool Solve3(double m[3][4], double out[3])
{
    for (int c = 0; c < 3; ++c) {
        int p = c;
        for (int r = c + 1; r < 3; ++r)
            if (std::abs(m[r][c]) > std::abs(m[p][c]))
                p = r;
        if (std::abs(m[p][c]) < 1e-12)
            return false;
        for (int j = 0; j < 4; ++j)
            std::swap(m[c][j], m[p][j]);
        for (int r = 0; r < 3; ++r)
            if (r != c) {
                const double f = m[r][c] / m[c][c];
                for (int j = 0; j < 4; ++j)
                    m[r][j] -= f * m[c][j];
            }
    }
    for (int c = 0; c < 3; ++c)
        out[c] = m[c][3] / m[c][c];
    return true;
}

// z = a·u + b·v + c by least squares.
bool FitPlane3(const std::vector<double>& u, const std::vector<double>& v, const std::vector<double>& z, double& a,
               double& b, double& c)
{
    double m[3][4] = {};
    for (std::size_t i = 0; i < u.size(); ++i) {
        const double row[3] = {u[i], v[i], 1.0};
        for (int r = 0; r < 3; ++r) {
            for (int s = 0; s < 3; ++s)
                m[r][s] += row[r] * row[s];
            m[r][3] += row[r] * z[i];
        }
    }
    double o[3];
    if (!Solve3(m, o))
        return false;
    a = o[0];
    b = o[1];
    c = o[2];
    return true;
}

} // namespace

double ArcShift(double p, bool curved)
{
    return curved ? (p - TScale::kArcCentre) * (p - TScale::kArcCentre) * TScale::kArcCoefficient : 0.0;
}

cv::Point2d TGridResult::Pixel(double t, double p) const
{
    const double u = t + ArcShift(p, Model.Curved);
    return {Ax * u + Bx * p + Cx, Ay * u + By * p + Cy};
}

bool TGridResult::Value(double x, double y, double& t, double& p) const
{
    const double det = Ax * By - Bx * Ay;
    if (!Found || std::abs(det) < 1e-12)
        return false;
    const double dx = x - Cx, dy = y - Cy;
    const double u = (dx * By - Bx * dy) / det;
    p = (Ax * dy - Ay * dx) / det;
    t = u - ArcShift(p, Model.Curved);
    return true;
}

bool SnapToGrid(const TGridResult& grid, double x, double y, double radius, TGridControl& snapped)
{
    double t = 0, p = 0;
    if (!grid.Value(x, y, t, p))
        return false;
    const TChartModel& m = grid.Model;
    const double ps = std::clamp(m.MinMm + std::round((p - m.MinMm) * m.MmDivisions) / m.MmDivisions, m.MinMm, m.MaxMm);
    const double ts =
        std::clamp(m.Hour + std::round((t - m.Hour) * m.HourDivisions) / m.HourDivisions, double(m.Hour),
                   double(m.Hour + m.Hours));
    const cv::Point2d q = grid.Pixel(ts, ps);
    if (std::hypot(q.x - x, q.y - y) > radius)
        return false;
    snapped = {q.x, q.y, ts, ps};
    return true;
}

TGridResult RegisterGrid(const cv::Mat& scan, const TChartModel& model)
{
    const auto started = std::chrono::steady_clock::now();
    TGridResult res;
    res.Model = model;
    const auto fail = [&](const std::string& why) {
        res.Found = false;
        res.Controls.clear();
        res.Error = kNotFound + why;
        res.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return res;
    };
    if (scan.empty() || scan.depth() != CV_8U || scan.cols < 64 || scan.rows < 32)
        return fail("a imagem \xE9 pequena demais ou de um tipo n\xE3o suportado.");
    const int nMm = model.MmSpans(), nH = model.Hours;

    // 1. Darkness, reduced.
    const cv::Mat dark = Darkness(scan);
    const double f = std::max(1.0, dark.rows / kWorkRows);
    cv::Mat small8, small;
    cv::resize(dark, small8, cv::Size(std::max(1, int(std::lround(dark.cols / f))), std::max(1, int(std::lround(dark.rows / f)))),
               0, 0, cv::INTER_AREA);
    small8.convertTo(small, CV_32F);
    const double fx = double(dark.cols) / small.cols, fy = double(dark.rows) / small.rows;

    // 2. The angle, and the reduced picture turned so that the mm lines are rows.
    const double a = FindAngle(small);
    res.AngleDeg = a * 180 / kPi;
    const double ca = std::cos(a), sa = std::sin(a), xc = small.cols / 2.0, yc = small.rows / 2.0;
    // Turned (xr, yr) -> reduced (xs, ys).
    const cv::Matx23d toSmall(ca, -sa, xc - xc * ca + yc * sa, sa, ca, yc - xc * sa - yc * ca);
    cv::Mat turned;
    cv::warpAffine(small, turned, cv::Mat(toSmall), small.size(), cv::INTER_LINEAR | cv::WARP_INVERSE_MAP,
                   cv::BORDER_CONSTANT, cv::Scalar(0));

    // 3. The mm lines.
    cv::Mat rowsM;
    cv::reduce(turned, rowsM, 1, cv::REDUCE_AVG, CV_64F);
    std::vector<double> rowProf(rowsM.begin<double>(), rowsM.end<double>());
    Smooth(rowProf);
    const double mmLo = std::max(4.0, 1.5 * model.MmDivisions), mmHi = (turned.rows - 2) / double(nMm);
    if (mmHi <= mmLo)
        return fail("a imagem \xE9 baixa demais para as linhas de mm do modelo.");
    TComb mm = SearchComb(rowProf, mmLo, mmHi, nMm, model.MmDivisions);
    if (mm.Pitch <= 0 || mm.LineContrast < 2.0)
        return fail("nenhuma linha de mm impressa foi vista (papel em branco ou n\xE3o \xE9 um gr\xE1" "fico).");
    if (mm.WeakestLine < 0.25 * mm.LineContrast)
        return fail(Format("as %d linhas de mm do modelo n\xE3o est\xE3o todas impressas.", nMm + 1));
    if (mm.Outside > 0.5 * mm.LineContrast)
        return fail("h\xE1 mais linhas de mm impressas que as do modelo (gr\xE1" "fico de outro modelo?).");
    RefineComb(rowProf, mm, nMm);
    const auto rowOf = [&](double p) { return mm.First + (model.MaxMm - p) * mm.Pitch; };

    // 4. The hour lines across the mm lines' band, following the arcs.
    const double hourPitch0 = mm.Pitch * model.HourPaperMm / model.MmPaperMm;
    if (hourPitch0 * nH > turned.cols)
        return fail(Format("as %d horas do modelo n\xE3o cabem na imagem (gr\xE1" "fico cortado?).", nH));
    const auto columns = [&](double hourPitch, double pLo, double pHi) {
        std::vector<double> col(std::size_t(turned.cols), 0.0);
        const int r0 = std::max(0, int(std::ceil(rowOf(pHi)))), r1 = std::min(turned.rows - 1, int(std::floor(rowOf(pLo))));
        int rows = 0;
        for (int r = r0; r <= r1; ++r) {
            const double p = model.MaxMm - (r - mm.First) / mm.Pitch;
            const double shift = ArcShift(p, model.Curved) * hourPitch;
            const int sh = int(std::floor(shift));
            const double fr = shift - sh;
            const float* row = turned.ptr<float>(r);
            for (int x = 0; x < turned.cols; ++x) {
                const int x0 = x + sh, x1 = x0 + 1;
                const double v0 = x0 >= 0 && x0 < turned.cols ? row[x0] : 0;
                const double v1 = x1 >= 0 && x1 < turned.cols ? row[x1] : 0;
                col[std::size_t(x)] += v0 * (1 - fr) + v1 * fr;
            }
            ++rows;
        }
        if (rows)
            for (double& v : col)
                v /= rows;
        Smooth(col);
        return col;
    };
    const double centre = 0.5 * (model.MinMm + model.MaxMm), band = 0.15 * (model.MaxMm - model.MinMm);
    std::vector<double> colProf = columns(hourPitch0, centre - band, centre + band);
    TComb hr = SearchComb(colProf, hourPitch0 * (1 - kHourRatioSlack), hourPitch0 * (1 + kHourRatioSlack), nH,
                          model.HourDivisions);
    if (hr.Pitch <= 0)
        return fail("nenhuma linha de hora impressa foi vista.");
    // Again over the whole band, the arcs bent with the spacing found.
    colProf = columns(hr.Pitch, model.MinMm, model.MaxMm);
    hr = SearchComb(colProf, hr.Pitch * 0.98, hr.Pitch * 1.02, nH, model.HourDivisions);
    if (hr.LineContrast < 1.0)
        return fail("nenhuma linha de hora impressa foi vista.");
    if (hr.WeakestLine < 0.2 * hr.LineContrast)
        return fail(Format("as %d linhas de hora do modelo n\xE3o est\xE3o todas impressas (gr\xE1" "fico cortado ou "
                           "de outro modelo?).",
                           nH + 1));
    if (hr.Outside > 0.5 * hr.LineContrast)
        return fail("h\xE1 linhas de hora impressas al\xE9m das do modelo (gr\xE1" "fico de outro modelo?).");
    RefineComb(colProf, hr, nH);

    // The coarse grid: chart value -> full-resolution pixel.
    const auto coarse = [&](double t, double p) {
        const double xr = hr.First + (t - model.Hour + ArcShift(p, model.Curved)) * hr.Pitch;
        const double yr = rowOf(p);
        const double xs = toSmall(0, 0) * xr + toSmall(0, 1) * yr + toSmall(0, 2);
        const double ys = toSmall(1, 0) * xr + toSmall(1, 1) * yr + toSmall(1, 2);
        return cv::Point2d((xs + 0.5) * fx - 0.5, (ys + 0.5) * fy - 0.5);
    };

    // 5. The control points: early, middle and late hours at the bottom, middle and top readings.
    const double mid = std::round(centre);
    const std::vector<double> hours{model.Hour + 1.0, model.Hour + std::round(nH / 2.0), model.Hour + nH - 1.0};
    const std::vector<double> readings{model.MinMm, mid, model.MaxMm};
    std::function<cv::Point2d(double, double)> pos = coarse;
    const double mmSub = mm.Pitch * fy / model.MmDivisions;   // full-resolution pixels between mm lines
    const double hourSub = hr.Pitch * fx / model.HourDivisions; // and between time lines
    std::vector<TGridControl> found;
    TAffine2 fit;
    for (int pass = 0; pass < 2; ++pass) {
        found.clear();
        // Offset across the mm line p at time t, and across the time line t at reading p.
        const auto mmOffset = [&](double t, double p, double& d) {
            cv::Point2d u = pos(t + 0.02, p) - pos(t - 0.02, p);
            u *= 1.0 / std::hypot(u.x, u.y);
            std::vector<cv::Point2d> along;
            for (double s = -0.4; s <= 0.4001; s += 0.01)
                if (std::abs(s) > 0.03)
                    along.push_back(pos(t + s, p));
            return LineOffset(dark, along, {-u.y, u.x}, 0.42 * mmSub, d);
        };
        const auto timeOffset = [&](double t, double p, double& d) {
            const double pa = std::max(model.MinMm, p - 0.8), pb = std::min(model.MaxMm, p + 0.8);
            cv::Point2d u = pos(t, std::min(pb, p + 0.05)) - pos(t, std::max(pa, p - 0.05));
            u *= 1.0 / std::hypot(u.x, u.y);
            std::vector<cv::Point2d> along;
            for (double q = pa; q <= pb + 1e-9; q += (pb - pa) / 60)
                if (std::abs(q - p) > 0.04)
                    along.push_back(pos(t, q));
            return LineOffset(dark, along, {-u.y, u.x}, 0.42 * hourSub, d);
        };
        for (double t : hours) {
            // Every mm line at this time, fitted straight: a dry pen lying along the bottom line, or a
            // line hidden under writing, does not move the readings' axis.
            std::vector<double> lp, ld;
            for (int i = 0; i <= nMm; ++i) {
                double d = 0;
                if (mmOffset(t, model.MinMm + i, d)) {
                    lp.push_back(model.MinMm + i);
                    ld.push_back(d);
                }
            }
            double slope = 0, icpt = 0;
            for (int round = 0; round < 2; ++round) {
                if (lp.size() < std::size_t(std::max(3, (nMm + 1) / 2)))
                    return fail(Format("as linhas de mm impressas de %g h n\xE3o foram encontradas.", t > 24 ? t - 24 : t));
                double sp = 0, sd = 0, spp = 0, spd = 0;
                const double k = double(lp.size());
                for (std::size_t j = 0; j < lp.size(); ++j) {
                    sp += lp[j];
                    sd += ld[j];
                    spp += lp[j] * lp[j];
                    spd += lp[j] * ld[j];
                }
                slope = (k * spd - sp * sd) / std::max(1e-12, k * spp - sp * sp);
                icpt = (sd - slope * sp) / k;
                std::vector<double> dev;
                for (std::size_t j = 0; j < lp.size(); ++j)
                    dev.push_back(std::abs(ld[j] - (icpt + slope * lp[j])));
                std::vector<double> sorted = dev;
                std::sort(sorted.begin(), sorted.end());
                const double cut = std::max(0.3, 2.5 * sorted[sorted.size() / 2]);
                std::vector<double> kp, kd;
                for (std::size_t j = 0; j < lp.size(); ++j)
                    if (dev[j] <= cut) {
                        kp.push_back(lp[j]);
                        kd.push_back(ld[j]);
                    }
                lp.swap(kp);
                ld.swap(kd);
            }
            for (double p : readings) {
                const cv::Point2d at = pos(t, p);
                cv::Point2d u1 = pos(t + 0.02, p) - pos(t - 0.02, p);
                u1 *= 1.0 / std::hypot(u1.x, u1.y);
                const cv::Point2d n1(-u1.y, u1.x);
                const double pa = std::max(model.MinMm, p - 0.05), pb = std::min(model.MaxMm, p + 0.05);
                cv::Point2d u2 = pos(t, pb) - pos(t, pa);
                u2 *= 1.0 / std::hypot(u2.x, u2.y);
                const cv::Point2d n2(-u2.y, u2.x);
                const double d1 = icpt + slope * p;
                // The time line and its neighbours an hour either side: the median of the three, so a
                // siphon's drop along one of them does not pull it.
                std::vector<double> d2s;
                for (double dt : {-1.0, 0.0, 1.0}) {
                    double d = 0;
                    if (t + dt >= model.Hour && t + dt <= model.Hour + nH && timeOffset(t + dt, p, d))
                        d2s.push_back(d);
                }
                if (d2s.empty())
                    return fail(Format("as linhas impressas de %g h e %g mm n\xE3o foram encontradas.",
                                       t > 24 ? t - 24 : t, p));
                std::sort(d2s.begin(), d2s.end());
                const double d2 = d2s.size() == 2 ? 0.5 * (d2s[0] + d2s[1]) : d2s[d2s.size() / 2];
                // Lines a1 + α·u1 and a2 + β·u2 meet where α·u1 − β·u2 = a2 − a1.
                const cv::Point2d a1 = at + d1 * n1, a2 = at + d2 * n2, w = a2 - a1;
                const double det = u1.x * (-u2.y) - (-u2.x) * u1.y;
                if (std::abs(det) < 1e-6)
                    return fail("as linhas impressas n\xE3o se cruzam.");
                const double alpha = (w.x * (-u2.y) - (-u2.x) * w.y) / det;
                const cv::Point2d q = a1 + alpha * u1;
                if (q.x < 0 || q.y < 0 || q.x > scan.cols - 1 || q.y > scan.rows - 1)
                    return fail("o gr\xE1" "fico n\xE3o est\xE1 inteiro na imagem.");
                found.push_back({q.x, q.y, t, p});
            }
        }
        // The pixel of a chart value, fitted on what was found: the next pass measures from it.
        std::vector<double> us, ps, xs, ys;
        for (const TGridControl& c : found) {
            us.push_back(c.T + ArcShift(c.P, model.Curved));
            ps.push_back(c.P);
            xs.push_back(c.X);
            ys.push_back(c.Y);
        }
        if (!FitPlane3(us, ps, xs, fit.ax, fit.bx, fit.cx) || !FitPlane3(us, ps, ys, fit.ay, fit.by, fit.cy))
            return fail("os pontos encontrados n\xE3o definem uma escala.");
        pos = [fit, &model](double t, double p) {
            const double u = t + ArcShift(p, model.Curved);
            return cv::Point2d(fit.ax * u + fit.bx * p + fit.cx, fit.ay * u + fit.by * p + fit.cy);
        };
    }
    res.Ax = fit.ax;
    res.Bx = fit.bx;
    res.Cx = fit.cx;
    res.Ay = fit.ay;
    res.By = fit.by;
    res.Cy = fit.cy;

    // 6. The residuals as the scale fits them: chart values as planes of the pixel position.
    std::vector<double> xs, ys, us, ps;
    for (const TGridControl& c : found) {
        xs.push_back(c.X);
        ys.push_back(c.Y);
        us.push_back(c.T + ArcShift(c.P, model.Curved));
        ps.push_back(c.P);
    }
    double ta = 0, tb = 0, tc = 0, pa = 0, pb = 0, pc = 0;
    if (!FitPlane3(xs, ys, us, ta, tb, tc) || !FitPlane3(xs, ys, ps, pa, pb, pc))
        return fail("os pontos encontrados n\xE3o definem uma escala.");
    for (const TGridControl& c : found) {
        const double p = pa * c.X + pb * c.Y + pc;
        const double t = ta * c.X + tb * c.Y + tc - ArcShift(p, model.Curved);
        res.MaxTimeResidual = std::max(res.MaxTimeResidual, std::abs(t - c.T));
        res.MaxPrecResidual = std::max(res.MaxPrecResidual, std::abs(p - c.P));
    }
    res.Found = true;
    // Sampled with pixel centres at whole numbers; given with a pixel covering [i, i+1).
    for (TGridControl& c : found) {
        c.X += 0.5;
        c.Y += 0.5;
    }
    res.Cx += 0.5;
    res.Cy += 0.5;
    res.Controls = found;
    if (res.MaxTimeResidual > TScale::kTimeTolerance || res.MaxPrecResidual >= TScale::kPrecTolerance) {
        const double tm = res.MaxTimeResidual * 60, pm = res.MaxPrecResidual;
        const TGridResult keep = res;
        fail(Format("os pontos encontrados na grade t\xEAm erros al\xE9m dos tolerados (%.1f min e %.3f mm).", tm, pm));
        res.MaxTimeResidual = keep.MaxTimeResidual;
        res.MaxPrecResidual = keep.MaxPrecResidual;
        return res;
    }
    res.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return res;
}

} // namespace rs::trace

namespace rs::trace {

void DrawGrid(cv::Mat& picture, const TGridResult& grid)
{
    if (!grid.Found || picture.empty())
        return;
    const TChartModel& m = grid.Model;
    const int shift = 4; // sub-pixel drawing
    const auto pt = [&](double t, double p) {
        const cv::Point2d q = grid.Pixel(t, p) - cv::Point2d(0.5, 0.5);
        return cv::Point(int(std::lround(q.x * (1 << shift))), int(std::lround(q.y * (1 << shift))));
    };
    const cv::Scalar colour(40, 40, 230);
    const int width = std::max(1, int(std::lround(picture.rows / 600.0)));
    for (int h = 0; h <= m.Hours; ++h) {
        std::vector<cv::Point> line;
        for (int i = 0; i <= 20; ++i)
            line.push_back(pt(m.Hour + h, m.MinMm + (m.MaxMm - m.MinMm) * i / 20.0));
        cv::polylines(picture, line, false, colour, width, cv::LINE_AA, shift);
    }
    for (int i = 0; i <= m.MmSpans(); ++i)
        cv::line(picture, pt(m.Hour, m.MinMm + i), pt(m.Hour + m.Hours, m.MinMm + i), colour, width, cv::LINE_AA, shift);
    for (const TGridControl& c : grid.Controls)
        cv::circle(picture, pt(c.T, c.P), 6 * width << shift, cv::Scalar(0, 160, 255), width + 1, cv::LINE_AA, shift);
}

} // namespace rs::trace
