#include "scale/ui/uMsgPt.h"

#include "chartwin/ChartImage.h"
#include "chartwin/Pictures.h"
#include "common/Utils.h"
#include "common/ui/MessageService.h"
#include "document/uRChart.h"
#include "scale/ui/uScaleTools.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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

TMsgPt::TMsgPt(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Definindo pontos de controle"));
    auto* lbPoint = new QLabel(QStringLiteral("Ponto "), this);
    QFont bold = lbPoint->font();
    bold.setBold(true);
    lbPoint->setFont(bold);
    lbPtNo = new QLabel(this);
    lbPtNo->setFont(bold);
    lbCoords = new QLabel(this);
    QFont big = lbCoords->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    lbCoords->setFont(big);
    lbCoords->setStyleSheet(QStringLiteral("color: blue"));
    lbCoords->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbCoords->setMinimumWidth(110);
    ChartImg = new TChartImage(this);

    auto* head = new QHBoxLayout;
    head->addWidget(lbPoint);
    head->addWidget(lbPtNo);
    head->addStretch(1);
    head->addWidget(lbCoords);

    auto* legend = new QHBoxLayout;
    legend->addWidget(LegendItem(this, kPicPtRed, QStringLiteral("A definir")));
    legend->addWidget(LegendItem(this, kPicPtGreen, QStringLiteral("Definidos")));
    legend->addWidget(LegendItem(this, kPicPtBlue, QStringLiteral("Em definição")));

    auto* main = new QVBoxLayout(this);
    main->addLayout(head);
    main->addWidget(ChartImg, 0, Qt::AlignCenter);
    main->addLayout(legend);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TMsgPt::Start()
{
    TRChartFrm* w = ActiveChartWindow();
    if (!w || !w->Doc().Scale().MarkingPredefined()) {
        hide();
        FDoc = nullptr;
        return;
    }
    Setup(w->Doc());
    show();
}

void TMsgPt::SetToolVisible(bool visible)
{
    if (visible)
        Start();
    else {
        hide();
        FDoc = nullptr;
    }
}

void TMsgPt::Setup(TRChart& doc)
{
    FDoc = &doc;
    ChartImg->SetLinear(doc.Info.Linear);
    ChartImg->SetTimeStart(doc.Info.Hour);
    ChartImg->ClearMarkers();
    ChartImg->ShowMarkers(true);
    FCurrent = -1;
    const TScale& s = doc.Scale();
    for (int i = 0; i < s.Count(); ++i)
        ChartImg->AddMarker(TChartImage::miGreen, s.Items(i)->Prec(), s.Items(i)->Time());
    const TPointList& pre = s.Predefined();
    for (int i = s.Count(); i < pre.Count(); ++i)
        ChartImg->AddMarker(TChartImage::miRed, pre.Items(i)->Prec(), pre.Items(i)->Time());
    lbPtNo->clear();
    lbCoords->clear();
    SetCurrent(s.NextToMark());
}

void TMsgPt::SetCurrent(int i)
{
    if (i == FCurrent)
        return;
    const int old = FCurrent;
    if (old >= 0 && old < ChartImg->MarkerCount()) {
        ChartImg->SetMarkerBlinking(old, false);
        ChartImg->SetMarkerImage(old, i > old ? TChartImage::miGreen : TChartImage::miRed);
    }
    FCurrent = i;
    if (i >= 0 && i < ChartImg->MarkerCount()) {
        ChartImg->SetMarkerImage(i, TChartImage::miBlue);
        ChartImg->SetMarkerBlinking(i, true);
        lbPtNo->setText(QStringLiteral("%1/%2:").arg(i + 1).arg(ChartImg->MarkerCount()));
        if (FDoc && i < FDoc->Scale().Predefined().Count()) {
            const TDigPoint* p = FDoc->Scale().Predefined().Items(i);
            const double t = p->Time() > 24 ? p->Time() - 24 : p->Time();
            lbCoords->setText(QString::fromStdString(FormatNum("%.5g", t) + "; " + FormatNum("%.5g", p->Prec())));
        }
    }
    if (i == -1) {
        if (FDoc)
            FDoc->Scale().SetCoordMode(1);
        hide();
        FDoc = nullptr;
    }
}

TMsgPt::~TMsgPt()
{
    if (isVisible())
        FPlace.Keep(*this);
}

void TMsgPt::showEvent(QShowEvent* e)
{
    if (FShowings++ == 0) {
        adjustSize();
        const QRect m = MainWindowFrame();
        if (!FPlace.Restore(*this) && !m.isEmpty())
            move(m.right() - frameGeometry().width() - 250, m.bottom() - frameGeometry().height() - 25);
        FPlace.Placed(*this);
    }
    QWidget::showEvent(e);
}

void TMsgPt::hideEvent(QHideEvent* e)
{
    FPlace.Keep(*this);
    QWidget::hideEvent(e);
}

void TMsgPt::closeEvent(QCloseEvent* e)
{
    TRChartFrm* w = ActiveChartWindow();
    if (w && w->Doc().Scale().MarkingPredefined()) {
        const TMsgResult a = MessageDlg(
            QStringLiteral("Se fechar esta janela, você deverá marcar arbitrariamente os pontos que ainda faltam "
                           "para calcular a escala. Com isso, será necessário digitar as coordenadas a cada "
                           "ponto marcado. Deseja prosseguir?"),
            TMsgType::Warning, TMsgButtons::YesNo, this);
        if (a != TMsgResult::Yes) {
            e->ignore();
            return;
        }
        w->Doc().Scale().SetCoordMode(1);
        w->UpdateActions();
    }
    FDoc = nullptr;
    e->accept();
}

} // namespace rs
