#pragma once
// The dry-day dialog "Cadastro de dias sem chuva ou sem dados": station, kind,
// year, month and the list of days of the files to write. Station, year, kind,
// hour and axis keep their values between runs; month and days start empty.

#include "common/Utils.h"
#include "document/uRChart.h"
#include "document/uStations.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rs {

class TChartImage;
class TFilteredEdit;
class TStationListBox;

class TDryPeriodDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TDryPeriodDlg(const TStationList& stations, QWidget* parent = nullptr);

    // Modal; on OK fills the record (kind, station, hour, axis) and the dates, true.
    // On cancel the record and the dates are left as they were.
    bool Execute(TRChartInfo& info, TDoubleArray& dates);

    // The year two-digit years are read against (the current one by default).
    std::function<int()> CurrentYear;

    TFilteredEdit* edStName = nullptr;
    TStationListBox* lbNames = nullptr;
    TFilteredEdit* edStCode = nullptr;
    TStationListBox* lbCodes = nullptr;
    QRadioButton* rbNoRain = nullptr;
    QRadioButton* rbNoData = nullptr;
    QLineEdit* edYear = nullptr;
    QLineEdit* edMonth = nullptr;
    TFilteredEdit* edDays = nullptr;
    QLabel* lbMonth = nullptr;
    QLabel* lbDays = nullptr;
    QLabel* lbExample = nullptr;
    TChartImage* ChartImg = nullptr;
    QComboBox* cbAxes = nullptr;
    QComboBox* cbHour = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

    void accept() override; // the OK checks

private:
    void TypeAhead(QLineEdit* edit, TStationListBox* list);
    void NamePicked(int row);
    void CodePicked(int row);
    void UpdateEnabling();
    void YearLeft();

    TStationList FStations;
    TDoubleArray FDates;
};

} // namespace rs
