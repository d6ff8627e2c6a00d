#pragma once
// Saving report files into a folder that other runs, other programs and other
// instances of Veristamp may be writing to at the same moment. Nothing
// already at a name is replaced or written through, whatever it is (a file,
// a folder, a symbolic link): the next free name ("-2", "-3", ...) is taken
// by creating the file exclusively, which holds across processes, and the
// bytes then reach it atomically, so the name holds either nothing yet or
// the whole report. Any format goes through here: the caller gives the
// extension and the bytes.

#include <QByteArray>
#include <QString>

// A report's file name before its number and extension.
struct ReportFileStem {
    QString subject; // the package's part: shortened when the whole name is too long for the file system
    QString tag;     // "-Veristamp-2024-03-09-1405": always kept whole
};

struct FolderSave {
    QString path;    // the file written, when it was
    QString failure; // else the reason, a sentence for the user
    bool saved() const { return failure.isEmpty(); }
};

// `extension` with its dot (".txt").
FolderSave saveIntoFolder(const QString &folder, const ReportFileStem &stem, const QString &extension,
                          const QByteArray &bytes);

// The name a report takes in the numbered sequence (1: no number), its
// subject shortened until the name's UTF-8 form fits in `maxBytes`; empty
// when even the tag, number and extension alone do not fit.
QString numberedReportFileName(const ReportFileStem &stem, int number, const QString &extension, qsizetype maxBytes);

// Whether `path` is the package at `package` or lies anywhere inside it,
// however it is spelt: links are resolved and folders compared by identity,
// so a name differing only in case is the same folder exactly where the file
// system says it is. A report written there would change the package (and
// break a bundle's sealed resources). False when the package is gone.
bool liesWithinPackage(const QString &path, const QString &package);

// The folder a save panel should open in: `documents` when it is a folder
// outside the package, else the folder holding the package.
QString proposedReportFolder(const QString &documents, const QString &package);
