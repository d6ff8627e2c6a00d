#pragma once
// What the notary service is expected to say about a package's code, and what
// would pass it but fail at launch: a plain value, so the reader that makes it
// (codesig) and the report that prints it never meet.

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>

struct ForecastIssue {
    QString severity;     // "error" (the notary rejects the upload) or "warning"
    QString path;         // the package's file name, "/", the path inside it
    QString message;      // the notary's own words for its issues; plain words for the others
    QString architecture; // "x86_64", "arm64", ...; empty when the issue is the file's as a whole
    QString fix;          // one line saying what to change
};

// One piece of code the forecast read, named as its issues name it.
struct ForecastCode {
    QString path;
    QStringList architectures; // empty when the file could not be read as Mach-O
    QStringList signatures;    // each architecture's kind: "Developer ID", "ad hoc", "none", ...
};

struct NotaryForecast {
    QList<ForecastIssue> issues;
    QList<ForecastCode> code; // every piece of code read, in path order

    bool accepted() const
    {
        return std::none_of(issues.cbegin(), issues.cend(),
                            [](const ForecastIssue &issue) { return issue.severity == QLatin1String("error"); });
    }
    // The status the notary's log would carry.
    QString status() const { return accepted() ? QStringLiteral("Accepted") : QStringLiteral("Invalid"); }
};
