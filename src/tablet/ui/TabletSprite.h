#pragma once
// The tablet cursor sprite of the test dialog: a 21 x 21 transparent picture
// placed by its hot spot (10, 10). Mouse input passes through it to the
// picture below.

#include <QPixmap>
#include <QWidget>

namespace rs {

class TTabletSprite : public QWidget
{
    Q_OBJECT
  public:
    static constexpr int kSize = 21;
    static constexpr int kHotSpot = 10;

    explicit TTabletSprite(QWidget* parent = nullptr);

    // The hot spot's place on the parent.
    QPoint Pos() const { return pos() + QPoint(kHotSpot, kHotSpot); }
    void SetPos(QPoint hotSpot);

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    QPixmap FPicture;
};

} // namespace rs
