#include "report/release_set.h"

#include "report/app_facts.h"
#include "report/fact_rows.h"
#include "report/visible_text.h"

#include <algorithm>
#include <functional>

namespace {

const QString notFound = notFoundText();

using AppValue = std::function<std::optional<QString>(const ReleaseSetApp &)>;

struct ComparedValue {
    QString title;
    AppValue value;
};

const QList<ComparedValue> &comparedValues()
{
    static const QList<ComparedValue> values{
        {QStringLiteral("Bundle Identifier"), [](const ReleaseSetApp &a) { return a.bundleIdentifier; }},
        {QStringLiteral("Version"), [](const ReleaseSetApp &a) { return a.shortVersion; }},
        {QStringLiteral("Build"), [](const ReleaseSetApp &a) { return a.buildVersion; }},
        {QStringLiteral("Signing authority"), [](const ReleaseSetApp &a) { return a.signingAuthority; }},
    };
    return values;
}

std::optional<ReleaseSetApp> setApp(const InspectionResult &result)
{
    const std::optional<AppInspection> app = anyApp(result);
    if (!app)
        return std::nullopt;
    const QString package = lastPathComponent(result.url);
    const QString label =
        result.kind() == PackageKind::diskImage ? app->displayName + QStringLiteral(" in ") + package : package;
    return ReleaseSetApp{label, app->bundleIdentifier, app->shortVersion, app->buildVersion,
                         app->signingAuthority};
}

// Each distinct value (a missing one reads "Not found") with the apps that have it, in order of appearance.
ReleaseSetComparison compare(const ComparedValue &compared, const QList<ReleaseSetApp> &apps)
{
    QStringList values;
    QList<QStringList> holders;
    bool anyMissing = false;
    for (const ReleaseSetApp &app : apps) {
        const std::optional<QString> value = compared.value(app);
        anyMissing = anyMissing || !value;
        const QString shown = value.value_or(notFound);
        qsizetype index = values.indexOf(shown);
        if (index < 0) {
            index = values.size();
            values << shown;
            holders << QStringList();
        }
        holders[index] << app.label;
    }
    if (values.size() == 1 && !anyMissing)
        return {compared.title, true, compared.title + QStringLiteral(": ") + values.first() + QStringLiteral(" in every app")};
    QStringList groups;
    for (qsizetype i = 0; i < values.size(); ++i)
        groups << values.at(i) + QStringLiteral(" (") + holders.at(i).join(QStringLiteral(", ")) + QLatin1Char(')');
    return {compared.title, false, compared.title + QStringLiteral(" does not agree: ") + groups.join(QStringLiteral("; "))};
}

} // namespace

bool ReleaseSet::consistent() const
{
    return std::all_of(comparisons.cbegin(), comparisons.cend(), [](const ReleaseSetComparison &c) { return c.agrees; });
}

ReleaseSet compareReleaseSet(const QList<InspectionResult> &results)
{
    ReleaseSet set;
    for (const InspectionResult &result : results) {
        if (const std::optional<ReleaseSetApp> app = setApp(result))
            set.apps << *app;
    }
    if (set.apps.isEmpty())
        return set;
    for (const ComparedValue &compared : comparedValues())
        set.comparisons << compare(compared, set.apps);
    return set;
}

QStringList releaseSetLines(const ReleaseSet &set)
{
    QStringList lines{QStringLiteral("RELEASE SET"), QStringLiteral("-----------")};
    for (const ReleaseSetApp &app : set.apps) {
        lines << app.label + QStringLiteral(": ") + app.bundleIdentifier.value_or(notFound) + QLatin1Char(' ')
                     + app.shortVersion.value_or(notFound) + QStringLiteral(" (") + app.buildVersion.value_or(notFound)
                     + QStringLiteral("), ") + app.signingAuthority.value_or(notFound);
    }
    if (set.consistent())
        lines << QStringLiteral("consistent");
    for (const ReleaseSetComparison &comparison : set.comparisons) {
        if (!comparison.agrees)
            lines << comparison.detail;
    }
    // Labels and values come from the packages: a line break or a terminal
    // control in one could forge a line of this block.
    for (QString &line : lines)
        line = visibleText(line);
    return lines;
}
