#pragma once
// A live stage's status as the tests' tables write it, one letter each:
// p pending, a active, P pass, W warning, F fail.

#include "engine/inspection_records.h"

#include <QChar>

#include <array>

inline QChar letterOf(LiveStageStatus status)
{
    switch (status) {
    case LiveStageStatus::pending: return u'p';
    case LiveStageStatus::active: return u'a';
    case LiveStageStatus::pass: return u'P';
    case LiveStageStatus::warning: return u'W';
    case LiveStageStatus::fail: return u'F';
    }
    return u'?';
}

inline LiveStageStatus stageStatusOf(QChar letter)
{
    for (LiveStageStatus status : std::array{LiveStageStatus::pending, LiveStageStatus::active, LiveStageStatus::pass,
                                             LiveStageStatus::warning, LiveStageStatus::fail})
        if (letterOf(status) == letter)
            return status;
    return LiveStageStatus::pending;
}
