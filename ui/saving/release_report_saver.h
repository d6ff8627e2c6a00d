#pragma once
// The save button of the release evidence card: its title, symbol and
// enabled state follow the window's releaseReportSaved, and save() runs the
// report saving for the result the screen shows. The dialogs are the
// platform's unless a test hands in its own.

#include "report/report_saving.h"

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

class ContentViewState;
// The generated meta-object code needs the whole type of ContentViewState *.
Q_MOC_INCLUDE("ui/views/content_view_state.h")
class WidgetReportSaveDialogs;

class ReleaseReportSaver : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(ContentViewState *viewState READ viewState WRITE setViewState NOTIFY viewStateChanged)
    Q_PROPERTY(QString buttonTitle READ buttonTitle NOTIFY savedChanged)
    Q_PROPERTY(QString buttonSymbol READ buttonSymbol NOTIFY savedChanged)
    // One report per result: enabled until a save succeeds.
    Q_PROPERTY(bool canSave READ canSave NOTIFY savedChanged)
    // What screen readers hear once this result's report is saved; empty before.
    Q_PROPERTY(QString savedAnnouncement READ savedAnnouncement NOTIFY savedChanged)

public:
    explicit ReleaseReportSaver(QObject *parent = nullptr);
    ~ReleaseReportSaver() override;

    ContentViewState *viewState() const;
    void setViewState(ContentViewState *state);
    QString buttonTitle() const;
    QString buttonSymbol() const;
    bool canSave() const;
    QString savedAnnouncement() const;

    Q_INVOKABLE void save();

    // Test hooks: dialogs that answer without a user (not owned; nullptr
    // brings back the platform's) and the clock the report is dated by.
    void setDialogs(ReportSaveDialogs *dialogs);
    void setClock(std::function<QDateTime()> clock);

signals:
    void viewStateChanged();
    void savedChanged();
    // A report was just written: the view keeps the focus on a named element.
    void reportSaved();

private:
    bool saved() const;

    QPointer<ContentViewState> m_viewState;
    std::unique_ptr<WidgetReportSaveDialogs> m_platformDialogs;
    ReportSaveDialogs *m_dialogs;
    std::function<QDateTime()> m_clock;
    QString m_savedAnnouncement;
};
