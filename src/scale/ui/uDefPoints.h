#pragma once
// TDefPointsDlg: "Definir Novo Conjunto de Pontos" / "Editar Conjunto de
// Pontos". Edits one predefined set as a grid of times and precipitations, or
// by clicking the small chart picture; only complete points inside the chart's
// ranges count as valid and are drawn.

#include <QDialog>
#include <QString>

#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rs {

class TChartImage;
class TEnhDrawGrid;
class TRChart;
struct TCoordSet;

class TDefPointsDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kColWidth = 54;
    static constexpr int kRowHeight = 19;
    static constexpr int kRows = 16;

    explicit TDefPointsDlg(QWidget* parent = nullptr);

    // Edits set in place; on return its name is the typed one (cbSave checked)
    // or "Pontos Temporários". True on OK.
    bool Execute(const TRChart& doc, bool newMode, TCoordSet& set);

    TEnhDrawGrid* Grid = nullptr;
    QPushButton* btDelete = nullptr;
    QLabel* lbPtCnt = nullptr;
    QCheckBox* cbSave = nullptr;
    QLineEdit* edName = nullptr;
    TChartImage* ChartImg = nullptr;
    QLabel* lbInfo = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;

    // The grid's texts (column 0 numbers, 1 time, 2 precipitation; row 0 header).
    QString CellText(int col, int row) const;
    // The editor's starting text for a cell: the stored value, the time not reduced.
    QString EditText(int col, int row) const;
    bool CanEdit(int row) const;
    // The result of the cell editor closing with text in a cell; false when the
    // text was refused (not a number: an error message, nothing changed).
    bool CellEdited(int col, int row, const QString& text);
    // A click on the picture at a chart value.
    void PictureClicked(double prec, double time);
    void PictureHovered(double prec, double time);
    int ValidCount() const { return int(FMarkerPoint.size()); }
    const TCoordSet* Set() const { return FSet; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void RefreshPoints();
    void RepaintGrid();
    void CurrentCellChanged(int row, int col);
    void btDeleteClick();
    void OkClick();
    void MoveAfterEnter(int col, int row);
    int MarkerOfPoint(int point) const;

    TCoordSet* FSet = nullptr;
    int FHour = 7;
    bool FLinear = true;
    bool FNewMode = true;
    std::vector<int> FMarkerPoint; // point index of each marker
};

TDefPointsDlg* DefPointsDlg();

} // namespace rs
