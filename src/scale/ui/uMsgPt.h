#pragma once
// TMsgPt, "Definindo pontos de controle": the tool window that names the
// predefined point to be marked next on the paper chart, on a small chart
// picture with the marked (green), pending (red) and current (blue, blinking)
// points.

#include "chartwin/uRChartWnd.h"
#include "shell/ui/uToolPlacement.h"

#include <QWidget>

class QLabel;

namespace rs {

class TChartImage;
class TRChart;

class TMsgPt : public QWidget, public TToolWindow
{
    Q_OBJECT
public:
    explicit TMsgPt(QWidget* parent = nullptr);
    ~TMsgPt() override;

    // Shows the prompt for the active chart window's scale while it marks a
    // predefined set; closes it otherwise.
    void Start();
    void Setup(TRChart& doc);
    // Makes predefined point i the one asked for; -1 ends the marking of the
    // set (further points get typed coordinates) and closes the prompt.
    void SetCurrent(int i);
    int Current() const { return FCurrent; }
    TRChart* Doc() const { return FDoc; }

    bool ToolVisible() const override { return isVisible(); }
    void SetToolVisible(bool visible) override;
    void ReloadTool() override { Start(); }

    QLabel* lbPtNo = nullptr;
    QLabel* lbCoords = nullptr;
    TChartImage* ChartImg = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    TRChart* FDoc = nullptr;
    int FCurrent = -1;
    int FShowings = 0;
    TToolPlacement FPlace{"Pontos de Controle", false};
};

} // namespace rs
