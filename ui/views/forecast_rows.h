#pragma once
// The rows of the notary forecast on the results screen, in the words and
// colours they are drawn with: each issue with its fix, and each piece of
// code with its architectures and signatures.

#include "contract/notary_forecast_records.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

// What a run learnt of the package's code after its checks: the forecast, or
// nothing when the code could not be read (a disk image that did not attach).
struct ForecastAttempt {
    std::optional<NotaryForecast> forecast;
};

// One issue, read by QML as a value (issue.message, issue.fix, ...).
struct ForecastIssueRowView {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString message MEMBER message)
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(QString architecture MEMBER architecture)
    Q_PROPERTY(QString fix MEMBER fix)
    Q_PROPERTY(QString symbol MEMBER symbol)
    Q_PROPERTY(QColor color MEMBER color)
    Q_PROPERTY(QColor badgeFill MEMBER badgeFill)
    Q_PROPERTY(QString badge MEMBER badge)
    Q_PROPERTY(QString accessibleName MEMBER accessibleName)

public:
    QString message;
    QString path;
    QString architecture; // "x86_64", or "All architectures" for the file as a whole
    QString fix;          // "Fix: ..."
    QString symbol;
    QColor color;
    QColor badgeFill;
    QString badge;        // "ERROR" or "WARNING"
    QString accessibleName;
};

// One piece of code, read by QML as a value (code.path, code.signature, ...).
struct NestedCodeRowView {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString path MEMBER path)
    Q_PROPERTY(QString architectures MEMBER architectures)
    Q_PROPERTY(QString signature MEMBER signature)
    Q_PROPERTY(QString accessibleName MEMBER accessibleName)

public:
    QString path;
    QString architectures; // "arm64 · x86_64"
    QString signature;     // one kind for every architecture, else each named
    QString accessibleName;
};

ForecastIssueRowView forecastIssueRow(const ForecastIssue &issue);
NestedCodeRowView nestedCodeRow(const ForecastCode &code);
