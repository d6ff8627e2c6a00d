#include "ui/views/inspection_view.h"

#include "report/verdict.h"
#include "ui/access/accessible_texts.h"
#include "ui/views/forecast_sections.h"
#include "ui/views/host_limits.h"
#include "ui/views/result_sections.h"


namespace {

QString verdictSymbolOf(ReleaseVerdict verdict)
{
    switch (verdict) {
    case ReleaseVerdict::readyToShip: return QStringLiteral("checkmark.seal.fill");
    case ReleaseVerdict::reviewBeforeShipping: return QStringLiteral("exclamationmark.triangle.fill");
    case ReleaseVerdict::doNotShip: return QStringLiteral("xmark.octagon.fill");
    }
    return {};
}

TallyTileView tallyTile(std::int64_t count, const QString &label, StatusHue hue)
{
    return {int(count), label, statusHueColor(hue)};
}

} // namespace

InspectionView::InspectionView(QObject *parent) : QObject(parent), m_sections(new ResultSectionModel(this)) {}

const std::optional<InspectionResult> &InspectionView::result() const
{
    return m_result;
}

void InspectionView::setResult(const std::optional<InspectionResult> &result,
                               const std::optional<ForecastAttempt> &forecast)
{
    m_result = result;
    QList<ResultSectionView> sections = result ? resultSections(*result) : QList<ResultSectionView>{};
    if (result && forecast)
        sections << forecastSections(*forecast);
    m_sections->setSections(sections);
    emit changed();
}

QString InspectionView::verdictTitle() const
{
    return m_result ? ::verdictTitle(releaseVerdict(*m_result)) : QString();
}

QString InspectionView::verdictSummary() const
{
    if (!m_result)
        return {};
    return onlyHostLimitsWarn(*m_result) ? hostLimitSummary() : ::verdictSummary(releaseVerdict(*m_result));
}

QColor InspectionView::verdictColor() const
{
    return m_result ? statusHueColor(::verdictColor(releaseVerdict(*m_result))) : QColor();
}

QString InspectionView::verdictSymbol() const
{
    return m_result ? verdictSymbolOf(releaseVerdict(*m_result)) : QString();
}

QVariantList InspectionView::tallyTiles() const
{
    if (!m_result)
        return {};
    return {QVariant::fromValue(tallyTile(passCount(*m_result), label(CheckStatus::pass), StatusHue::green)),
            QVariant::fromValue(tallyTile(warningCount(*m_result), label(CheckStatus::warning), StatusHue::orange)),
            QVariant::fromValue(tallyTile(failCount(*m_result), label(CheckStatus::fail), StatusHue::red))};
}

QString InspectionView::verdictAccessibleName() const
{
    if (!m_result)
        return {};
    return ::verdictAccessibleName(verdictTitle(), verdictSummary(), int(passCount(*m_result)),
                                   int(warningCount(*m_result)), int(failCount(*m_result)));
}

QString InspectionView::tallyLine() const
{
    if (!m_result)
        return {};
    return QStringLiteral("%1 pass \u2022 %2 warn \u2022 %3 fail")
        .arg(passCount(*m_result))
        .arg(warningCount(*m_result))
        .arg(failCount(*m_result));
}

QString InspectionView::displayName() const
{
    return m_result ? m_result->displayName() : QString();
}

QString InspectionView::kindWords() const
{
    return m_result ? displayWords(m_result->kind()) : QString();
}

QString InspectionView::packageSymbol() const
{
    if (!m_result)
        return {};
    return m_result->kind() == PackageKind::diskImage ? QStringLiteral("externaldrive.fill")
                                                    : QStringLiteral("app.badge.checkmark");
}

QString InspectionView::path() const
{
    return m_result ? m_result->url.toLocalFile() : QString();
}

ResultSectionModel *InspectionView::sections() const
{
    return m_sections;
}
