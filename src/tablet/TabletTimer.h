#pragma once
// A one-shot timer as the tablet windows need it (the test dialog's message),
// behind an interface so that tests fire it by hand instead of waiting.

#include <functional>

namespace rs {

class TOneShotTimer
{
  public:
    virtual ~TOneShotTimer() = default;
    // (Re)starts the timer; fire runs once, intervalMs later.
    virtual void Start(int intervalMs, std::function<void()> fire) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

// A timer that fires only when told to.
class TManualTimer : public TOneShotTimer
{
  public:
    void Start(int intervalMs, std::function<void()> fire) override
    {
        FInterval = intervalMs;
        FFire = std::move(fire);
        FRunning = true;
        ++FStarts;
    }
    void Stop() override { FRunning = false; }
    bool Running() const override { return FRunning; }
    int Interval() const { return FInterval; }
    int Starts() const { return FStarts; }
    // Fires a running timer; false when it is not running.
    bool Fire()
    {
        if (!FRunning) return false;
        FRunning = false;
        if (FFire) FFire();
        return true;
    }

  private:
    std::function<void()> FFire;
    int FInterval = 0;
    int FStarts = 0;
    bool FRunning = false;
};

} // namespace rs
