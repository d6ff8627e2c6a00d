#pragma once
// Recorded responses of the real tools, replayed byte for byte. A record of
// call X is up to three files, X.status, X.stdout and X.stderr, kept in an app
// bundle's Contents/_ReleaseToolRecords/ or a stand-in image's member
// _ReleaseToolRecords/. A call has a record when any one of them exists.

#include "outcome.h"
#include "tool_calls.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Record files by file name ("C1.status", "C1.stdout", ...).
using RecordFiles = QHash<QString, QByteArray>;

struct Record {
    std::optional<QByteArray> status;
    std::optional<QByteArray> out;
    std::optional<QByteArray> err;
};

// The record files a package carries: those of a bundle folder, or of a
// stand-in image file; none for anything else, and none at all unless replay
// was asked for (recordedAnswersRequested): without it a package's records
// are ignored and its bytes are read.
RecordFiles recordFilesOf(const QString &packagePath);

std::optional<Record> recordOf(const RecordFiles &files, CallId id);

// Every occurrence of each token replaced, in one pass, so that a replacement
// that happens to contain a token is left alone.
using Substitutions = QList<QPair<QByteArray, QByteArray>>;
QByteArray substituted(const QByteArray &bytes, const Substitutions &substitutions);

// The record played back: its status (0 when X.status is absent) and its
// streams with the substitutions made. A status file that holds no exit
// status from 0 to 255 is a fault of the record and answers so, with status 1.
Outcome replay(const Record &record, const QString &recordName, const Substitutions &substitutions);
