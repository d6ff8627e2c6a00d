#pragma once
// A live stage's status as the tests' tables write it, one letter each:
// p pending, a active, P pass, W warning, F fail, M a warning to be decided on a Mac.

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
    case LiveStageStatus::hostLimit: return u'M';
    }
    return u'?';
}

inline LiveStageStatus stageStatusOf(QChar letter)
{
    for (LiveStageStatus status : std::array{LiveStageStatus::pending, LiveStageStatus::active, LiveStageStatus::pass,
                                             LiveStageStatus::warning, LiveStageStatus::fail,
                                             LiveStageStatus::hostLimit})
        if (letterOf(status) == letter)
            return status;
    return LiveStageStatus::pending;
}
