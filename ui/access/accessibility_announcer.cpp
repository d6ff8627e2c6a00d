#include "ui/access/accessibility_announcer.h"

#include <QAccessible>
#include <QQmlContext>
#include <QQmlProperty>
#include <QTimer>

namespace {

AccessibleAnnouncement::Listener &listener()
{
    static AccessibleAnnouncement::Listener instance;
    return instance;
}

} // namespace

bool saidWithTheFocus(const QObject *element, const QString &text)
{
    const auto *item = qobject_cast<const QQuickItem *>(element);
    QQuickItem *holder = item ? item->parentItem() : nullptr;
    if (!holder || !holder->hasActiveFocus() || !holder->window() || !holder->window()->isActive())
        return false;
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(holder);
    return face && face->text(QAccessible::Name) == text;
}

void announceForAccessibility(QObject *element, const QString &text)
{
    if (!element || text.isEmpty())
        return;
    QAccessibleEvent event(element, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    // Once the element is in its window, its name settled and the focus
    // placed: the reader asks for the name when the event arrives.
    QTimer::singleShot(0, element, [element, text] {
        if (saidWithTheFocus(element, text))
            return;
        QAccessibleEvent shown(element, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
        if (QAccessible::isActive())
            requestSpokenAnnouncement(text);
    });
    if (listener())
        listener()(element, text);
}

void refocusForAccessibilityOnActivation(QQuickWindow *window)
{
    QObject::connect(window, &QWindow::activeChanged, window, [window] {
        // After the platform's own activation event, which the reader takes first.
        QTimer::singleShot(0, window, [window] {
            if (!window->isActive() || !window->activeFocusItem())
                return;
            QAccessibleEvent focus(window->activeFocusItem(), QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        });
    });
}

QQuickItem *AccessibleAnnouncement::target() const
{
    return m_target;
}

void AccessibleAnnouncement::setTarget(QQuickItem *target)
{
    if (m_target == target)
        return;
    m_target = target;
    emit targetChanged();
}

QString AccessibleAnnouncement::text() const
{
    return m_text;
}

void AccessibleAnnouncement::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    emit textChanged();
    if (m_complete)
        announce();
}

void AccessibleAnnouncement::classBegin() {}

void AccessibleAnnouncement::componentComplete()
{
    m_complete = true;
    announce();
}

void AccessibleAnnouncement::setListener(Listener listener)
{
    ::listener() = std::move(listener);
}

void AccessibleAnnouncement::announce()
{
    announceForAccessibility(m_target, m_text);
}

void AccessibleNaming::setTarget(QQuickItem *target)
{
    m_target = target;
    emit changed();
    apply();
}

void AccessibleNaming::setName(const QString &name)
{
    m_name = name;
    emit changed();
    apply();
}

void AccessibleNaming::componentComplete()
{
    m_complete = true;
    apply();
}

void AccessibleNaming::apply()
{
    if (!m_complete || !m_target)
        return;
    // The attached Accessible by its QML name, resolved in this element's imports.
    QQmlProperty(m_target, QStringLiteral("Accessible.name"), qmlContext(this)).write(m_name);
}
