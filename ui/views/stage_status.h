#pragma once
// A live stage's status as QML sees it: LiveStageModel's status role and the
// palette's and screen reader's functions for a stage row carry
// StageStatus.Value, not a bare int. The values are LiveStageStatus's own.

#include "engine/inspection_records.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

namespace StageStatus {
Q_NAMESPACE
QML_ELEMENT

enum Value {
    Pending = int(LiveStageStatus::pending),
    Active = int(LiveStageStatus::active),
    Pass = int(LiveStageStatus::pass),
    Warning = int(LiveStageStatus::warning),
    Fail = int(LiveStageStatus::fail),
    HostLimit = int(LiveStageStatus::hostLimit),
};
Q_ENUM_NS(Value)

Value fromLive(LiveStageStatus status);
// QML may pass any number; one outside the enum reads as pending, as on screen.
LiveStageStatus toLive(Value status);

} // namespace StageStatus
