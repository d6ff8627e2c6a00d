#pragma once
// The exit status of one veristamp-check run, from what each package came to.

#include "report/verdict.h"

#include <QString>

enum class CheckExit : int {
    ready = 0,
    review = 1,
    doNotShip = 2,
    usage = 64,
    missingInput = 66,
    cannotCreate = 73, // EX_CANTCREAT: the temporary folder cannot hold the capture files
};

// Each status and what it means, one line a status, as --help ends.
QString exitStatusHelp();

// Folds the runs' outcomes: DO NOT SHIP outweighs everything; a missing or
// unsupported package outweighs only clean results; a report that could not
// be saved makes the status at least 1.
class CheckExitStatus {
public:
    void addVerdict(ReleaseVerdict verdict);
    void addMissingInput();
    void addSaveFailure();
    int code() const;

private:
    ReleaseVerdict m_worst = ReleaseVerdict::readyToShip;
    bool m_missingInput = false;
    bool m_saveFailure = false;
};
