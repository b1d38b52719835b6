#include "scale/ui/uDefPoints.h"

#include "chartwin/ChartImage.h"
#include "chartwin/EnhGrid.h"
#include "common/Utils.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"
#include "scale/uCoordsList.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

namespace rs {

namespace {

QString Num6g(double v) { return QString::fromStdString(FormatNum("%.6g", v)); }

} // namespace

TDefPointsDlg* DefPointsDlg()
{
    static QPointer<TDefPointsDlg> dlg;
    if (!dlg)
        dlg = new TDefPointsDlg;
    return dlg;
}

TDefPointsDlg::TDefPointsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* gbGrid = new QGroupBox(this);
    Grid = new TEnhDrawGrid(gbGrid);
    Grid->SetColCount(3);
    Grid->SetRowCount(kRows);
    Grid->SetFixedCols(1);
    Grid->SetFixedRows(1);
    Grid->SetDefaultColWidth(kColWidth);
    Grid->SetDefaultRowHeight(kRowHeight);
    Grid->SetOptions(kDefaultGridOptions | goEditing);
    // All rows in view: the header row and the number column never scroll away.
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setFixedSize(3 * (kColWidth + Grid->GridLineWidth()) + 2 * Grid->frameWidth(),
                       kRows * (kRowHeight + Grid->GridLineWidth()) + 2 * Grid->frameWidth());
    Grid->OnGetCellText = [this](TEnhDrawGrid*, int col, int row, QString& text) { text = CellText(col, row); };
    Grid->OnGetEditText = [this](TEnhDrawGrid*, int col, int row, QString& text) { text = EditText(col, row); };
    Grid->OnEditCell = [this](TEnhDrawGrid*, int, int row, bool& allow) { allow = CanEdit(row); };
    Grid->OnEditedCell = [this](TEnhDrawGrid*, int col, int row, const QString& text) {
        if (!text.trimmed().isEmpty())
            CellEdited(col, row, text);
    };
    Grid->OnGetCellStyle = [](TEnhDrawGrid*, int col, int row, TGridDrawState, TCellStyle& style) {
        if (row == 0 || col == 0)
            style.Align = Qt::AlignCenter;
        else {
            style.Align = Qt::AlignRight | Qt::AlignVCenter;
            style.Margins = QMargins(2, 0, 4, 0);
        }
    };
    Grid->OnSelectCell = [this](TEnhDrawGrid*, int col, int row, bool&) { CurrentCellChanged(row, col); };
    // Enter while editing: time -> precipitation -> the next row's time.
    Grid->OnKeyDown = [this](TEnhDrawGrid* g, QKeyEvent* e, bool& handled) {
        if ((e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) || !g->EditorMode())
            return;
        const TGridCoord cell = g->EditedCell();
        g->HideEditor();
        MoveAfterEnter(cell.X, cell.Y);
        handled = true;
    };

    btDelete = new QPushButton(QStringLiteral("E&xcluir"), gbGrid);
    InstallHint(btDelete, QStringLiteral("Exclui o ponto da \r\nlinha corrente"));
    lbPtCnt = new QLabel(gbGrid);
    lbPtCnt->setStyleSheet(QStringLiteral("color: green"));
    lbPtCnt->setAlignment(Qt::AlignCenter);
    cbSave = new QCheckBox(QStringLiteral("&Nomear e salvar para uso futuro"), gbGrid);
    edName = new QLineEdit(gbGrid);

    auto* gl = new QGridLayout(gbGrid);
    gl->addWidget(Grid, 0, 0, 3, 1);
    gl->addWidget(btDelete, 0, 1, Qt::AlignTop);
    gl->addWidget(lbPtCnt, 1, 1);
    gl->addWidget(cbSave, 3, 0, 1, 2);
    gl->addWidget(edName, 4, 0, 1, 2);

    auto* gbView = new QGroupBox(QStringLiteral("Visualização"), this);
    ChartImg = new TChartImage(gbView);
    ChartImg->setCursor(Qt::CrossCursor);
    lbInfo = new QLabel(QStringLiteral("Clique no pluviograma p/ inserir o ponto:"), gbView);
    lbInfo->setStyleSheet(QStringLiteral("color: green"));
    auto* vl = new QVBoxLayout(gbView);
    vl->addWidget(ChartImg, 0, Qt::AlignCenter);
    vl->addWidget(lbInfo);
    vl->addStretch(1);

