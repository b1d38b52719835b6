#pragma once
// The loupe of the virtual tablet: the pixels around the pointer, enlarged,
// with the exact point the tablet cursor reports at its centre.

#include <QWidget>

namespace rs {

class TTabletSurface;

class TTabletLoupe : public QWidget
{
    Q_OBJECT
  public:
    explicit TTabletLoupe(TTabletSurface* surface, QWidget* parent = nullptr);

    // Screen pixels per picture pixel (per 1/300 inch on the blank area).
    int Magnification() const { return FMagnification; }
    void SetMagnification(int m);

    QSize sizeHint() const override { return {180, 180}; }

  signals:
    void magnificationChanged(int m);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

  private:
    TTabletSurface* FSurface;
    int FMagnification = 8;
};

} // namespace rs
