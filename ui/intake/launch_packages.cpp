#include "ui/intake/launch_packages.h"

#include "ui/views/content_view_state.h"
#include "ui/window/engine_setup.h"

#include <QDir>
#include <QQmlApplicationEngine>

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
        QObject *window = openMainWindow(engine);
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
