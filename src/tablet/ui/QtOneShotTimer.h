#pragma once
// The one-shot timer of the tablet windows on a QTimer of the UI thread.

#include "tablet/TabletTimer.h"

#include <QTimer>

namespace rs {

class TQtOneShotTimer : public TOneShotTimer
{
  public:
    TQtOneShotTimer()
    {
        FTimer.setSingleShot(true);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (FFire) FFire();
        });
    }
    void Start(int intervalMs, std::function<void()> fire) override
    {
        FFire = std::move(fire);
        FTimer.start(intervalMs);
    }
    void Stop() override { FTimer.stop(); }
    bool Running() const override { return FTimer.isActive(); }

  private:
    QTimer FTimer;
    std::function<void()> FFire;
};

} // namespace rs
