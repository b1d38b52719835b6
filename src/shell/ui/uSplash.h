#pragma once
// TSplash: the window shown while the program starts, the program picture
// with its version; borderless, on top, centred. Enter or Esc closes it, and
// closing frees it. The main window waits on its creation tick (taken from the
// program's monotonic clock, so tests can move it) and closes it at the first
// activation at the latest.

#include <QWidget>

namespace rs {

class TSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TSplash(QWidget* parent = nullptr);
    ~TSplash() override;

    // Created, shown and painted at once, as the start-up does.
    static TSplash* ShowSplash();
    // Whether the command line asks for a splash: any first argument but "-ns"
    // (compared case-sensitively), or none.
    static bool WantedBy(int argc, const char* const* argv);

    qint64 CreationTick() const { return FTick; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    qint64 FTick = 0;
};

// The splash window of the run, or none (it clears itself when destroyed).
TSplash* Splash();

} // namespace rs
