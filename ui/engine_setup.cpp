#include "ui/engine_setup.h"

#include "ui/symbols.h"

#include <QQmlEngine>
#include <QQuickStyle>

void setUpQuickControlsStyle()
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
}

void setUpEngine(QQmlEngine &engine)
{
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
}

QUrl mainWindowUrl()
{
    return QUrl(QStringLiteral("qrc:/Veristamp/Main.qml"));
}
