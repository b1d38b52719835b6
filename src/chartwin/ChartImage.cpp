#include "chartwin/ChartImage.h"

#include "chartwin/Pictures.h"
#include "common/Utils.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <stdexcept>

namespace rs {

// One marker: a small picture centred on its chart value. Mouse events go
// through it to the chart picture, which answers hovering with the hint.
class TChartMarker : public QWidget
{
public:
    explicit TChartMarker(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void SetPicture(const QPixmap& pixmap)
    {
        FPicture = pixmap;
        resize(pixmap.size() / pixmap.devicePixelRatio());
        update();
    }

    double Time = 0;
    double Prec = 0;
    int Image = 0;
    int Number = 0; // 1-based, fixed when added
    bool Blinking = false;
    QString Hint;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, FPicture);
    }

private:
    QPixmap FPicture;
};

namespace {

TChartPictures* gPictures = nullptr;

// Rounds to an int without overflow for any input (bad values land far off the picture).
int SafeRound(double v)
{
    if (!(v > -1e6))
        v = -1e6;
    if (!(v < 1e6))
        v = 1e6;
    return int(std::lround(v));
}

double ArcTerm(double prec)
{
    const double a = ((prec + 1) * 2.5 + 165) * M_PI / 180.0;
    return 173 * (std::cos(a) + 1);
}

QString Num(double v) { return QString::fromLatin1(FormatNum("%.6g", v).c_str()); }

} // namespace

bool TChartPictures::Usable() const
{
    return !PluvL.isNull() && !PluvNL.isNull() && !Strip[0].isNull() && !Strip[1].isNull() &&
           !Strip[2].isNull();
}

TChartPictures TChartPictures::FromResources()
{
    TChartPictures p;
    p.PluvL.load(QString::fromLatin1(kPicPluvL));
    p.PluvNL.load(QString::fromLatin1(kPicPluvNL));
    p.Strip[0].load(QString::fromLatin1(kPicT7h));
    p.Strip[1].load(QString::fromLatin1(kPicT8h));
    p.Strip[2].load(QString::fromLatin1(kPicT9h));
    p.Marker[0].load(QString::fromLatin1(kPicPtRed));
    p.Marker[1].load(QString::fromLatin1(kPicPtGreen));
    p.Marker[2].load(QString::fromLatin1(kPicPtBlue));
    return p;
}

const TChartPictures& TChartImage::Pictures()
{
    if (!gPictures) {
        gPictures = new TChartPictures(TChartPictures::FromResources());
        qAddPostRoutine(&TChartImage::ReleasePictures);
    }
    return *gPictures;
}

void TChartImage::SetPictures(const TChartPictures& pictures)
{
    Pictures(); // keeps the release routine registered once
    *gPictures = pictures;
}

void TChartImage::ReleasePictures()
{
    delete gPictures;
    gPictures = nullptr;
}

TChartImage::TChartImage(QWidget* parent) : QWidget(parent)
{
    const TChartPictures& pics = Pictures();
    if (!pics.Usable())
        throw std::runtime_error("Não posso criar a imagem dos pluviogramas");

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFixedSize(sizeHint());

    FBlinkTimer = new QTimer(this);
    FBlinkTimer->setInterval(kBlinkInterval);
    connect(FBlinkTimer, &QTimer::timeout, this, &TChartImage::BlinkTick);
}

TChartImage::~TChartImage() = default; // markers and timer are children

QSize TChartImage::sizeHint() const
{
    const TChartPictures& pics = Pictures();
    return QSize(pics.PluvL.width(), pics.PluvL.height() + pics.Strip[0].height());
}

void TChartImage::SetLinear(bool linear)
{
    if (linear == FLinear)
        return;
    FLinear = linear;
    for (TChartMarker* m : FMarkers)
        PlaceMarker(m);
    update();
}

void TChartImage::SetTimeStart(int hour)
{
    hour = std::clamp(hour, kMinTimeStart, kMaxTimeStart);
    if (hour == FTimeStart)
        return;
    // Markers keep their place on the picture, so their times move with the start.
    const int shift = hour - FTimeStart;
    FTimeStart = hour;
    for (TChartMarker* m : FMarkers) {
        m->Time += shift;
        UpdateHint(m);
    }
    update();
}

QPoint TChartImage::ValueToPixel(double prec, double time) const
{
    const int y = 82 - SafeRound(7 * prec);
    const double dt = 10 * (time - FTimeStart);
    const int x = FLinear ? 20 + SafeRound(dt) : 14 + SafeRound(ArcTerm(prec) + dt);
    return QPoint(x, y);
}

void TChartImage::PixelToValue(double x, double y, double& prec, double& time) const
{
    prec = (82 - y) / 7;
    time = FLinear ? FTimeStart + (x - 20) / 10 : FTimeStart + (x - 14 - ArcTerm(prec)) / 10;
}

TChartMarker* TChartImage::Item(int i) const
{
    return i >= 0 && i < int(FMarkers.size()) ? FMarkers[size_t(i)] : nullptr;
}

void TChartImage::PlaceMarker(TChartMarker* m)
{
    const QPoint c = ValueToPixel(m->Prec, m->Time);
    m->move(c.x() - m->width() / 2, c.y() - m->height() / 2);
}

void TChartImage::UpdateHint(TChartMarker* m)
{
    const double t = m->Time >= 24 ? m->Time - 24 : m->Time;
    m->Hint = QStringLiteral("(%1) %2  %3").arg(m->Number).arg(Num(t), Num(m->Prec));
    m->setToolTip(m->Hint);
}

