#include "ui/launch_packages.h"

#include "ui/content_view_state.h"
#include "ui/engine_setup.h"

#include <QDir>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

QList<QUrl> packagesFromArguments(const QStringList &arguments)
{
    QList<QUrl> packages;
    for (const QString &argument : arguments.mid(1)) {
        if (!argument.isEmpty() && !argument.startsWith(QLatin1Char('-')))
            packages.append(QUrl::fromLocalFile(QDir::cleanPath(QDir::current().absoluteFilePath(argument))));
    }
    return packages;
}

bool openMainWindows(QQmlApplicationEngine &engine, const QList<QUrl> &packages,
                     const std::function<void(ContentViewState &)> &prepare)
{
    const qsizetype windows = std::max<qsizetype>(1, packages.size());
    for (qsizetype index = 0; index < windows; ++index) {
        const qsizetype before = engine.rootObjects().size();
        engine.load(mainWindowUrl());
        if (engine.rootObjects().size() == before)
            return false;
        auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constLast());
        auto *state = window ? window->findChild<ContentViewState *>() : nullptr;
        if (!state)
            return false;
        if (index < packages.size()) {
            if (prepare)
                prepare(*state);
            state->beginInspection(packages[index]);
        }
    }
    return true;
}
