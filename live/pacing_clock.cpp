#include "live/pacing_clock.h"

#include <QTimer>

std::chrono::nanoseconds SteadyPacingClock::now() const
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

void SteadyPacingClock::callAfter(std::chrono::nanoseconds delay, QObject *context, std::function<void()> due)
{
    // A coarse timer may fire up to 5 % early; the pacing promises a minimum.
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(delay);
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, context, std::move(due));
}
