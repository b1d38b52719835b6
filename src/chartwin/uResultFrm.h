#pragma once
// TResultFrm, "Pontos Digitalizados": the one floating window that lists the
// points of the active chart window's curve with their accumulated values,
// follows the curve's selection both ways and copies blocks of cells; its
// second page shows the maximum intensities of the same chart and exports
// the series or the maxima as CSV.

#include "chartwin/uRChartWnd.h"
#include "chartwin/EnhGrid.h"
#include "shell/ui/uToolPlacement.h"

#include <QPixmap>
#include <QWidget>

class QAction;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace rs {

class TResultFrm : public QWidget, public TToolWindow
{
    Q_OBJECT
public:
    explicit TResultFrm(QWidget* parent = nullptr);
    ~TResultFrm() override;

    // Attaches to the active chart window's curve and shows it again; closes with none.
    void Reload();
    bool ToolVisible() const override { return isVisible(); }
    void SetToolVisible(bool visible) override;
    void ReloadTool() override { Reload(); }

    TEnhDrawGrid* Grid() const { return FGrid; }
    QString PanelText(int index) const;
    int CurrentRow() const { return FCurrentRow; }
    void MakeCurrent(int row);
    QString CellText(int col, int row) const;

    QTabWidget* Pages() const { return FPages; }
    QTableWidget* MaxGrid() const { return FMaxGrid; }
    QString MaxStatusText() const;
    // The warning about drops of the pen that carry no mark; empty when there are none.
    QString DropWarningText() const;
    // The CSV files of the maxima page; false when cancelled or not written.
    bool ExportMaxima();
    bool ExportSeries(int stepMinutes = 5);

    QAction* mnSelectAll = nullptr;
    QAction* mnCopyCells = nullptr;

public slots:
    void mnSelectAllClick();
    void mnCopyCellsClick();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void Attach(TRChartFrm* window);
    void Detach();
    void CurveChanged();
    void CurveSelected();
    // gridRow: the row the grid's current cell is moving to; by default the grid's current row.
    void RefreshStatus(int gridRow = -1);
    void RefreshMaxima();
    void RefreshDropWarning();
    void DrawCell(QPainter& p, int col, int row, const QRect& rect);
    void GridMouseDown(const QPoint& pos);
    void GridMouseUp(const QPoint& pos);
    bool WriteCsv(const QString& title, const QString& suggested, const std::string& text);

    QTabWidget* FPages = nullptr;
    TEnhDrawGrid* FGrid = nullptr;
    QLabel* FPanels[4] = {};
    QTableWidget* FMaxGrid = nullptr;
    QLabel* FMaxStatus = nullptr;
    QLabel* FDropWarning = nullptr;
    QPixmap FArrow;
    // The window of the document shown, watched: when it goes, so does the
    // document (a new one may take its address).
    TRChartFrm* FWindow = nullptr;
    QMetaObject::Connection FWindowGone;
    TRChart* FDoc = nullptr;
    int FCurrentRow = 0;
    int FDownCol = -1, FDownRow = -1;
    bool FPlaced = false;
    TToolPlacement FPlace{"Pontos Digitalizados", true};
};

// The one results window, created at its first use.
TResultFrm* ResultFrm();

} // namespace rs
