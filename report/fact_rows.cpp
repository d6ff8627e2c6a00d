#include "report/fact_rows.h"

#include "report/byte_count_text.h"

namespace {
const QString notFound = notFoundText();
} // namespace

QString notFoundText()
{
    return QStringLiteral("Not found");
}

QList<FactRow> packageFacts(const InspectionResult &result, bool withSource)
{
    QList<FactRow> facts{
        {QStringLiteral("Type"), displayWords(result.kind())},
        {QStringLiteral("Name"), result.displayName()},
    };
    if (withSource)
        facts.append({QStringLiteral("Source"), result.url.toLocalFile()});
    facts.append({QStringLiteral("Extension"), pathExtension(result.url).toLower()});
    facts.append({QStringLiteral("Size"), byteCountText(result.byteSize)});
    return facts;
}

QList<FactRow> applicationMetadata(const AppInspection &app)
{
    return {
        {QStringLiteral("Bundle Identifier"), app.bundleIdentifier.value_or(notFound)},
        {QStringLiteral("Version"), app.shortVersion.value_or(notFound)},
        {QStringLiteral("Build"), app.buildVersion.value_or(notFound)},
        {QStringLiteral("Minimum macOS"), app.minimumSystemVersion.value_or(QStringLiteral("Not declared"))},
        {QStringLiteral("Executable"), app.executableName.value_or(notFound)},
    };
}

QList<FactRow> packagedApplicationFacts(const AppInspection &app)
{
    return {
        {QStringLiteral("App"), app.displayName},
        {QStringLiteral("Bundle Identifier"), app.bundleIdentifier.value_or(notFound)},
        {QStringLiteral("Version"), app.shortVersion.value_or(notFound)},
        {QStringLiteral("Build"), app.buildVersion.value_or(notFound)},
    };
}
