#include "scale/ui/GridAssist.h"

#include "common/Utils.h"
#include "common/uAppFiles.h"
#include "document/uRChart.h"
#include "scale/uScale.h"
#include "tablet/ui/TabletSurface.h"

#include <QImage>

#include <cmath>

namespace rs {

TGridAssist& TGridAssist::Instance()
{
    static TGridAssist assist;
    return assist;
}

TGridAssist::TGridAssist()
{
    TTabletSurface::SnapHook() = [](const TTabletSurface& s, QPoint counts) {
        return Instance().Snap(s, counts);
    };
}

bool TGridAssist::HasScan() const
{
    const TTabletSurface* s = TTabletSurface::ScanSurface();
    return s && s->HasImage();
}

const trace::TGridResult& TGridAssist::Register(const trace::TChartModel& model)
{
    const TTabletSurface* s = TTabletSurface::ScanSurface();
    if (!s || !s->HasImage()) {
        FGrid = {};
        FImageKey = 0;
        FGrid.Error = "Grade n\xE3o encontrada: n\xE3o h\xE1 gr\xE1" "fico escaneado na Mesa Virtual.";
        return FGrid;
    }
    const QImage& image = s->Image();
    if (image.cacheKey() == FImageKey && model.Name == FModelName)
        return FGrid;
    // Any channel order will do: the grid's darkness is taken from the darkest channel.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const cv::Mat view(rgb.height(), rgb.width(), CV_8UC3, const_cast<uchar*>(rgb.constBits()),
                       std::size_t(rgb.bytesPerLine()));
    FGrid = trace::RegisterGrid(view, model);
    FImageKey = image.cacheKey();
    FModelName = model.Name;
    return FGrid;
}

trace::TChartModel TGridAssist::ModelFor(int hour, bool curved, std::string* warning)
{
    std::vector<std::string> errors;
    const std::vector<trace::TChartModel> models = trace::LoadChartModels(ReadableAppFile(trace::kChartModelsFile), &errors);
    if (warning) {
        warning->clear();
        for (const std::string& e : errors)
            *warning += (warning->empty() ? "" : "\n") + Cp1252ToUtf8(e);
    }
    for (auto m = models.rbegin(); m != models.rend(); ++m)
        if (m->Hour == hour && m->Curved == curved)
            return *m;
    return trace::DefaultChartModel(hour, curved);
}

std::string TGridAssist::PlaceControlPoints(TRChart& doc, std::string* warning)
{
    const trace::TGridResult& g = Register(ModelFor(doc.Info.Hour, !doc.Info.Linear, warning));
    if (!g.Found)
        return Cp1252ToUtf8(g.Error);
    const TTabletSurface* s = TTabletSurface::ScanSurface();
    TScale& scale = doc.Scale();
    for (const trace::TGridControl& c : g.Controls) {
        if (scale.Count() >= TScale::kMaxPoints)
            break;
        auto* p = new TDigPoint;
        p->X = int(std::lround(c.X * TTabletSurface::kCountsPerInch / s->DpiX()));
        p->Y = int(std::lround(s->AreaHeight() - c.Y * TTabletSurface::kCountsPerInch / s->DpiY()));
        p->SetValue(c.T, c.P);
        p->SetCentre(scale.TabletToPixel(p->X, p->Y));
        if (!scale.AcceptPoint(p) || scale.Append(p) < 0)
            delete p; // a point marked already there is kept
    }
    return {};
}

void TGridAssist::SetMarking(bool on, int hour, bool curved)
{
    if (on && !FMarking)
        FModel = {}; // read the models again: the file may have changed since

    FMarking = on;
    FHour = hour;
    FCurved = curved;
}

std::optional<QPoint> TGridAssist::Snap(const TTabletSurface& surface, QPoint counts)
{
    if (!FMarking || !surface.HasImage() || &surface != TTabletSurface::ScanSurface() || surface.Scale() <= 0)
        return std::nullopt;
    if (FModel.Name.empty() || FModel.Hour != FHour || FModel.Curved != FCurved)
        FModel = ModelFor(FHour, FCurved);
    const trace::TGridResult& g = Register(FModel);
    if (!g.Found)
        return std::nullopt;
    const double kx = surface.DpiX() / TTabletSurface::kCountsPerInch;
    const double ky = surface.DpiY() / TTabletSurface::kCountsPerInch;
    // Centre of the count's cell, in scan pixels; the radius from widget pixels.
    const double px = (counts.x() + 0.5) * kx, py = (surface.AreaHeight() - counts.y() - 0.5) * ky;
    const double radius = kSnapRadius / surface.Scale() * kx;
    trace::TGridControl q;
    if (!trace::SnapToGrid(g, px, py, radius, q))
        return std::nullopt;
    const int x = std::clamp(int(std::floor(q.X / kx)), 0, surface.AreaWidth() - 1);
    const int y = std::clamp(int(std::floor(surface.AreaHeight() - q.Y / ky)), 0, surface.AreaHeight() - 1);
    return QPoint(x, y);
}

} // namespace rs