    btOk = new QPushButton(QStringLiteral("OK"), this);
    btOk->setDefault(true);
    btOk->setAutoDefault(false);
    btCancel = new QPushButton(QStringLiteral("Cancelar"), this);
    btCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);

    auto* top = new QHBoxLayout;
    top->addWidget(gbGrid);
    top->addWidget(gbView);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(btDelete, &QPushButton::clicked, this, &TDefPointsDlg::btDeleteClick);
    connect(cbSave, &QCheckBox::toggled, this, [this](bool on) {
        edName->setEnabled(on);
        if (on)
            edName->setFocus();
    });
    connect(ChartImg, &TChartImage::ValueClicked, this, &TDefPointsDlg::PictureClicked);
    connect(ChartImg, &TChartImage::ValueHovered, this, &TDefPointsDlg::PictureHovered);
    connect(btOk, &QPushButton::clicked, this, &TDefPointsDlg::OkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TDefPointsDlg::Execute(const TRChart& doc, bool newMode, TCoordSet& set)
{
    FSet = &set;
    FHour = doc.Info.Hour;
    FLinear = doc.Info.Linear;
    FNewMode = newMode;
    ChartImg->SetLinear(FLinear);
    ChartImg->SetTimeStart(FHour);
    for (TCoordPoint& p : set.Points)
        p.Tag = kCoordComplete;
    setWindowTitle(newMode ? QStringLiteral("Definir Novo Conjunto de Pontos")
                           : QStringLiteral("Editar Conjunto de Pontos"));
    edName->setText(CpToQ(set.Name));
    cbSave->setEnabled(newMode);
    RefreshPoints();
    RepaintGrid();
    const bool ok = exec() == QDialog::Accepted;
    set.Name = cbSave->isChecked() ? QToCp(edName->text()) : std::string(kTemporarySetName);
    FSet = nullptr;
    return ok;
}

void TDefPointsDlg::showEvent(QShowEvent* e)
{
    {
        const QSignalBlocker block(cbSave);
        cbSave->setChecked(!FNewMode);
    }
    edName->setEnabled(cbSave->isChecked());
    Grid->SetCurrent(1, 1);
    CurrentCellChanged(1, 1);
    Grid->setFocus();
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(e);
}

QString TDefPointsDlg::CellText(int col, int row) const
{
    if (row == 0) {
        static const char* const head[3] = {"Nº", "T (h)", "P (mm)"};
        return col >= 0 && col < 3 ? QString::fromUtf8(head[col]) : QString();
    }
    if (col == 0)
        return QStringLiteral(" %1").arg(row);
    if (!FSet || row - 1 >= FSet->Count())
        return {};
    const TCoordPoint& p = FSet->Points[std::size_t(row - 1)];
    if (col == 1 && (p.Tag & kCoordTimeEntered))
        return Num6g(p.Time > 24 ? p.Time - 24 : p.Time);
    if (col == 2 && (p.Tag & kCoordPrecEntered))
        return Num6g(p.Prec);
    return {};
}

QString TDefPointsDlg::EditText(int col, int row) const
{
    if (!FSet || row < 1 || row - 1 >= FSet->Count())
        return {};
    const TCoordPoint& p = FSet->Points[std::size_t(row - 1)];
    if (col == 1 && (p.Tag & kCoordTimeEntered))
        return Num6g(p.Time);
    if (col == 2 && (p.Tag & kCoordPrecEntered))
        return Num6g(p.Prec);
    return {};
}

bool TDefPointsDlg::CanEdit(int row) const { return FSet && row >= 1 && row <= FSet->Count() + 1 && row < kRows; }

bool TDefPointsDlg::CellEdited(int col, int row, const QString& text)
{
    const QString s = text.trimmed();
    if (!FSet || s.isEmpty() || col < 1 || col > 2 || !CanEdit(row))
        return false;
    double v = 0;
    if (!TryStrToFloat(QToCp(s), v) || !std::isfinite(v)) {
        ShowError(QStringLiteral("\"%1\" não é um número válido.").arg(s), this);
        return false;
    }
    if (col == 1 && v < FHour)
        v += 24;
    if (row == FSet->Count() + 1) {
        TCoordPoint p;
        p.Time = 0;
        p.Prec = 0;
        p.Tag = 0;
        FSet->Points.push_back(p);
    }
    TCoordPoint& p = FSet->Points[std::size_t(row - 1)];
    if (col == 1)
        p.Time = v;
    else
        p.Prec = v;
    p.Tag |= col;
    if (p.Complete())
        RefreshPoints();
    RepaintGrid();
    CurrentCellChanged(Grid->Row(), Grid->Col());
    return true;
}

void TDefPointsDlg::MoveAfterEnter(int col, int row)
{
    if (col == 1)
        Grid->SetCurrent(2, row);
    else if (col == 2 && row + 1 < kRows)
        Grid->SetCurrent(1, row + 1);
}

void TDefPointsDlg::RefreshPoints()
{
    ChartImg->ClearMarkers();
    FMarkerPoint.clear();
    if (FSet)
        for (int i = 0; i < FSet->Count(); ++i)
            if (FSet->IsValidPoint(i, FHour)) {
                const TCoordPoint& p = FSet->Points[std::size_t(i)];
                ChartImg->AddMarker(TChartImage::miRed, p.Prec, p.Time);
                FMarkerPoint.push_back(i);
            }
    lbPtCnt->setText(QStringLiteral("%1 Pontos\r\nVálidos").arg(ValidCount()));
}

void TDefPointsDlg::RepaintGrid() { Grid->InvalidateGrid(); }

int TDefPointsDlg::MarkerOfPoint(int point) const
{
    for (std::size_t m = 0; m < FMarkerPoint.size(); ++m)
        if (FMarkerPoint[m] == point)
            return int(m);
    return -1;
}

void TDefPointsDlg::CurrentCellChanged(int row, int)
{
    const bool hasPoint = FSet && row >= 1 && row - 1 < FSet->Count();
    btDelete->setEnabled(hasPoint);
    ChartImg->HighlightMarker(hasPoint ? MarkerOfPoint(row - 1) : -1);
}

void TDefPointsDlg::btDeleteClick()
{
    const int row = Grid->Row();
    if (!FSet || row < 1 || row - 1 >= FSet->Count())
        return;
    FSet->Points.erase(FSet->Points.begin() + (row - 1));
    RepaintGrid();
    RefreshPoints();
    CurrentCellChanged(row, Grid->Col());
}

void TDefPointsDlg::PictureHovered(double prec, double time)
{
    const int t = int(std::lround(time)), p = int(std::lround(prec));
    if (CoordInRange(t, p, FHour))
        lbInfo->setText(QStringLiteral("Clique no pluviograma p/ inserir o ponto: (%1 %2)").arg(t).arg(p));
    else
        lbInfo->setText(QStringLiteral("Clique no pluviograma p/ inserir o ponto:"));
}

void TDefPointsDlg::PictureClicked(double prec, double time)
{
    const int t = int(std::lround(time)), p = int(std::lround(prec));
    if (!FSet || FSet->Count() >= kMaxSetPoints || !CoordInRange(t, p, FHour))
        return;
    TCoordPoint pt;
    pt.Time = t;
    pt.Prec = p;
    pt.Tag = kCoordComplete;
    FSet->Points.push_back(pt);
    RepaintGrid();
    RefreshPoints();
    Grid->SetCurrent(Grid->Col() > 0 ? Grid->Col() : 1, FSet->Count());
    CurrentCellChanged(FSet->Count(), 1);
}

void TDefPointsDlg::OkClick()
{
    if (ValidCount() < MinSetPoints(FLinear)) {
        ShowWarning(QString::fromStdString(MinSetPointsMessage(FLinear)), this);
        return;
    }
    if (cbSave->isChecked() && edName->text().trimmed().isEmpty()) {
        ShowWarning(QStringLiteral("Informe um nome para o conjunto de pontos, ou desmarque a opção Nomear..."),
                    this);
        edName->setFocus();
        return;
    }
    accept();
}

} // namespace rs
