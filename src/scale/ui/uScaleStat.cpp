#include "scale/ui/uScaleStat.h"

#include "chartwin/DrawBox.h"
#include "chartwin/EnhGrid.h"
#include "chartwin/Pictures.h"
#include "common/Utils.h"
#include "common/uTimeHelpers.h"
#include "common/ui/UiHelpers.h"
#include "common/ui/PlatformServices.h"
#include "document/uRChart.h"
#include "scale/ui/uScaleTools.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace rs {

namespace {

QPixmap LegendPicture(const char* name, QColor colour)
{
    QPixmap pix(QString::fromLatin1(name));
    if (!pix.isNull())
        return pix;
    pix = QPixmap(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setBrush(colour);
    p.setPen(colour.darker());
    p.drawEllipse(2, 2, 11, 11);
    return pix;
}

QString Lines(const QString& text) { return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

} // namespace

void TScaleStatFrm::DrawCell(int col, int row, const QRect& cell, QPainter& p) const
{
    if (!ActiveChartWindow() || !FScale)
        return;
    const QRect r(cell.left(), cell.top() + 1, cell.width(), cell.height() - 1);
    const TScale& s = *FScale;
    if (row == 0) {
        p.drawText(r.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, Lines(CellText(col, row)));
    } else if (row <= s.Count()) {
        p.drawText(r.adjusted(0, 0, -4, 0), Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap,
                   Lines(CellText(col, row)));
        // A rule between the calculated value and the two lines below it.
        const QPen pen = p.pen();
        p.setPen(palette().button().color().darker(115));
        const int y = r.top() + FTextHeight;
        p.drawLine(r.right() - 4 - FTextWidth, y, r.right() - 4, y);
        p.setPen(pen);
        if (col == 0)
            p.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, QString::number(row));
        if (s.Valid) {
            const QPixmap& pic = CellWithin(col, row) ? Ok : noOk;
            p.drawPixmap(r.left() + 4, (cell.top() + cell.bottom() - pic.height()) / 2, pic);
        }
    }
}

TScaleStatFrm::TScaleStatFrm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)
{
    setWindowTitle(QStringLiteral("Estatística da Escala"));
    Grid = new TEnhDrawGrid(this);
    Grid->SetColCount(2);
    Grid->SetRowCount(kRows);
    Grid->SetFixedCols(0);
    Grid->SetFixedRows(1);
    Grid->SetDefaultColWidth(kColWidth);
    Grid->SetDefaultRowHeight(kRowHeight);
    Grid->SetRowHeight(0, kHeaderHeight);
    Grid->SetOptions(kDefaultGridOptions | goColSizing);
    Grid->OnGetCellText = [this](TEnhDrawGrid*, int col, int row, QString& text) { text = CellText(col, row); };
    Grid->OnDrawCell = [this](TEnhDrawGrid*, int col, int row, const QRect& rect, TGridDrawState,
                              QPainter& p) { DrawCell(col, row, rect, p); };
    Grid->OnSelectCell = [this](TEnhDrawGrid*, int, int row, bool&) { CellSelected(row); };

    Ok = LegendPicture(kPicOk, Qt::green);
    noOk = LegendPicture(kPicNoOk, Qt::red);
    auto* panel = new QWidget(this);
    auto* pl = new QVBoxLayout(panel);
    pl->setContentsMargins(4, 2, 4, 2);
    const std::pair<const QPixmap*, QString> legend[2] = {
        {&Ok, QStringLiteral("Resíduo <= (5,0 min ou 0,1mm)")},
        {&noOk, QStringLiteral("Resíduo  >  (5,0 min ou 0,1mm)")}};
    for (const auto& [pic, text] : legend) {
        auto* row = new QHBoxLayout;
        auto* img = new QLabel(panel);
        img->setPixmap(*pic);
        row->addWidget(img);
        row->addWidget(new QLabel(text, panel), 1);
        pl->addLayout(row);
    }
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(Grid, 1);
    main->addWidget(panel);

    const QRect m = Grid->fontMetrics().boundingRect(QRect(0, 0, 1000, 1000), Qt::AlignRight | Qt::TextWordWrap,
                                                     QStringLiteral(" 00:00\n 00:00"));
    FTextWidth = m.width();
    FTextHeight = m.height();

    PopupMenu = new QMenu(this);
    mnSelectAll = PopupMenu->addAction(PicIcon(kIcoSelectAll), QStringLiteral("Selecionar &Tudo"));
    mnSelectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    mnCopyCells = PopupMenu->addAction(PicIcon(kIcoCopy), QStringLiteral("&Copiar Células"));
    mnCopyCells->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    for (QAction* a : {mnSelectAll, mnCopyCells}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    KeepOwnShortcuts(this);
    connect(mnSelectAll, &QAction::triggered, this, &TScaleStatFrm::SelectAll);
    connect(mnCopyCells, &QAction::triggered, this, &TScaleStatFrm::CopyCells);
    Grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu->popup(Grid->viewport()->mapToGlobal(pos)); });
    resize(2 * kColWidth + 2 * Grid->frameWidth() + 24, 500);
}

TScaleStatFrm::~TScaleStatFrm()
{
    if (isVisible())
        FPlace.Keep(*this);
    Unhook();
}

