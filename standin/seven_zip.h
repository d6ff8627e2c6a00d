#pragma once
// 7-Zip's command-line program, `7zz`, which reads the platform's UDIF disk
// images and the HFS+ and APFS volumes in them. Found on PATH once, run by
// its absolute path with no standard input, its output read line by line so
// that no amount of it is ever held whole.

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <functional>

// Called with each output line (without its line feed), `fromError` for
// standard error. Returning false stops 7zz at once.
using SevenZipLines = std::function<bool(QByteArrayView line, bool fromError)>;

struct SevenZipLimits {
    quint64 largestFile = 0; // no file it writes grows past this (0: no ceiling)
};

struct SevenZipRun {
    bool ran = false;    // false: 7zz is missing or did not start (see problem)
    bool stopped = false; // the line reader stopped it
    int status = -1;     // its exit status; -1 when it ended by a signal
    QByteArray problem;
};

// Runs `7zz <arguments>` in the C.UTF-8 locale. While an attach is guarded,
// a signal to the stand-in ends 7zz first, then the stand-in (attach_guard).
SevenZipRun runSevenZip(const QStringList &arguments, const SevenZipLines &onLine, const SevenZipLimits &limits = {});

// The line that says 7zz is missing and how to install it.
QByteArray sevenZipMissing();
