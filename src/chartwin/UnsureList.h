#pragma once
// "Trechos Duvidosos": the stretches an automatic trace was unsure of, with
// their times, for the chart window that was traced. A click on an entry goes
// to it: the chart scrolls there and "Mesa Virtual" pans there.

#include <QPointer>
#include <QWidget>

class QLabel;
class QListWidget;

namespace rs {

class TRChartFrm;

class TUnsureList : public QWidget
{
    Q_OBJECT
public:
    // Shows the list of the window's trace (one list for the program).
    static TUnsureList* ShowFor(TRChartFrm* window);
    // The list shown now, if any.
    static TUnsureList* Current();
    // The active chart window changed: a shown list follows it while it is traced, hides otherwise.
    static void Follow(TRChartFrm* window);

    TRChartFrm* Window() const { return FWindow; }
    QListWidget* List() const { return FList; }
    void Reload();

    // "07:35 – 08:10" on the chart's 24-hour clock.
    static QString SpanText(double start, double end);

private:
    explicit TUnsureList(QWidget* parent);
    void Go(int row);

    QPointer<TRChartFrm> FWindow;
    QLabel* FHeader;
    QListWidget* FList;
};

} // namespace rs
