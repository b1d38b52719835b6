// The chart window's automatic trace ("Traçar &Automaticamente") and the link
// between the chart and the scan it was read from.

#include "chartwin/uRChartWnd.h"

#include "chartwin/DrawBox.h"
#include "chartwin/ScanDesk.h"
#include "chartwin/UnsureList.h"
#include "chartwin/uRChartWndServices.h"
#include "common/Canvas.h"
#include "common/Utils.h"
#include "common/uGlobal.h"
#include "document/uCurve.h"
#include "tablet/ui/TabletSurface.h"
#include "tablet/ui/VirtualTablet.h"
#include "trace/TraceEngine.h"
#include "trace/TraceLink.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>

#include <opencv2/core.hpp>

#include <chrono>
#include <cmath>
#include <functional>
#include <future>

namespace rs {

namespace {

// The progress box appears only for a trace that takes longer than this.
constexpr int kProgressDelayMs = 500;

cv::Mat ToBgr(const QImage& image)
{
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    return cv::Mat(bgr.height(), bgr.width(), CV_8UC3, const_cast<uchar*>(bgr.constBits()),
                   std::size_t(bgr.bytesPerLine()))
        .clone();
}

// Runs work on a worker thread; the window keeps painting, and a progress box
// shows up when it takes long. The operator's input waits until it is done.
template <class T>
T RunWithProgress(QWidget* parent, const QString& text, std::function<T()> work)
{
    auto future = std::async(std::launch::async, std::move(work));
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> box;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    while (future.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (!box && clock.elapsed() > kProgressDelayMs) {
            box = std::make_unique<QProgressDialog>(text, QString(), 0, 0, parent);
            box->setWindowTitle(QStringLiteral("Traçado Automático"));
            box->setMinimumDuration(0);
            box->show();
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
    QApplication::restoreOverrideCursor();
    return future.get();
}

QString NativePath(const std::string& path)
{
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path)));
}

// The reading of the curve at time t (between its points); false without points.
bool CurveAt(const TCurve& c, double t, double& prec, int& nearest)
{
    nearest = -1;
    if (c.IsEmpty())
        return false;
    double best = 0;
    for (int i = 0; i < c.Count(); ++i) {
        const double d = std::abs(c.Items(i)->Time() - t);
        if (nearest < 0 || d < best) {
            best = d;
            nearest = i;
        }
    }
    prec = c.Items(nearest)->Prec();
    for (int i = 0; i + 1 < c.Count(); ++i) {
        const TPointValue a = c.Items(i)->Value(), b = c.Items(i + 1)->Value();
        if (a.Time <= t && t <= b.Time && b.Time > a.Time) {
            prec = a.Prec + (b.Prec - a.Prec) * (t - a.Time) / (b.Time - a.Time);
            break;
        }
    }
    return true;
}

// What the drawing over the scan depends on, to repaint it only when it changes.
std::size_t OverlayDigest(const TRChart& d, const TScanLink& link)
{
    const TCurve& c = d.Curve();
    std::size_t h = std::hash<int>{}(c.Count()) * 31 + std::hash<int>{}(c.SelectedIndex());
    h = h * 31 + std::hash<int>{}(d.Scale().Count()) + (d.Scale().Valid ? 7 : 0) + std::size_t(d.State()) * 131;
    if (const TDigPoint* last = c.Last())
        h = h * 31 + std::hash<double>{}(last->Time() + 1000 * last->Prec());
    h = h * 31 + std::hash<double>{}(c.Sum) + link.Unsure.size() + (link.Traced ? 17 : 0);
    return h;
}

std::size_t gOverlayDigest = 0;

} // namespace

