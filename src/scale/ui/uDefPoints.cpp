#include "scale/ui/uDefPoints.h"

#include "chartwin/ChartImage.h"
#include "common/Utils.h"
#include "common/ui/MessageService.h"
#include "common/ui/UiHelpers.h"
#include "document/uRChart.h"
#include "scale/uCoordsList.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace rs {

namespace {

QString Num6g(double v) { return QString::fromStdString(FormatNum("%.6g", v)); }

} // namespace

// The grid's cell editor: starts with the stored value, reports its text when
// it closes (not after Esc), and turns Enter into a move to the next value.
class TDefPointsDelegate : public QStyledItemDelegate
{
public:
    explicit TDefPointsDelegate(TDefPointsDlg* dlg) : QStyledItemDelegate(dlg), FDlg(dlg) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        auto* ed = new QLineEdit(parent);
        ed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ed->setFrame(false);
        Q_UNUSED(option);
        Q_UNUSED(index);
        return ed;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* ed = qobject_cast<QLineEdit*>(editor))
            ed->setText(FDlg->EditText(index.column(), index.row()));
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* ed = qobject_cast<QLineEdit*>(editor);
        if (!ed || FCommitting)
            return;
        const QString text = ed->text().trimmed();
        if (text.isEmpty())
            return;
        FCommitting = true;
        FDlg->CellEdited(index.column(), index.row(), text);
        FCommitting = false;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
                auto* editor = qobject_cast<QWidget*>(object);
                const QModelIndex index = FDlg->Grid->currentIndex();
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                FDlg->MoveAfterEnter(index.column(), index.row());
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TDefPointsDlg* FDlg;
    mutable bool FCommitting = false;
};

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
    Grid = new QTableWidget(kRows, 3, gbGrid);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    for (int c = 0; c < 3; ++c)
        Grid->setColumnWidth(c, kColWidth);
    for (int r = 0; r < kRows; ++r)
        Grid->setRowHeight(r, kRowHeight);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    Grid->setItemDelegate(new TDefPointsDelegate(this));
    // All rows in view: the header row and the number column never scroll away.
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setFixedSize(3 * kColWidth + 2 * Grid->frameWidth() + 1, kRows * kRowHeight + 2 * Grid->frameWidth() + 1);
    Grid->setStyleSheet(QStringLiteral("QTableWidget::item { padding-right: 4px; }"));
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(palette().button());
                item->setTextAlignment(Qt::AlignCenter);
            } else
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(r, c, item);
        }

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

    connect(Grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int) { CurrentCellChanged(row, col); });
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
    Grid->setCurrentCell(1, 1);
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
    CurrentCellChanged(Grid->currentRow(), Grid->currentColumn());
    return true;
}

void TDefPointsDlg::MoveAfterEnter(int col, int row)
{
    if (col == 1)
        Grid->setCurrentCell(row, 2);
    else if (col == 2 && row + 1 < kRows)
        Grid->setCurrentCell(row + 1, 1);
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

void TDefPointsDlg::RepaintGrid()
{
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < 3; ++c) {
            QTableWidgetItem* item = Grid->item(r, c);
            item->setText(CellText(c, r));
            if (r > 0 && c > 0)
                item->setFlags(CanEdit(r) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                          : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
}

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
    const int row = Grid->currentRow();
    if (!FSet || row < 1 || row - 1 >= FSet->Count())
        return;
    FSet->Points.erase(FSet->Points.begin() + (row - 1));
    RepaintGrid();
    RefreshPoints();
    CurrentCellChanged(row, Grid->currentColumn());
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
    Grid->setCurrentCell(FSet->Count(), Grid->currentColumn() > 0 ? Grid->currentColumn() : 1);
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
