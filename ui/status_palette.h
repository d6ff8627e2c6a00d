#pragma once
// The status palette: the platform's system green, orange and red (their
// dark-appearance values), white at an opacity for everything else, and the
// look of a live stage row for each LiveStageStatus. The results screen uses
// the same three hues.

#include "engine/inspection_records.h"
#include "ui/stage_status.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

QColor systemGreen();
QColor systemOrange();
QColor systemRed();
QColor whiteAt(double opacity);

// The row colour rule: white at `pending` or `active`, green at `pass`, orange
// or red at `warningOrFail`, each the given opacity.
QColor rowColour(LiveStageStatus status, double pending, double active, double pass, double warningOrFail);

struct StageRowLook {
    QString iconName;      // empty while active: a spinner stands there instead
    QColor iconColour;
    int titleWeight;       // a QFont::Weight
    QColor titleColour;
    QString label;         // empty while pending
    QColor labelColour;
    QColor fill;
    QColor border;
};

StageRowLook stageRowLook(LiveStageStatus status);

// The palette for QML, for a status of LiveStageModel's status role.
class StatusPalette : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QColor green READ green CONSTANT)
    Q_PROPERTY(QColor orange READ orange CONSTANT)
    Q_PROPERTY(QColor red READ red CONSTANT)

public:
    using QObject::QObject;

    QColor green() const;
    QColor orange() const;
    QColor red() const;

    // iconName, showsSpinner, iconColor, titleWeight, titleColor, label, labelColor, fill, border.
    Q_INVOKABLE QVariantMap stageRowLook(StageStatus::Value status) const;
};
