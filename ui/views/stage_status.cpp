#include "ui/views/stage_status.h"

namespace StageStatus {

Value fromLive(LiveStageStatus status)
{
    return Value(int(status));
}

LiveStageStatus toLive(Value status)
{
    const bool known = status >= Pending && status <= HostLimit;
    return known ? LiveStageStatus(int(status)) : LiveStageStatus::pending;
}

} // namespace StageStatus
