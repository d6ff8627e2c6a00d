#pragma once
// The one place Veristamp starts an external program: by absolute path, with
// an argument list, no shell and no search path. Output is captured in two
// private temporary files that exist only while the program runs; standard
// input is /dev/null, so a program that asks a question gets no answer rather
// than waiting on a terminal. The runner never fails: how the run ended is its
// outcome, and every end that is no exit of the program (could not start, no
// capture files, ended by a signal, stopped) has its reason in the
// standard-error bytes.

#include "engine/run_outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>

namespace Program {

struct DataResult {
    Outcome outcome;
    QByteArray standardOutput;
    QByteArray standardError;
};

struct TextResult {
    Outcome outcome;
    QString standardOutput;
    QString standardError;
};

// With a stop flag, a run whose flag is already raised starts nothing, and
// raising it while the program runs ends the program (SIGTERM, then SIGKILL
// after a grace of two seconds); either way the outcome is stopped, with the
// reason, and the capture files are gone as on every other path. A program
// that still exits by itself keeps its own outcome.
DataResult runData(const QString &executablePath, const QStringList &arguments,
                   const std::atomic<bool> *stop = nullptr);
TextResult run(const QString &executablePath, const QStringList &arguments);

// The decoding run() applies: each stream as UTF-8, and a stream that is not
// valid UTF-8 as a whole becomes the empty string.
TextResult decoded(const DataResult &result);

} // namespace Program
