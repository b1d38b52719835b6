#pragma once
// TScaleDlg, "Definição de Escala": how the control points of a new scale get
// their coordinates (a predefined set marked in order, or typed for each point),
// with the program's list of predefined sets and a preview of the chosen one.

#include "scale/uCoordsList.h"

#include <QDialog>

#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace rs {

class TChartImage;
class TRChart;

// The program's predefined sets, loaded from PointSetsFileName() at start-up
// and written back at shutdown when modified.
TCoordsList& ProgramCoordsList();
// Loads the list; a load warning is shown once through the message service.
// Returns the warning (UTF-8, empty when none).
std::string LoadProgramCoordsList();
// Writes the list when it was modified; a failure is shown and returns false.
bool SaveProgramCoordsList();

class TScaleDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TScaleDlg(QWidget* parent = nullptr);

    // Chooses the coordinate mode of doc's scale (and fills Predefined); true on OK.
    bool Execute(TRChart& doc);

    QRadioButton* rbCoordDefauls = nullptr;
    QRadioButton* rbCoordsDuring = nullptr;
    QRadioButton* rbCoordsAuto = nullptr; // found on the grid of the scan in "Mesa Virtual"
    QComboBox* cbSetPoints = nullptr;
    QPushButton* btNewPoints = nullptr;
    QPushButton* btEditPoints = nullptr;
    QLabel* lbInfo = nullptr;
    TChartImage* ChartImg = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;

    int RememberedIndex() const { return FRemembered; }
    // The operator chose to have the control points placed on the scan's grid.
    bool AutoPlace() const { return FAutoPlace; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void FillList();
    void Preview(const TCoordSet& set);
    void PreviewSelected();
    void RadioChanged();
    void btNewPointsClick();
    void btEditPointsClick();
    void OkClick();

    TRChart* FDoc = nullptr;
    int FRemembered = 0;
    bool FAutoPlace = false;
};

// The program's single scale dialog (created on first use).
TScaleDlg* ScaleDlg();

} // namespace rs
