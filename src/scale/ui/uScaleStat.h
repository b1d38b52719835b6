#pragma once
// TScaleStatFrm, "Estatística da Escala": the control points of the active
// chart window's scale with their calculated, provided and residual time and
// precipitation, each residual marked within or beyond the tolerance.

#include "chartwin/uRChartWnd.h"
#include "shell/ui/uToolPlacement.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QAction;
class QMenu;
class QPainter;
class QRect;

namespace rs {

class TEnhDrawGrid;
class TScale;

class TScaleStatFrm : public QWidget, public TToolWindow
{
    Q_OBJECT
public:
    static constexpr int kRows = 16;
    static constexpr int kHeaderHeight = 70;
    static constexpr int kRowHeight = 50;
    static constexpr int kColWidth = 100;

    explicit TScaleStatFrm(QWidget* parent = nullptr);
    ~TScaleStatFrm() override;

    // Attaches the window to the active scale, or closes it when there is none to show.
    void Refresh();
    TScale* Scale() const { return FScale; }

    bool ToolVisible() const override { return isVisible(); }
    void SetToolVisible(bool visible) override;
    void ReloadTool() override { Refresh(); }

    QString CellText(int col, int row) const;
    // Within the inclusive tolerance (1/12 h, 0.1 mm) of the cell's residual;
    // the picture drawn in a data cell of a valid scale.
    bool CellWithin(int col, int row) const;
    // Selected block as text: rows of tab-separated cells, each ending CR LF.
    void CopyCells();
    void SelectAll();

    TEnhDrawGrid* Grid = nullptr;
    QPixmap Ok, noOk;
    QMenu* PopupMenu = nullptr;
    QAction* mnSelectAll = nullptr;
    QAction* mnCopyCells = nullptr;
    int MeasuredWidth() const { return FTextWidth; }
    int MeasuredHeight() const { return FTextHeight; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void DrawCell(int col, int row, const QRect& cell, QPainter& p) const;
    void Hook(TScale* scale);
    void Unhook();
    void Repaint();
    void SelectRow(int row);
    void CellSelected(int row);

    TScale* FScale = nullptr;
    QPointer<TRChartFrm> FWindow;
    int FTextWidth = 0, FTextHeight = 0;
    int FShowings = 0;
    TToolPlacement FPlace{"Estat\xEDstica da Escala", true};
    bool FSelecting = false;
};

} // namespace rs
