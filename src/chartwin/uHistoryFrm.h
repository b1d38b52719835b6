#pragma once
// The list of a chart window's edit history: the start and every step, the
// current one selected and those that can be redone greyed; a click goes back
// (or forward) to that step.

#include <QWidget>

class QListWidget;

namespace rs {

class TRChartFrm;

class THistoryFrm : public QWidget
{
    Q_OBJECT
public:
    explicit THistoryFrm(TRChartFrm* chart);

    QListWidget* List() const { return FList; }
    // Shows the history as it stands.
    void Refresh();

private:
    void RowChosen(int row);
    TRChartFrm* FChart;
    QListWidget* FList;
    bool FFilling = false;
};

} // namespace rs
