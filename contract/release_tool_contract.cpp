#include "contract/release_tool_contract.h"

#include <QByteArray>
#include <QtGlobal>

bool recordedAnswersRequested()
{
    return qgetenv(kReplayRecordsVariable) == "1";
}
