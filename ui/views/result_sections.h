#pragma once
// The sections of the results screen, decided from one inspection result:
// which sections show, in which order, and every row already in the words
// and colours it is drawn with. Pure functions; the view only lays them out.

#include "engine/inspection_records.h"
#include "report/fact_rows.h"
#include "report/status_hue.h"
#include "ui/views/forecast_rows.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QtQml/qqmlregistration.h>

// A check row read by QML as a value (check.title, check.color, ...).
struct CheckRowView {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(QString title MEMBER title)
    Q_PROPERTY(QString detail MEMBER detail)
    Q_PROPERTY(QString symbol MEMBER symbol)
    Q_PROPERTY(QColor color MEMBER color)
    Q_PROPERTY(QColor badgeFill MEMBER badgeFill)
    Q_PROPERTY(QString badge MEMBER badge)

public:
    QString title;
    QString detail;
    QString symbol;
    QColor color;
    QColor badgeFill;
    QString badge;
};

enum class SectionContent { facts, checks, entitlements, forecast, nestedCode };

struct ResultSectionView {
    QString title;
    SectionContent content;
    QList<FactRow> facts;
    QList<CheckRowView> checks; // a forecast's status comes as its one check row
    QString entitlements;
    QList<ForecastIssueRowView> issues;
    QList<NestedCodeRowView> code;
};

// "Package" first, then by kind: the metadata, the checks and the signed
// entitlements of an application, or the image's checks followed by its
// packaged app. An entitlements section shows for any text that is not
// empty, even one of blanks only.
QList<ResultSectionView> resultSections(const InspectionResult &result);

// The platform's system green, orange or red.
QColor statusHueColor(StatusHue hue);
// The colour with its opacity multiplied by `opacity`.
QColor fadedBy(const QColor &colour, double opacity);

QString checkStatusSymbol(CheckStatus status);
// Green, orange and red for the finished statuses; a pending check is white at 0.7.
QColor checkStatusColor(CheckStatus status);
CheckRowView checkRowView(const InspectionCheck &check);

// The entitlements text as rich text for a read-only text view, every line
// and blank kept, with 3 points between lines, wrapping only where
// entitlementsDisplayText allows. Its plain text, through
// entitlementsCopiedText, is the entitlements text unchanged.
QString entitlementsMarkup(const QString &entitlements);
