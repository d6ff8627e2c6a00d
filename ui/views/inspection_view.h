#pragma once
// The held inspection result in the form the results screen binds to. Every
// word, count, symbol and colour shown there is decided here (through the
// report's verdict and tallies, so screen and report agree), never in QML.
// The window state sets the result; everything else is derived from it and
// announced by the one signal `changed`.

#include "engine/inspection_records.h"
#include "ui/views/forecast_rows.h"
#include "ui/views/result_section_model.h"

#include <QColor>
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

// One of the verdict's tiles, read by QML as a value (tile.count, ...). Each
// tile keeps its own colour whatever the verdict or count.
struct TallyTileView {
    Q_GADGET
    QML_ANONYMOUS
    Q_PROPERTY(int count MEMBER count)
    Q_PROPERTY(QString label MEMBER label)
    Q_PROPERTY(QColor color MEMBER colour)

public:
    int count;
    QString label; // "PASS", "WARN" or "FAIL"
    QColor colour;
};

class InspectionView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Each ContentViewState owns its inspection view.")

    Q_PROPERTY(QString verdictTitle READ verdictTitle NOTIFY changed)
    Q_PROPERTY(QString verdictSummary READ verdictSummary NOTIFY changed)
    Q_PROPERTY(QColor verdictColor READ verdictColor NOTIFY changed)
    Q_PROPERTY(QString verdictSymbol READ verdictSymbol NOTIFY changed)
    // The pass, warning and fail TallyTileViews in that order.
    Q_PROPERTY(QVariantList tallyTiles READ tallyTiles NOTIFY changed)
    // The banner as screen readers read it, its tallies included.
    Q_PROPERTY(QString verdictAccessibleName READ verdictAccessibleName NOTIFY changed)
    // "N pass • N warn • N fail".
    Q_PROPERTY(QString tallyLine READ tallyLine NOTIFY changed)
    Q_PROPERTY(QString displayName READ displayName NOTIFY changed)
    Q_PROPERTY(QString kindWords READ kindWords NOTIFY changed)
    Q_PROPERTY(QString packageSymbol READ packageSymbol NOTIFY changed)
    Q_PROPERTY(QString path READ path NOTIFY changed)
    Q_PROPERTY(ResultSectionModel *sections READ sections CONSTANT)

public:
    explicit InspectionView(QObject *parent = nullptr);

    const std::optional<InspectionResult> &result() const;
    // A forecast attempt adds its sections after the result's own.
    void setResult(const std::optional<InspectionResult> &result,
                   const std::optional<ForecastAttempt> &forecast = std::nullopt);

    QString verdictTitle() const;
    QString verdictSummary() const;
    QColor verdictColor() const;
    QString verdictSymbol() const;
    QVariantList tallyTiles() const;
    QString verdictAccessibleName() const;
    QString tallyLine() const;
    QString displayName() const;
    QString kindWords() const;
    QString packageSymbol() const;
    QString path() const;
    ResultSectionModel *sections() const;

signals:
    void changed();

private:
    std::optional<InspectionResult> m_result;
    ResultSectionModel *m_sections;
};
