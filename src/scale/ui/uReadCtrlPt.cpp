#include "scale/ui/uReadCtrlPt.h"

#include "chartwin/ChartImage.h"
#include "chartwin/Pictures.h"
#include "common/ui/PlatformServices.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"
#include "scale/uCoordParse.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace rs {

namespace {

QWidget* LegendItem(QWidget* parent, const char* picture, const QString& text)
{
    auto* w = new QWidget(parent);
    auto* l = new QHBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    auto* pic = new QLabel(w);
    pic->setPixmap(QPixmap(QString::fromLatin1(picture)));
    l->addWidget(pic);
    l->addWidget(new QLabel(text, w));
    l->addStretch(1);
    return w;
}

} // namespace

TCtrlPtCoord::TCtrlPtCoord(QWidget* parent) : QDialog(parent)
{
    setWindowFlags((windowFlags() | Qt::WindowSystemMenuHint) & ~Qt::WindowContextHelpButtonHint);
    auto* lbPrompt = new QLabel(QStringLiteral("&Hora, delimitador, milímetro"), this);
    auto* lbExample = new QLabel(QStringLiteral("(15h 8mm) -> 15 8 ou 15/8"), this);
    lbExample->setStyleSheet(QStringLiteral("color: gray"));
    edCoords = new QLineEdit(this);
    QFont f = edCoords->font();
    f.setBold(true);
    edCoords->setFont(f);
    edCoords->setStyleSheet(QStringLiteral("color: blue"));
    lbPrompt->setBuddy(edCoords);
    ChartImg = new TChartImage(this);
    ChartImg->setCursor(Qt::CrossCursor);
    btOk = new QPushButton(QStringLiteral("OK"), this);
    btOk->setDefault(true);
    btOk->setEnabled(false);
    btCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Timer = new QTimer(this);
    Timer->setInterval(kPreviewDelay);

    auto* legend = new QHBoxLayout;
    legend->addWidget(LegendItem(this, kPicPtGreen, QStringLiteral("Definidos")));
    legend->addWidget(LegendItem(this, kPicPtBlue, QStringLiteral("Em definição")));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(lbPrompt);
    main->addWidget(lbExample);
    main->addWidget(edCoords);
    main->addWidget(ChartImg, 0, Qt::AlignCenter);
    main->addLayout(legend);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    edCoords->installEventFilter(this);
    connect(edCoords, &QLineEdit::textChanged, this, &TCtrlPtCoord::TextChanged);
    connect(Timer, &QTimer::timeout, this, &TCtrlPtCoord::TimerTick);
    connect(ChartImg, &TChartImage::ValueClicked, this, &TCtrlPtCoord::PictureClicked);
    connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TCtrlPtCoord::Execute(const TRChart& doc, QPoint cursor, double& time, double& prec)
{
    FDoc = &doc;
    FCursor = cursor;
    setWindowTitle(QStringLiteral("Coordenadas do Ponto %1").arg(doc.Scale().Count() + 1));
    {
        const QSignalBlocker block(edCoords);
        edCoords->clear();
    }
    btOk->setEnabled(false);
    Timer->stop();
    const bool ok = exec() == QDialog::Accepted;
    if (ok) {
        const TCoordText c = ParseCoordText(QToCp(edCoords->text()), doc.Info.Hour);
        time = c.Time;
        prec = c.Prec;
    }
    Timer->stop();
    FDoc = nullptr;
    return ok;
}

QPoint TCtrlPtCoord::PlaceNear(QPoint cursor, QSize size, const QRect& screen)
{
    int x = cursor.x() + 10, y = cursor.y() + 10;
    if (x + size.width() > screen.right() + 1)
        x = cursor.x() - 10 - size.width();
    if (y + size.height() > screen.bottom() + 1)
        y = cursor.y() - 10 - size.height();
    return {x, y};
}

void TCtrlPtCoord::showEvent(QShowEvent* e)
{
    edCoords->setFocus();
    if (FDoc) {
        ChartImg->SetTimeStart(FDoc->Info.Hour);
        ChartImg->SetLinear(FDoc->Info.Linear);
        ChartImg->ClearMarkers();
        const TScale& s = FDoc->Scale();
        for (int i = 0; i < s.Count(); ++i)
            ChartImg->AddMarker(TChartImage::miGreen, s.Items(i)->Prec(), s.Items(i)->Time());
    }
    FNumLockSaved = Keyboard().CanSetNumLock();
    if (FNumLockSaved) {
        FNumLock = IsNumLockOn();
        SetNumLock(true);
    }
    adjustSize();
    const QScreen* scr = QApplication::screenAt(FCursor);
    if (!scr)
        scr = screen();
    if (scr)
        move(PlaceNear(FCursor, frameGeometry().size(), scr->geometry()));
    QDialog::showEvent(e);
}

void TCtrlPtCoord::done(int r)
{
    if (FNumLockSaved) {
        SetNumLock(FNumLock);
        FNumLockSaved = false;
    }
    QDialog::done(r);
}

void TCtrlPtCoord::TextChanged()
{
    if (!FDoc)
        return;
    const bool valid = IsValidCoordText(QToCp(edCoords->text()), FDoc->Info.Hour, &FTime, &FPrec);
    btOk->setEnabled(valid);
    if (!valid)
        Timer->stop();
    else if (!Timer->isActive())
        Timer->start();
    if (ChartImg->MarkerCount() > FDoc->Scale().Count())
        ChartImg->RemoveMarkersFrom(ChartImg->MarkerCount() - 1);
}

void TCtrlPtCoord::TimerTick()
{
    Timer->stop();
    if (FDoc && btOk->isEnabled() && ChartImg->MarkerCount() == FDoc->Scale().Count())
        ChartImg->AddMarker(TChartImage::miBlue, FPrec, FTime);
}

void TCtrlPtCoord::PictureClicked(double prec, double time)
{
    edCoords->setText(QString::fromStdString(CoordTextFor(time, prec, FDoc ? FDoc->Info.Hour : 7)));
}

bool TCtrlPtCoord::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == edCoords && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            if (btOk->isEnabled())
                accept();
            else if (IsSingleNumber(QToCp(edCoords->text())))
                edCoords->insert(QStringLiteral(" "));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

} // namespace rs
