#include "cli/exit_status.h"

#include <QList>

#include <algorithm>

QString exitStatusHelp()
{
    struct Meaning {
        CheckExit status;
        const char *text;
    };
    static const QList<Meaning> meanings{
        {CheckExit::ready, "every package is READY TO SHIP"},
        {CheckExit::review, "the worst is REVIEW BEFORE SHIPPING, or a report could not be saved, or the release set "
                            "disagrees"},
        {CheckExit::doNotShip, "a package is DO NOT SHIP"},
        {CheckExit::usage, "the command line is wrong"},
        {CheckExit::missingInput, "a package is missing or not an .app or .dmg"},
        {CheckExit::cannotCreate, "the temporary folder cannot hold capture files"},
    };
    QString text = QStringLiteral("Exit status:\n");
    for (const Meaning &meaning : meanings)
        text += QStringLiteral("  %1 %2\n").arg(int(meaning.status), -5).arg(QLatin1String(meaning.text));
    return text + QStringLiteral("  128+N stopped by signal N\n");
}

void CheckExitStatus::addVerdict(ReleaseVerdict verdict)
{
    // The verdicts are declared from the best to the worst.
    m_worst = std::max(m_worst, verdict);
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
    if (m_worst == ReleaseVerdict::doNotShip)
        return int(CheckExit::doNotShip);
    if (m_missingInput)
        return int(CheckExit::missingInput);
    if (m_worst == ReleaseVerdict::reviewBeforeShipping || m_saveFailure)
        return int(CheckExit::review);
    return int(CheckExit::ready);
}
