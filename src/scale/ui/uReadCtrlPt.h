#pragma once
// TCtrlPtCoord, "Coordenadas do Ponto %d": asks the time and precipitation of a
// control point marked with typed coordinates ("15 8", "15/8", "15;8"), with a
// preview of the point on a small chart picture.

#include <QDialog>
#include <QPoint>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace rs {

class TChartImage;
class TRChart;

class TCtrlPtCoord : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPreviewDelay = 500; // ms

    explicit TCtrlPtCoord(QWidget* parent = nullptr);

    // Runs modally, placed next to cursor (screen coordinates). On OK the typed
    // values are in time and prec.
    bool Execute(const TRChart& doc, QPoint cursor, double& time, double& prec);

    QLineEdit* edCoords = nullptr;
    TChartImage* ChartImg = nullptr;
    QPushButton* btOk = nullptr;
    QPushButton* btCancel = nullptr;
    QTimer* Timer = nullptr;

    // Where the dialog goes for a cursor position on a screen area.
    static QPoint PlaceNear(QPoint cursor, QSize size, const QRect& screen);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void TextChanged();
    void TimerTick();
    void PictureClicked(double prec, double time);

    const TRChart* FDoc = nullptr;
    QPoint FCursor;
    double FTime = 0, FPrec = 0;
    bool FNumLock = false;
    bool FNumLockSaved = false;
};

} // namespace rs
