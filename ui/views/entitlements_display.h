#pragma once
// The signed entitlements as the results screen sets them. A line may wrap
// only after white space or between two tags ("…</key>" | "<true/>"), never
// inside a tag or a key such as "com.apple.security.app-sandbox". Invisible
// characters steer the text layout's line breaking: a word joiner (U+2060)
// where Unicode's rules would break and these do not, a zero-width space
// (U+200B) between two tags, where Unicode would not. Copying takes them out
// again, so what reaches the clipboard is the signed text.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

QString entitlementsDisplayText(const QString &entitlements);

// A selection of the displayed text as the text it shows: the steering
// characters dropped, the layout's line and paragraph separators as line feeds.
QString entitlementsCopiedText(const QString &selection);

// Keeps the steering characters out of the primary selection too (X11): a
// text selected in this application's windows is put there by the text
// view itself, as displayed; each time it changes it is replaced by its
// copied text. Call once; a no-op where there is no primary selection.
void keepPrimarySelectionPlain();

class EntitlementsClipboard : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    // Puts the selection on the clipboard as text; always true (the key is taken).
    Q_INVOKABLE bool copy(const QString &selection) const;
    // The displayed text as screen readers should read it (entitlementsCopiedText).
    Q_INVOKABLE QString plain(const QString &displayed) const;
};
