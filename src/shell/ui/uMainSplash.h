#pragma once
// The window shown while the program starts: the program picture and its
// version, borderless and on top; Enter or Esc closes it.

#include <QWidget>

namespace rs {

class TMainSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TMainSplash(QWidget* parent = nullptr);
    // The tick count (monotonic milliseconds) of the window's creation.
    qint64 CreationTick() const { return FTick; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    qint64 FTick = 0;
};

} // namespace rs
