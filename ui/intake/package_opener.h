#pragma once
// "Open…": another way in beside a drop. The platform's open panel offers
// .app and .dmg packages, and its choice goes to the window's intake exactly
// as a drop does (same acceptance rule, same refusal beep, same screens). It
// is offered on the landing and results screens, not while a run is under
// way. The panel is the platform's unless a test hands in its own.

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class ContentViewState;
// The generated meta-object code needs the whole type of ContentViewState *.
Q_MOC_INCLUDE("ui/views/content_view_state.h")

class PackageChooser {
public:
    virtual ~PackageChooser() = default;
    // The package the user chose, or nothing when the panel was cancelled.
    virtual std::optional<QUrl> choosePackage() = 0;
};

class PackageOpener : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(ContentViewState *viewState READ viewState WRITE setViewState NOTIFY viewStateChanged)
    Q_PROPERTY(bool canOpen READ canOpen NOTIFY canOpenChanged)

public:
    explicit PackageOpener(QObject *parent = nullptr);
    ~PackageOpener() override;

    ContentViewState *viewState() const;
    void setViewState(ContentViewState *state);
    bool canOpen() const;

    // Shows the panel (modal) and hands its choice to the intake.
    Q_INVOKABLE void open();

    // Test hook: a chooser that answers without a user (not owned; nullptr
    // brings back the platform's panel).
    void setChooser(PackageChooser *chooser);

signals:
    void viewStateChanged();
    void canOpenChanged();

private:
    QPointer<ContentViewState> m_viewState;
    std::unique_ptr<PackageChooser> m_platformChooser;
    PackageChooser *m_chooser;
};
