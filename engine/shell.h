#pragma once
// The one place Veristamp starts an external program: by absolute path, with
// an argument list, no shell and no search path. Output is captured in two
// private temporary files that exist only while the program runs. The runner
// never fails: a program that cannot be started, or capture files that cannot
// be made, come back as exit code -1 with the reason in the standard-error bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>

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

DataResult runData(const QString &executablePath, const QStringList &arguments);
TextResult run(const QString &executablePath, const QStringList &arguments);

// The decoding run() applies: each stream as UTF-8, and a stream that is not
// valid UTF-8 as a whole becomes the empty string.
TextResult decoded(const DataResult &result);

} // namespace Shell