QIcon AutoTraceIcon()
{
    // A pen trace rising over a scanned sheet, with the drop of a siphon.
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pm(side, side);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 16.0, side / 16.0);
        p.setPen(QPen(QColor(60, 150, 60), 0.6));
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(QRectF(0.5, 1.5, 15, 13));
        for (int i = 1; i < 5; ++i)
            p.drawLine(QPointF(0.5 + 3 * i, 1.5), QPointF(0.5 + 3 * i, 14.5));
        p.setPen(QPen(QColor(0, 40, 200), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF curve[] = {{1.5, 13}, {4, 12}, {7.5, 3.5}, {7.8, 13}, {11, 10}, {14.5, 6}};
        p.drawPolyline(curve, 6);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

void TRChartFrm::mnAutoTraceClick()
{
    TRChart& d = *FDoc;
    TScale& s = d.Scale();
    const int state = d.State();
    TVirtualTablet* vt = ScanTablet();
    if (d.Info.Kind != 0 || !s.Concluded || (state != Idle && state != Digitizing))
        return;
    if (!vt || !ScanShown()) {
        wnd::ShowInfo(QStringLiteral("Abra na Mesa Virtual a imagem escaneada do pluviograma para traçar a curva "
                                     "automaticamente."));
        return;
    }
    if (!FScanLink.Empty() && !ScanIsShown(FScanLink)) {
        wnd::ShowError(QStringLiteral("A escala deste pluviograma foi marcada sobre outra imagem:\r\n%1\r\n"
                                      "Abra essa imagem na Mesa Virtual para traçar a curva.")
                           .arg(NativePath(FScanLink.Scan)));
        return;
    }
    if (!d.Curve().IsEmpty() &&
        wnd::Message(QStringLiteral("A curva já possui pontos. Deseja substituí-los pelo traçado automático?"),
                     wnd::TMsgKind::Confirmation, wnd::TMsgButtons::YesNo) != wnd::TMsgAnswer::Yes)
        return;

    const TTabletSurface* surface = vt->Surface();
    const cv::Mat scan = ToBgr(surface->Image());
    const trace::TScanFrame frame{surface->DpiX(), surface->DpiY(), scan.rows};
    const int hour = d.Info.Hour;
    const TScale& scale = s;
    const trace::TTraceResult r = RunWithProgress<trace::TTraceResult>(
        this, QStringLiteral("Traçando a curva do pluviograma..."), [&scan, &frame, &scale, hour] {
            try {
                return trace::Trace(scan, frame, scale, hour);
            } catch (const std::exception&) {
                // Out of memory or an image the engine cannot take: the chart stays as it was.
                trace::TTraceResult failed;
                failed.Error = "a imagem n\xE3o p\xF4" "de ser processada";
                return failed;
            }
        });
    if (!r.Error.empty() || r.Points.size() < 2) {
        const QString why = QString::fromStdString(Cp1252ToUtf8(r.Error.empty() ? "nenhum tra\xE7o encontrado" : r.Error));
        wnd::ShowError(QStringLiteral("Não foi possível traçar a curva automaticamente: %1\r\n"
                                      "Confira a escala e a imagem, ou digitalize a curva ponto a ponto.")
                           .arg(why));
        return;
    }
    // The whole trace, the change of state included, is one step of the history.
    RunStep(steps::kAutoTrace, [&] {
        if (d.State() == Idle) {
            SetShowCtrlPt(false);
            s.SetVisible(false);
            d.BeginDigitizing();
        }
        trace::FillCurve(d, r);
    });
    FScanLink = trace::MakeTraceLink(QFile::encodeName(vt->ImagePath()).toStdString(), vt->ImagePage(), r);
    FBox->update();
    if (TToolWindow* results = ToolWindows().Results) {
        results->SetToolVisible(true);
        results->ReloadTool();
    }
    TUnsureList::ShowFor(this);
    if (TChartHost* host = ChartHost())
        host->StatusPanel(QStringLiteral("Traçado automático: %1 pontos, confiança %2")
                               .arg(d.Curve().Count())
                               .arg(QString::fromStdString(FormatNum("%.2f", r.Confidence))),
                           0);
    RefreshScanOverlay();
    UpdateActions();
}

void TRChartFrm::GoToUnsure(int index)
{
    if (index < 0 || index >= int(FScanLink.Unsure.size()))
        return;
    const TScanUnsure& u = FScanLink.Unsure[std::size_t(index)];
    const TScale& s = FDoc->Scale();
    if (!s.Valid)
        return;
    const double t = (u.Start + u.End) / 2;
    double prec = 5;
    int nearest = -1;
    TCurve& c = FDoc->Curve();
    CurveAt(c, t, prec, nearest);
    if (nearest >= 0 && FDoc->State() == Digitizing) {
        int first = nearest;
        CurveAt(c, u.Start, prec, first); // the stretch's first point is where the check starts
        CurveAt(c, t, prec, nearest);
        c.SelectIndex(first);
    }
    const TPoint at = s.ValueToPixel(t, prec);
    FSBox->ensureVisible(at.x, at.y, FSBox->viewport()->width() / 2, FSBox->viewport()->height() / 2);
    double x = 0, y = 0;
    if (ScanFitsChart(FScanLink) && s.ValueToCounts(t, prec + FDoc->Info.Dh, x, y))
        CentreScanOn(x, y);
    FBox->update();
    RefreshScanOverlay();
    UpdateActions();
}

void TRChartFrm::NoteScaleScan()
{
    const TScale& s = FDoc->Scale();
    if (s.InDefinition() && ScanShown()) {
        // The scan a scale is being marked on: taken when marking starts, kept after.
        TVirtualTablet* vt = ScanTablet();
        if ((s.IsEmpty() || FScanLink.Empty()) && !ScanIsShown(FScanLink)) {
            FScanLink = {};
            FScanLink.Scan = QFile::encodeName(vt->ImagePath()).toStdString();
            FScanLink.Page = vt->ImagePage();
        }
    }
    if (this == ActiveChartWindow()) {
        const std::size_t digest = OverlayDigest(*FDoc, FScanLink);
        if (digest != gOverlayDigest) {
            gOverlayDigest = digest;
            RefreshScanOverlay();
        }
    }
}

void TRChartFrm::ReadScanLinkOf(const std::string& fileName)
{
    FScanLink = {};
    if (!fileName.empty())
        ReadScanLink(fileName, FScanLink); // none or damaged: the chart opens without it
}

void TRChartFrm::WriteScanLinkOf(const std::string& fileName)
{
    if (FScanLink.Empty())
        return;
    // The operator saved the traced chart from its window: it has been looked at.
    if (FScanLink.Traced)
        FScanLink.Reviewed = true;
    std::string error;
    if (!WriteScanLink(fileName, FScanLink, &error))
        wnd::ShowWarning(QStringLiteral("O pluviograma foi salvo, mas a ligação com a imagem escaneada não pôde "
                                        "ser gravada:\r\n%1")
                             .arg(QString::fromStdString(error)));
}

void TRChartFrm::PaintUnsure(TCanvas& canvas) const
{
    const TScale& s = FDoc->Scale();
    if (!FScanLink.Traced || FScanLink.Unsure.empty() || !s.Valid || FDoc->Info.Kind != 0)
        return;
    const TColor orange = RGB(255, 140, 0);
    const int top = s.PrecToY(10), bottom = s.PrecToY(0);
    const int band = std::max(2, int(std::lround(3 * Zoom())));
    for (const TScanUnsure& u : FScanLink.Unsure) {
        const int x0 = s.TimeToX(u.Start), x1 = s.TimeToX(u.End);
        canvas.SetPen(orange, 1);
        canvas.Line(x0, top, x0, bottom);
        canvas.Line(x1, top, x1, bottom);
        canvas.FillRect({x0, top - 2 * band, std::max(x1, x0 + 1), top - band}, orange);
    }
}

} // namespace rs
