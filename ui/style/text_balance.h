#pragma once
// Centred text without an orphaned word: the narrowest width, up to the width
// available, at which a text still takes no more lines than it needs there.
// Set at that width, its lines come out about equally long, so a last line
// never holds a single word while the first is full.

#include <QFont>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

qreal balancedTextWidth(const QString &text, const QFont &font, qreal availableWidth);

// For QML: Layout.maximumWidth: TextBalance.width(text, font, available).
class TextBalance : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE qreal width(const QString &text, const QFont &font, qreal availableWidth) const;
};
