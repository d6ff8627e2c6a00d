#pragma once
// The status palette: the platform's system green, orange and red (their
// dark-appearance values), white at an opacity for everything else, and the
// look of a live stage row for each LiveStageStatus. The results screen uses
// the same three hues.

#include "engine/inspection_records.h"
#include "ui/views/stage_status.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

QColor systemGreen();
QColor systemOrange();
QColor systemRed();
QColor whiteAt(double opacity);

// The row colour rule: white at `pending` or `active`, green at `pass`, orange
// or red at `warningOrFail`, each the given opacity.
QColor rowColour(LiveStageStatus status, double pending, double active, double pass, double warningOrFail);

// Read by QML as a value (look.fill, look.showsSpinner, ...).
struct StageRowLook {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString iconName MEMBER iconName)
    Q_PROPERTY(bool showsSpinner READ showsSpinner)
    Q_PROPERTY(QColor iconColor MEMBER iconColour)
    Q_PROPERTY(int titleWeight MEMBER titleWeight)
    Q_PROPERTY(QColor titleColor MEMBER titleColour)
    Q_PROPERTY(QString label MEMBER label)
    Q_PROPERTY(QColor labelColor MEMBER labelColour)
    Q_PROPERTY(QColor fill MEMBER fill)
    Q_PROPERTY(QColor border MEMBER border)

public:
    bool showsSpinner() const { return iconName.isEmpty(); }

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

    Q_INVOKABLE StageRowLook stageRowLook(StageStatus::Value status) const;
};
