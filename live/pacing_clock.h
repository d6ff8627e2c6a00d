#pragma once
// The clock a live run paces its stage changes by: what time it is, and a
// call on the main thread after a delay. The application uses the steady
// clock and Qt's timers; tests move a clock of their own by hand.

#include <QObject>

#include <chrono>
#include <functional>

class PacingClock {
public:
    virtual ~PacingClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
    // Calls `due` on the main thread once `delay` has passed, unless
    // `context` is destroyed first.
    virtual void callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due) = 0;
};

class SteadyPacingClock : public PacingClock {
public:
    std::chrono::nanoseconds now() const override;
    void callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due) override;
};
