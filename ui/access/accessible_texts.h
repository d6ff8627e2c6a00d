#pragma once
// What screen readers read for the elements that draw several texts as one:
// the drop zone, the live card and its stage rows, the check rows, the
// verdict banner and the package header. Status words are spelled out
// ("passed", not "PASS"), so they are read as words and not letter by letter.

#include "engine/inspection_records.h"
#include "ui/views/stage_status.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

QString dropZoneAccessibleName();
// "Verifying code signature: passed".
QString stageAccessibleName(const QString &title, LiveStageStatus status);
// What is announced when a stage row changes: its name once the stage has
// finished, nothing while it waits or runs.
QString stageAnnouncement(const QString &title, LiveStageStatus status);
// "Code signature, passed. The application passed codesign verification."
QString checkAccessibleName(const QString &title, CheckStatus status, const QString &detail);
// "DO NOT SHIP. One or more release-blocking checks failed. 3 passed, 0 warnings, 1 failed."
QString verdictAccessibleName(const QString &title, const QString &summary, int passed, int warnings, int failed);

// The same for QML, from what the views bind to: a stage status of
// LiveStageModel, a check status as its badge label. The verdict banner's
// text is InspectionView's verdictAccessibleName.
class AccessibleTexts : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString dropZone READ dropZone CONSTANT)

public:
    using QObject::QObject;

    QString dropZone() const;
    Q_INVOKABLE QString liveCard(const QString &heading, const QString &target) const;
    Q_INVOKABLE QString stage(const QString &title, StageStatus::Value status) const;
    Q_INVOKABLE QString stageAnnouncement(const QString &title, StageStatus::Value status) const;
    Q_INVOKABLE QString check(const QString &title, const QString &badge, const QString &detail) const;
    // "Version: 1.4.2" from "VERSION" and "1.4.2": a caption drawn in capitals
    // is read as a word, not spelt out.
    Q_INVOKABLE QString labelled(const QString &label, const QString &value) const;
    Q_INVOKABLE QString packageHeader(const QString &name, const QString &kind, const QString &path) const;
};
