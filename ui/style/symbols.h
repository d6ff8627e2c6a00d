#pragma once
// The symbols the screens name (checkmark.seal.fill, circle, ...) and the icon
// each one is drawn with: one table over the Bootstrap Icons files shipped in
// ui/icons, and Veristamp's own app-badge-checkmark (an app with a checked
// badge, where Bootstrap has only a notification dot). Icons are rendered from their vector source at the pixel size a
// screen asks for and tinted with one colour, so they stay crisp at any
// device pixel ratio. The image provider serves them to QML as
// "image://symbol/<name>?color=<aarrggbb>".

#include <QColor>
#include <QImage>
#include <QObject>
#include <QQuickImageProvider>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

// Every symbol name the screens use, in table order.
QStringList symbolNames();

// The resource path of a symbol's icon; nothing for a name outside the table.
std::optional<QString> symbolIconPath(const QString &symbolName);

// The icon drawn centred into a transparent image of pixelSize and painted over
// with colour, its alpha included. A null image for a name outside the table.
QImage renderSymbol(const QString &symbolName, QSize pixelSize, const QColor &colour);

// "image://symbol/<name>?color=<aarrggbb>".
QUrl symbolImageSource(const QString &symbolName, const QColor &colour);

class SymbolImageProvider : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};

// The image source of a symbol, for SymbolIcon.qml.
class Symbols : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;
    Q_INVOKABLE QUrl source(const QString &symbolName, const QColor &colour) const;
};
