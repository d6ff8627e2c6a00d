#pragma once
// veristamp-check run as a process by the tests that name it in
// VERISTAMP_CHECK_PROGRAM: its exit status and both streams. The child
// starts with the default action for the signals the tests send, its
// temporary folder as given, and replays the answers recorded in packages
// unless asked not to.

#include <QProcess>

#include <csignal>

struct CheckRun {
    int exitCode = -1; // also when it did not end by itself within two minutes
    QByteArray out, err;
};

inline void prepareCheck(QProcess &process, const QString &temporaryFolder = {}, bool replay = true)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!temporaryFolder.isEmpty())
        environment.insert(QStringLiteral("TMPDIR"), temporaryFolder);
    if (replay)
        environment.insert(QStringLiteral("VERISTAMP_REPLAY_RECORDS"), QStringLiteral("1"));
    else
        environment.remove(QStringLiteral("VERISTAMP_REPLAY_RECORDS"));
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] {
        for (int number : {SIGINT, SIGTERM, SIGHUP})
            std::signal(number, SIG_DFL);
    });
}

inline void startCheck(QProcess &process, const QStringList &arguments, const QString &temporaryFolder = {}, bool replay = true)
{
    prepareCheck(process, temporaryFolder, replay);
    process.start(QStringLiteral(VERISTAMP_CHECK_PROGRAM), arguments);
}

inline CheckRun finished(QProcess &process)
{
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

inline CheckRun check(const QStringList &arguments, const QString &temporaryFolder = {}, bool replay = true)
{
    QProcess process;
    startCheck(process, arguments, temporaryFolder, replay);
    return finished(process);
}
