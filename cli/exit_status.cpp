#include "cli/exit_status.h"

#include <algorithm>

void CheckExitStatus::addVerdict(ReleaseVerdict verdict)
{
    const int rank = verdict == ReleaseVerdict::doNotShip ? 2 : verdict == ReleaseVerdict::reviewBeforeShipping ? 1 : 0;
    m_worstVerdict = std::max(m_worstVerdict, rank);
}

void CheckExitStatus::addMissingInput()
{
    m_missingInput = true;
}

void CheckExitStatus::addSaveFailure()
{
    m_saveFailure = true;
}

int CheckExitStatus::code() const
{
    if (m_worstVerdict == 2)
        return int(CheckExit::doNotShip);
    if (m_missingInput)
        return int(CheckExit::missingInput);
    if (m_worstVerdict == 1 || m_saveFailure)
        return int(CheckExit::review);
    return int(CheckExit::ready);
}
