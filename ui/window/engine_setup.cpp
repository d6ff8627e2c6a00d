#include "ui/window/engine_setup.h"

#include "ui/style/symbols.h"
#include "ui/views/entitlements_display.h"

#include <QQmlApplicationEngine>
#include <QQuickStyle>

void setUpQuickControlsStyle()
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
}

void setUpEngine(QQmlEngine &engine)
{
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    static const bool plainSelection = [] {
        keepPrimarySelectionPlain();
        return true;
    }();
    Q_UNUSED(plainSelection);
}

QUrl mainWindowUrl()
{
    return QUrl(QStringLiteral("qrc:/Veristamp/Main.qml"));
}

QObject *openMainWindow(QQmlApplicationEngine &engine)
{
    const qsizetype before = engine.rootObjects().size();
    engine.load(mainWindowUrl());
    const QList<QObject *> windows = engine.rootObjects();
    return windows.size() > before ? windows.last() : nullptr;
}
