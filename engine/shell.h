#pragma once
// The one place Veristamp starts an external program: by absolute path, with
// an argument list, no shell and no search path. Output is captured in two
// private temporary files that exist only while the program runs. The runner
// never fails: a program that cannot be started, or capture files that cannot
// be made, come back as exit code -1 with the reason in the standard-error bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>

namespace Shell {

struct DataResult {
    std::int32_t exitCode = 0;
    QByteArray stdoutData;
    QByteArray stderrData;
};

struct TextResult {
    std::int32_t exitCode = 0;
    QString stdout;
    QString stderr;
};

// With a stop flag, a run whose flag is already raised starts nothing, and
// raising it while the program runs ends the program (SIGTERM, then SIGKILL
// after a grace of two seconds); either way the result is exit code -1 with
// the reason, and the capture files are gone as on every other path. A
// program that still exits by itself keeps its own outcome.
DataResult runData(const QString &executablePath, const QStringList &arguments,
                   const std::atomic<bool> *stop = nullptr);
TextResult run(const QString &executablePath, const QStringList &arguments);

// The decoding run() applies: each stream as UTF-8, and a stream that is not
// valid UTF-8 as a whole becomes the empty string.
TextResult decoded(const DataResult &result);

} // namespace Shell