void TScaleStatFrm::SetToolVisible(bool visible)
{
    if (visible)
        Refresh();
    else {
        hide();
        Unhook();
    }
}

void TScaleStatFrm::Unhook()
{
    // A scale whose window is being destroyed is not touched any more.
    if (FScale && FWindow) {
        const auto& all = ChartWindows();
        if (std::find(all.begin(), all.end(), FWindow.data()) != all.end()) {
            FScale->OnSelect = nullptr;
            FScale->OnFit = nullptr;
            FScale->OnAdded = nullptr;
            FScale->OnRemoved = nullptr;
        }
    }
    FScale = nullptr;
    FWindow = nullptr;
}

void TScaleStatFrm::Hook(TScale* scale)
{
    if (scale != FScale)
        Unhook();
    FScale = scale;
    FWindow = ActiveChartWindow();
    scale->OnSelect = [this](TPointList* list) { SelectRow(list->SelectedIndex() + 1); };
    scale->OnFit = [this](TScale*) {
        if (FWindow && FWindow->Box())
            FWindow->Box()->update();
        Repaint();
    };
    scale->OnAdded = [this](TPointList*, TDigPoint*) { Repaint(); };
    scale->OnRemoved = [this](TPointList*, TDigPoint*) { Repaint(); };
}

void TScaleStatFrm::Refresh()
{
    TRChartFrm* w = ActiveChartWindow();
    TScale* scale = nullptr;
    if (w && w->ShowCtrlPt() && w->Doc().Scale().Visible())
        scale = &w->Doc().Scale();
    if (!scale) {
        hide();
        Unhook();
        return;
    }
    Hook(scale);
    const int row = scale->SelectedIndex() + 1 > 0 ? scale->SelectedIndex() + 1 : 1;
    if (!isVisible())
        show();
    SelectRow(row);
    Repaint();
}

void TScaleStatFrm::showEvent(QShowEvent* e)
{
    if (FShowings++ == 0) {
        const QRect m = MainWindowFrame();
        if (!FPlace.Restore(*this) && !m.isEmpty()) {
            resize(width(), std::max(200, m.height() - 97 - (frameGeometry().height() - height())));
            move(m.right() + 1 - frameGeometry().width() - 16, m.top() + 72);
        }
        FPlace.Placed(*this);
    }
    QWidget::showEvent(e);
}

void TScaleStatFrm::hideEvent(QHideEvent* e)
{
    FPlace.Keep(*this);
    QWidget::hideEvent(e);
}

void TScaleStatFrm::closeEvent(QCloseEvent* e)
{
    // Closed by the operator: the chart window stops showing its control points.
    Unhook();
    if (TRChartFrm* w = ActiveChartWindow())
        w->SetShowCtrlPt(false);
    e->accept();
}

void TScaleStatFrm::Repaint() { Grid->InvalidateGrid(); }

void TScaleStatFrm::SelectRow(int row)
{
    // Not while the grid's own selection is being passed to the scale.
    if (row < 1 || row >= kRows || FSelecting)
        return;
    FSelecting = true;
    Grid->SetCurrent(Grid->Col(), row);
    FSelecting = false;
}

void TScaleStatFrm::CellSelected(int row)
{
    if (FSelecting || !FScale)
        return;
    if (row >= 1 && row <= FScale->Count()) {
        FSelecting = true;
        FScale->SelectIndex(row - 1);
        FSelecting = false;
    }
}

QString TScaleStatFrm::CellText(int col, int row) const
{
    if (row == 0)
        return col == 0 ? QStringLiteral("Tempo (h:m)\r\nCalculado\r\nFornecido\r\nResíduo")
                        : QStringLiteral("Precip. (mm)\r\nCalculado\r\nFornecido\r\nResíduo");
    if (!FScale || row > FScale->Count() || col < 0 || col > 1)
        return {};
    const TDigPoint* p = FScale->Items(row - 1);
    std::string s;
    if (FScale->Valid) {
        const TPointValue v = FScale->PointValues(row - 1);
        const TPointValue d = FScale->PointResiduals(row - 1);
        if (col == 0)
            s = HoursToHM(v.Time) + "\r\n" + HoursToHM(p->Time()) + "\r\n" + HoursToHM(d.Time);
        else
            s = FormatNum("%.2f", v.Prec) + "\r\n" + FormatNum("%.2f", p->Prec()) + "\r\n" + FormatNum("%.2f", d.Prec);
    } else if (col == 0) {
        s = FormatNum("%.3f", p->Time() > 24 ? p->Time() - 24 : p->Time()) + "\r\n-\r\n-";
    } else {
        s = FormatNum("%.2f", p->Prec()) + "\r\n-\r\n-";
    }
    return QString::fromStdString(s);
}

bool TScaleStatFrm::CellWithin(int col, int row) const
{
    if (!FScale || row < 1 || row > FScale->Count())
        return false;
    const TPointValue d = FScale->PointResiduals(row - 1);
    return col == 0 ? std::fabs(d.Time) <= TScale::kTimeTolerance : std::fabs(d.Prec) <= TScale::kPrecTolerance;
}

void TScaleStatFrm::SelectAll() { Grid->SelectAll(); }

void TScaleStatFrm::CopyCells() { Grid->CopySelection(); }

} // namespace rs