int TChartImage::AddMarker(int image, double prec, double time)
{
    if (image < 0 || image > 2 || Pictures().Marker[image].isNull())
        return -1;
    auto* m = new TChartMarker(this);
    m->Time = time;
    m->Prec = prec;
    m->Image = image;
    m->SetPicture(Pictures().Marker[image]);
    FMarkers.push_back(m);
    m->Number = int(FMarkers.size());
    UpdateHint(m);
    PlaceMarker(m);
    m->setVisible(FMarkersShown);
    return int(FMarkers.size()) - 1;
}

double TChartImage::MarkerTime(int i) const
{
    const TChartMarker* m = Item(i);
    return m ? m->Time : 0;
}

double TChartImage::MarkerPrec(int i) const
{
    const TChartMarker* m = Item(i);
    return m ? m->Prec : 0;
}

int TChartImage::MarkerImage(int i) const
{
    const TChartMarker* m = Item(i);
    return m ? m->Image : -1;
}

QString TChartImage::MarkerHint(int i) const
{
    const TChartMarker* m = Item(i);
    return m ? m->Hint : QString();
}

QRect TChartImage::MarkerRect(int i) const
{
    const TChartMarker* m = Item(i);
    return m ? m->geometry() : QRect();
}

bool TChartImage::MarkerShown(int i) const
{
    const TChartMarker* m = Item(i);
    return m && !m->isHidden();
}

bool TChartImage::MarkerBlinking(int i) const
{
    const TChartMarker* m = Item(i);
    return m && m->Blinking;
}

int TChartImage::MarkerAt(const QPoint& pos) const
{
    for (int i = int(FMarkers.size()) - 1; i >= 0; --i)
        if (!FMarkers[size_t(i)]->isHidden() && FMarkers[size_t(i)]->geometry().contains(pos))
            return i;
    return -1;
}

void TChartImage::SetMarkerImage(int i, int image)
{
    TChartMarker* m = Item(i);
    if (!m || image < 0 || image > 2 || Pictures().Marker[image].isNull())
        return;
    m->Image = image;
    m->SetPicture(Pictures().Marker[image]);
    PlaceMarker(m); // the pictures may differ in size: keep the centre
}

void TChartImage::SetMarkerBlinking(int i, bool blinking)
{
    TChartMarker* m = Item(i);
    if (!m || m->Blinking == blinking)
        return;
    if (blinking) {
        m->Blinking = true;
        FBlinking.push_back(m);
        UpdateTimer();
    } else {
        StopBlinking(m, true);
    }
}

void TChartImage::StopBlinking(TChartMarker* m, bool show)
{
    if (!m->Blinking)
        return;
    m->Blinking = false;
    FBlinking.erase(std::remove(FBlinking.begin(), FBlinking.end(), m), FBlinking.end());
    if (show)
        m->setVisible(FMarkersShown);
    UpdateTimer();
}

void TChartImage::UpdateTimer()
{
    if (FBlinking.empty())
        FBlinkTimer->stop();
    else if (!FBlinkTimer->isActive())
        FBlinkTimer->start();
}

bool TChartImage::BlinkActive() const { return FBlinkTimer->isActive(); }

void TChartImage::BlinkTick()
{
    for (TChartMarker* m : FBlinking)
        m->setVisible(FBlinkPhase);
    FBlinkPhase = !FBlinkPhase;
}

void TChartImage::HighlightMarker(int i)
{
    if (Item(FHighlighted))
        SetMarkerImage(FHighlighted, FNormalImage);
    FHighlighted = Item(i) ? i : -1;
    if (FHighlighted >= 0)
        SetMarkerImage(FHighlighted, FHighlightImage);
}

void TChartImage::RemoveMarkersFrom(int i)
{
    i = std::max(i, 0);
    while (int(FMarkers.size()) > i) {
        TChartMarker* m = FMarkers.back();
        StopBlinking(m, false);
        FMarkers.pop_back();
        delete m;
    }
    if (FHighlighted >= i)
        FHighlighted = -1;
}

void TChartImage::ShowMarkers(bool show)
{
    FMarkersShown = show;
    if (!show)
        while (!FBlinking.empty())
            StopBlinking(FBlinking.back(), false);
    for (TChartMarker* m : FMarkers)
        m->setVisible(show);
}

bool TChartImage::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        const int i = MarkerAt(help->pos());
        if (i >= 0) {
            QToolTip::showText(help->globalPos(), MarkerHint(i), this, MarkerRect(i));
            return true;
        }
    }
    return QWidget::event(e);
}

void TChartImage::paintEvent(QPaintEvent*)
{
    const TChartPictures& pics = Pictures();
    if (!pics.Usable())
        return;
    QPainter p(this);
    const QPixmap& chart = FLinear ? pics.PluvL : pics.PluvNL;
    p.drawPixmap(0, 0, chart);
    p.drawPixmap(0, pics.PluvL.height(), pics.Strip[FTimeStart - kMinTimeStart]);
}

void TChartImage::mouseMoveEvent(QMouseEvent* e)
{
    double prec, time;
    PixelToValue(e->position().x(), e->position().y(), prec, time);
    emit ValueHovered(prec, time);
    QWidget::mouseMoveEvent(e);
}

void TChartImage::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        FPressed = true;
    QWidget::mousePressEvent(e);
}

void TChartImage::mouseReleaseEvent(QMouseEvent* e)
{
    const bool click = FPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton)
        FPressed = false;
    if (click) {
        const QPoint pos = e->position().toPoint();
        const int i = MarkerAt(pos);
        if (i >= 0)
            emit MarkerClicked(i);
        double prec, time;
        PixelToValue(pos.x(), pos.y(), prec, time);
        emit ValueClicked(prec, time);
    }
    QWidget::mouseReleaseEvent(e);
}

} // namespace rs
