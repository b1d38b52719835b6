#pragma once
// TPropertyDlg, the pluviogram properties dialog: station, date and hour of
// placement, kind of chart, gauge reading, curve offset, gauge model, operator
// and notes of one chart.
//
// One instance lives for the whole run (the main window creates it at start-up),
// so its fields keep their values from one new chart to the next unless
// "&Auto limpar na próxima vez" is checked. The station list file is read once,
// by the constructor.
//
// Use:
//   TRChartInfo info;                       // new chart: Owner == nullptr
//   if (dlg->EditProperties(info)) ...      // info now holds the result
//
//   TRChartInfo info = chart.Info;          // existing chart: Owner == &chart
//   if (dlg->EditProperties(info)) chart.SetInfo(info);
//
// The result's FileName is TRChart::MakeFileName of the result, built with the
// FileName of the record the dialog was opened with; its Owner is that record's.
// For an existing chart the dialog reads the owner's scale (hour and axis can be
// changed only while the scale is not concluded) and curve (points that a change
// of kind would delete), and changes neither: the caller applies the record.

#include "document/uRChart.h"
#include "document/uStations.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace rs {

class TChartImage;
class TFilteredEdit;
class TOffsetEdit;
class TStationListBox;

class TPropertyDlg : public QDialog
{
    Q_OBJECT
public:
    // stationFile: the station list to read; empty means "CodigoEstacoes.txt"
    // in the program's folder. A missing file leaves both lists empty.
    explicit TPropertyDlg(QWidget* parent = nullptr, const std::string& stationFile = {});
    ~TPropertyDlg() override;

    // Fills the dialog from info and shows it modally. On OK info is replaced by
    // the result and true is returned; on cancel info is unchanged and false is
    // returned.
    bool EditProperties(TRChartInfo& info);

    // The pieces of EditProperties, for callers that show the dialog themselves
    // (and for tests): fill from a record; build the result record from the
    // fields; run the OK checks and confirmations (false: the dialog stays open).
    void SetInfo(const TRChartInfo& info);
    TRChartInfo GetInfo() const;
    bool CheckInput();
    // The record accepted by the last OK.
    const TRChartInfo& Result() const { return FResult; }

    bool AutoClear() const;
    void SetAutoClear(bool on);

    // The preview (nullptr when the chart pictures could not be loaded).
    TChartImage* Preview() const { return FPreview; }

    // The station lists read at creation (the dry-day dialog copies them).
    const TStationList& Stations() const { return FStations; }

    void accept() override; // OK: runs CheckInput first

protected:
    void showEvent(QShowEvent* e) override;

private:
    void BuildEssentials(QWidget* page);
    void BuildAdditional(QWidget* page);
    void FillStationLists();
    void SelectEqual(TStationListBox* list, const QString& text);
    void TypeAhead(TFilteredEdit* edit, TStationListBox* list);
    void NamePicked(int row);
    void CodePicked(int row);
    void HourChanged(int index);
    void AxisChanged(int index);
    // An error box for a refused field (condition true), the focus on the field.
    bool Refuse(QWidget* field, bool condition, const char* message);
    bool IsNewChart() const { return FInfo.Owner == nullptr; }

    TRChartInfo FInfo;   // the record the dialog was opened with
    TRChartInfo FResult; // the record accepted by OK
    // The texts the fields were filled with: a field left as it was gives back
    // the record's exact value, not the rounding it was shown with.
    QString FShownDate, FShownPTot, FShownDh, FShownNotes;
    TStationList FStations;

    QTabWidget* FTabs = nullptr;
    TFilteredEdit* FName = nullptr;
    TStationListBox* FNames = nullptr;
    TFilteredEdit* FCode = nullptr;
    TStationListBox* FCodes = nullptr;
    QComboBox* FKind = nullptr;
    QComboBox* FAxis = nullptr;
    QLineEdit* FDate = nullptr;
    QComboBox* FHour = nullptr;
    TFilteredEdit* FPTot = nullptr;
    TOffsetEdit* FDh = nullptr;
    TChartImage* FPreview = nullptr; // none when the chart pictures are missing
    bool FLinear = true;             // what the preview shows
    int FTimeStart = 7;
    QLineEdit* FPModel = nullptr;
    QLineEdit* FOpName = nullptr;
    QPlainTextEdit* FNotes = nullptr;
    QCheckBox* FAutoClear = nullptr;
    QPushButton* FOk = nullptr;
    QPushButton* FCancel = nullptr;
};

} // namespace rs
