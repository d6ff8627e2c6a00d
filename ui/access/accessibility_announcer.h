#pragma once
// Announcements for screen readers. Qt 6.4 has no announce call in QML, so
// an element whose accessible name changes in a way worth saying at once (a
// live stage that finished, the verdict that appeared) declares an
// AccessibleAnnouncement; each new non-empty text, the first one included,
// raises the platform's name-change event on that element, and on macOS
// asks VoiceOver to speak the text, since VoiceOver reads a name change
// only on the element it is at.

#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <functional>

// Raises the announcement for an element whose accessible name is now `text`,
// unless the reader says those words anyway (saidWithTheFocus).
void announceForAccessibility(QObject *element, const QString &text);

// Whether `text` is already the name of the item holding the focus in the
// active window, `element`'s parent (a verdict banner focused as it appears,
// the evidence card once its report is saved): the reader says it as the
// focus lands there, and an announcement would say it twice.
bool saidWithTheFocus(const QObject *element, const QString &text);

// The focus a window places before it is active reaches no screen reader
// (Orca follows the active window only, and says just "frame"): each time
// the window becomes active, its focused item is announced as focused again.
void refocusForAccessibilityOnActivation(QQuickWindow *window);

// macOS only (the announcement request of the platform); a no-op elsewhere.
void requestSpokenAnnouncement(const QString &text);

class AccessibleAnnouncement : public QObject, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT

    Q_PROPERTY(QQuickItem *target READ target WRITE setTarget NOTIFY targetChanged)
    // What to say; an empty text says nothing.
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)

public:
    using QObject::QObject;

    QQuickItem *target() const;
    void setTarget(QQuickItem *target);
    QString text() const;
    void setText(const QString &text);

    void classBegin() override;
    void componentComplete() override;

    // Test hook: sees every announcement raised (the element and its text),
    // on platforms that have no screen reader to receive it; an empty
    // function stops it.
    using Listener = std::function<void(QObject *element, const QString &text)>;
    static void setListener(Listener listener);

signals:
    void targetChanged();
    void textChanged();

private:
    void announce();

    QPointer<QQuickItem> m_target;
    QString m_text;
    bool m_complete = false;
};

// Gives an element its accessible name where QML cannot reach it (a popup's
// own item, the one screen readers take for the dialog).
class AccessibleNaming : public QObject, public QQmlParserStatus {
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT

    Q_PROPERTY(QQuickItem *target READ target WRITE setTarget NOTIFY changed)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY changed)

public:
    using QObject::QObject;

    QQuickItem *target() const { return m_target; }
    void setTarget(QQuickItem *target);
    QString name() const { return m_name; }
    void setName(const QString &name);

    void classBegin() override {}
    void componentComplete() override;

signals:
    void changed();

private:
    void apply();

    QPointer<QQuickItem> m_target;
    QString m_name;
    bool m_complete = false;
};
