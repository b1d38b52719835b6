#include "scale/ui/uScaleDlg.h"

#include "chartwin/ChartImage.h"
#include "scale/ui/GridAssist.h"
#include "common/uAppFiles.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"
#include "scale/ui/uDefPoints.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace rs {

TCoordsList& ProgramCoordsList()
{
    static TCoordsList list;
    return list;
}

std::string LoadProgramCoordsList()
{
    std::string warning = ProgramCoordsList().LoadFromFile(PointSetsFileName());
    if (!warning.empty())
        ShowWarning(QString::fromStdString(warning));
    return warning;
}

bool SaveProgramCoordsList()
{
    TCoordsList& list = ProgramCoordsList();
    if (!list.Modified())
        return true;
    std::string error;
    if (!list.SaveToFile(PointSetsFileName(), &error)) {
        ShowError(QString::fromStdString(error));
        return false;
    }
    list.SetModified(false);
    return true;
}

TScaleDlg* ScaleDlg()
{
    static QPointer<TScaleDlg> dlg;
    if (!dlg)
        dlg = new TScaleDlg;
    return dlg;
}

TScaleDlg::TScaleDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Definição de Escala"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* gbPoints = new QGroupBox(QStringLiteral("Pontos de controle"), this);
    rbCoordDefauls = new QRadioButton(QStringLiteral("Marcar pontos &Pré-definidos"), gbPoints);
    InstallHint(rbCoordDefauls, QStringLiteral("Basta marcar os pontos de \r\ncoordenadas predefinidas."));
    rbCoordDefauls->setChecked(true);
    cbSetPoints = new QComboBox(gbPoints);
    cbSetPoints->setMinimumWidth(220);
    InstallHint(cbSetPoints, QStringLiteral("Conjunto de pontos predefinidos."));
    btNewPoints = new QPushButton(QStringLiteral("&Novo..."), gbPoints);
    btEditPoints = new QPushButton(QStringLiteral("&Editar..."), gbPoints);
    InstallHint(btNewPoints, QStringLiteral("Define um conjunto de pontos"));
    InstallHint(btEditPoints, QStringLiteral("Define um conjunto de pontos"));
    rbCoordsDuring = new QRadioButton(QStringLiteral("&Marcar ponto, digitar Coordenadas"), gbPoints);
    InstallHint(rbCoordsDuring,
                QStringLiteral("As coodenadas devem ser digitadas\r\na cada ponto marcado. Menos prático!"));
    rbCoordsAuto = new QRadioButton(QStringLiteral("Colocar os pontos &automaticamente na grade da imagem"), gbPoints);
    InstallHint(rbCoordsAuto, QStringLiteral("Os pontos de controle são achados na grade impressa\r\ndo gráfico "
                                             "escaneado na Mesa Virtual."));
    lbInfo = new QLabel(gbPoints);
    lbInfo->setStyleSheet(QStringLiteral("color: green"));

    auto* pl = new QVBoxLayout(gbPoints);
    pl->addWidget(rbCoordDefauls);
    auto* setRow = new QHBoxLayout;
    setRow->addSpacing(18);
    setRow->addWidget(cbSetPoints, 1);
    setRow->addWidget(btNewPoints);
    setRow->addWidget(btEditPoints);
    pl->addLayout(setRow);
    pl->addWidget(rbCoordsDuring);
    pl->addWidget(rbCoordsAuto);
    pl->addWidget(lbInfo);

    auto* gbView = new QGroupBox(QStringLiteral("Visualização"), this);
    ChartImg = new TChartImage(gbView);
    auto* vl = new QVBoxLayout(gbView);
    vl->addWidget(ChartImg, 0, Qt::AlignCenter);

    btOk = new QPushButton(QStringLiteral("&OK"), this);
    btOk->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);

    auto* main = new QVBoxLayout(this);
    main->addWidget(gbPoints);
    main->addWidget(gbView);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(rbCoordDefauls, &QRadioButton::toggled, this, &TScaleDlg::RadioChanged);
    connect(cbSetPoints, &QComboBox::currentIndexChanged, this, &TScaleDlg::PreviewSelected);
    connect(btNewPoints, &QPushButton::clicked, this, &TScaleDlg::btNewPointsClick);
    connect(btEditPoints, &QPushButton::clicked, this, &TScaleDlg::btEditPointsClick);
    connect(btOk, &QPushButton::clicked, this, &TScaleDlg::OkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TScaleDlg::Execute(TRChart& doc)
{
    FDoc = &doc;
    ChartImg->SetLinear(doc.Info.Linear);
    ChartImg->SetTimeStart(doc.Info.Hour);
    ProgramCoordsList().SetStartHour(doc.Info.Hour);
    lbInfo->setText(QString::fromStdString(MinScalePointsMessage(doc.Info.Linear)));
    FAutoPlace = false;
    const bool scan = TGridAssist::Instance().HasScan();
    rbCoordsAuto->setEnabled(scan);
    if (!scan && rbCoordsAuto->isChecked())
        rbCoordsDuring->setChecked(true);
    const bool ok = exec() == QDialog::Accepted;
    ProgramCoordsList().RemoveTemporary();
    FDoc = nullptr;
    return ok;
}

void TScaleDlg::showEvent(QShowEvent* e)
{
    FillList();
    int i = FRemembered;
    if (i >= cbSetPoints->count())
        i = cbSetPoints->count() - 1;
    {
        const QSignalBlocker block(cbSetPoints);
        cbSetPoints->setCurrentIndex(i);
    }
    ChartImg->ClearMarkers();
    PreviewSelected();
    RadioChanged();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(e);
}

void TScaleDlg::done(int r)
{
    FRemembered = cbSetPoints->currentIndex() < 0 ? 0 : cbSetPoints->currentIndex();
    QDialog::done(r);
}

void TScaleDlg::FillList()
{
    const QSignalBlocker block(cbSetPoints);
    cbSetPoints->clear();
    const TCoordsList& list = ProgramCoordsList();
    for (int i = 0; i < list.Count(); ++i)
        cbSetPoints->addItem(CpToQ(list.Names(i)));
}

void TScaleDlg::Preview(const TCoordSet& set)
{
    ChartImg->ClearMarkers();
    for (const TCoordPoint& p : set.Points)
        ChartImg->AddMarker(TChartImage::miRed, p.Prec, p.Time);
}

void TScaleDlg::PreviewSelected()
{
    const int i = cbSetPoints->currentIndex();
    if (i >= 0 && i < ProgramCoordsList().Count())
        Preview(ProgramCoordsList().Sets(i));
}

void TScaleDlg::RadioChanged()
{
    const bool defaults = rbCoordDefauls->isChecked();
    ChartImg->ShowMarkers(defaults);
    EnableControls({cbSetPoints, btNewPoints, btEditPoints}, defaults);
    lbInfo->setVisible(!defaults);
}

void TScaleDlg::btNewPointsClick()
{
    if (!FDoc)
        return;
    TCoordSet set;
    if (!DefPointsDlg()->Execute(*FDoc, true, set))
        return;
    Preview(set);
    TCoordsList& list = ProgramCoordsList();
    list.Add(set.Name).Points = set.Points;
    FillList();
    const QSignalBlocker block(cbSetPoints);
    cbSetPoints->setCurrentIndex(cbSetPoints->count() - 1);
    list.SetModified(true);
}

void TScaleDlg::btEditPointsClick()
{
    const int i = cbSetPoints->currentIndex();
    TCoordsList& list = ProgramCoordsList();
    if (ErrorIf(cbSetPoints, !FDoc || i < 0 || i >= list.Count(),
                QStringLiteral("Selecione o conjunto de pontos a editar.")))
        return;
    TCoordSet copy = list.Sets(i);
    if (!DefPointsDlg()->Execute(*FDoc, false, copy))
        return;
    if (copy.SameAs(list.Sets(i)))
        return;
    Preview(copy);
    list.Sets(i) = copy;
    cbSetPoints->setItemText(i, CpToQ(copy.Name));
    const QSignalBlocker block(cbSetPoints);
    cbSetPoints->setCurrentIndex(i);
    list.SetModified(true);
}

void TScaleDlg::OkClick()
{
    if (!FDoc)
        return;
    const bool defaults = rbCoordDefauls->isChecked();
    const int i = cbSetPoints->currentIndex();
    TCoordsList& list = ProgramCoordsList();
    if (defaults && ErrorIf(cbSetPoints, i < 0 || i >= list.Count(),
                            QStringLiteral("Selecione um conjunto de pontos predefinidos, ou escolha "
                                           "digitar as coordenadas a cada ponto marcado.")))
        return;
    TScale& scale = FDoc->Scale();
    scale.SetCoordMode(defaults ? 0 : 1);
    FAutoPlace = rbCoordsAuto->isChecked();
    if (defaults)
        list.Sets(i).CopyTo(scale.Predefined());
    accept();
}

} // namespace rs
