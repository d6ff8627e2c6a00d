#include "engine/run_outcome.h"

namespace Program {

QString describe(const Outcome &outcome)
{
    switch (outcome.kind()) {
    case Outcome::Kind::exited: return QStringLiteral("exited with %1").arg(outcome.number());
    case Outcome::Kind::endedBySignal: return QStringLiteral("ended by signal %1").arg(outcome.number());
    case Outcome::Kind::notStarted: return QStringLiteral("not started");
    case Outcome::Kind::stopped: return QStringLiteral("stopped");
    case Outcome::Kind::endUnknown: return QStringLiteral("end unknown");
    }
    return QString();
}

} // namespace Program
