#include "report/evidence_json.h"

#include "report/forecast_json.h"

#include "engine/property_list.h"
#include "report/app_facts.h"
#include "report/verdict.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QVariantMap>

#include <algorithm>

namespace {

QJsonValue optionalText(const std::optional<QString> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

// A property list value as JSON: data as Base64 text, dates as ISO 8601 in UTC.
QJsonValue plistJson(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        QJsonObject object;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            object.insert(it.key(), plistJson(it.value()));
        return object;
    }
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant &item : value.toList())
            array.append(plistJson(item));
        return array;
    }
    case QMetaType::Bool: return value.toBool();
    case QMetaType::LongLong: return value.toLongLong();
    case QMetaType::Double: return value.toDouble();
    case QMetaType::QByteArray: return QString::fromLatin1(value.toByteArray().toBase64());
    case QMetaType::QDateTime: return value.toDateTime().toUTC().toString(Qt::ISODate);
    default: return value.toString();
    }
}

QJsonObject entitlementsJson(const QString &text)
{
    const std::optional<QVariant> root = text.isEmpty() ? std::nullopt : parsePropertyList(text.toUtf8());
    const bool isDictionary = root && root->typeId() == QMetaType::QVariantMap;
    return {{QStringLiteral("text"), text},
            {QStringLiteral("parsed"), isDictionary ? plistJson(*root) : QJsonValue(QJsonValue::Null)}};
}

// Who decided each check: the platform's tools, the stand-ins reading the
// package's own bytes, answers recorded for a test or demonstration, or
// nobody on this host.
QString decidedBy(const InspectionCheck &check, const EvidenceHost &host)
{
    if (!check.decidedOnHost)
        return QStringLiteral("notOnThisHost");
    if (host.toolsReplayRecordedAnswers)
        return QStringLiteral("recordedAnswers");
    return host.toolsReadPackageBytes ? QStringLiteral("packageBytes") : QStringLiteral("platformTools");
}

QJsonArray checksJson(const QList<InspectionCheck> &checks, const EvidenceHost &host)
{
    QJsonArray array;
    for (const InspectionCheck &check : checks) {
        array.append(QJsonObject{{QStringLiteral("id"), checkId(check.title)},
                                 {QStringLiteral("title"), check.title},
                                 {QStringLiteral("status"), label(check.status)},
                                 {QStringLiteral("detail"), check.detail},
                                 {QStringLiteral("decidedBy"), decidedBy(check, host)}});
    }
    return array;
}

QJsonObject appMetadataJson(const AppFacts &app, bool named)
{
    QJsonObject metadata{{QStringLiteral("bundleIdentifier"), optionalText(app.bundleIdentifier)},
                         {QStringLiteral("shortVersion"), optionalText(app.shortVersion)},
                         {QStringLiteral("buildVersion"), optionalText(app.buildVersion)}};
    if (named) {
        metadata.insert(QStringLiteral("minimumSystemVersion"), optionalText(app.minimumSystemVersion));
        metadata.insert(QStringLiteral("executableName"), optionalText(app.executableName));
    }
    return metadata;
}

QJsonValue packagedAppJson(const InspectionResult &result, const EvidenceHost &host)
{
    const std::optional<AppFacts> app = packagedApp(result);
    if (!app)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("name"), app->displayName},
                       {QStringLiteral("metadata"), appMetadataJson(*app, false)},
                       {QStringLiteral("checks"), checksJson(app->checks, host)},
                       {QStringLiteral("entitlements"), entitlementsJson(app->entitlements)}};
}

QJsonObject packageFacts(const CheckedPackage &package, const EvidenceHost &host)
{
    const InspectionResult &result = package.result;
    const std::optional<AppFacts> app = namedApp(result);
    const ReleaseVerdict verdict = releaseVerdict(result);
    return {{QStringLiteral("path"), package.givenPath},
            {QStringLiteral("resolvedPath"), package.resolvedPath},
            {QStringLiteral("name"), result.displayName()},
            {QStringLiteral("kind"), displayWords(result.kind())},
            {QStringLiteral("byteSize"), qint64(result.byteSize)},
            {QStringLiteral("sha256"), optionalText(package.digest.sha256)},
            {QStringLiteral("sha256Error"), package.digest.sha256 ? QJsonValue(QJsonValue::Null) : package.digest.error},
            {QStringLiteral("verdict"), verdictTitle(verdict)},
            {QStringLiteral("summary"), verdictSummary(verdict)},
            {QStringLiteral("tallies"), QJsonObject{{QStringLiteral("pass"), qint64(passCount(result))},
                                                    {QStringLiteral("warn"), qint64(warningCount(result))},
                                                    {QStringLiteral("fail"), qint64(failCount(result))}}},
            {QStringLiteral("checks"), checksJson(result.checks(), host)},
            {QStringLiteral("metadata"), app ? QJsonValue(appMetadataJson(*app, true)) : QJsonValue::Null},
            {QStringLiteral("entitlements"), app ? QJsonValue(entitlementsJson(app->entitlements)) : QJsonValue::Null},
            {QStringLiteral("packagedApp"), packagedAppJson(result, host)}};
}

QJsonObject packageJson(const CheckedPackage &package, const EvidenceHost &host)
{
    QJsonObject object = packageFacts(package, host);
    if (package.forecast)
        object.insert(QStringLiteral("notaryForecast"), forecastJson(*package.forecast));
    return object;
}

QJsonObject hostJson(const EvidenceHost &host)
{
    QJsonArray tools;
    for (const EvidenceTool &tool : host.tools)
        tools.append(QJsonObject{{QStringLiteral("path"), tool.path}, {QStringLiteral("sha256"), optionalText(tool.sha256)}});
    return {{QStringLiteral("os"), QJsonObject{{QStringLiteral("name"), host.osName},
                                               {QStringLiteral("version"), host.osVersion},
                                               {QStringLiteral("architecture"), host.architecture}}},
            {QStringLiteral("toolRoot"), host.toolRoot},
            {QStringLiteral("tools"), tools}};
}

QJsonValue releaseSetJson(const std::optional<ReleaseSet> &set)
{
    if (!set)
        return QJsonValue::Null;
    QJsonArray apps;
    for (const ReleaseSetApp &app : set->apps) {
        apps.append(QJsonObject{{QStringLiteral("label"), app.label},
                                {QStringLiteral("bundleIdentifier"), optionalText(app.bundleIdentifier)},
                                {QStringLiteral("shortVersion"), optionalText(app.shortVersion)},
                                {QStringLiteral("buildVersion"), optionalText(app.buildVersion)},
                                {QStringLiteral("signingAuthority"), optionalText(app.signingAuthority)}});
    }
    QJsonArray comparisons;
    for (const ReleaseSetComparison &comparison : set->comparisons) {
        comparisons.append(QJsonObject{{QStringLiteral("title"), comparison.title},
                                       {QStringLiteral("status"), label(comparison.agrees ? CheckStatus::pass : CheckStatus::fail)},
                                       {QStringLiteral("detail"), comparison.detail}});
    }
    return QJsonObject{{QStringLiteral("consistent"), set->consistent()},
                       {QStringLiteral("apps"), apps},
                       {QStringLiteral("comparisons"), comparisons}};
}

// The worst verdict of the run; null when no package was inspected.
QJsonValue runVerdict(const QList<CheckedPackage> &packages)
{
    if (packages.isEmpty())
        return QJsonValue::Null;
    ReleaseVerdict worst = ReleaseVerdict::readyToShip;
    for (const CheckedPackage &package : packages)
        worst = std::max(worst, releaseVerdict(package.result));
    return verdictTitle(worst);
}

} // namespace

QString checkId(const QString &title)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z0-9]+"));
    QString id = title.toLower().replace(separators, QStringLiteral("-"));
    while (id.startsWith(QLatin1Char('-')))
        id.remove(0, 1);
    while (id.endsWith(QLatin1Char('-')))
        id.chop(1);
    return id;
}

QJsonObject evidenceJsonObject(const RunEvidence &run)
{
    QJsonArray packages;
    for (const CheckedPackage &package : run.packages)
        packages.append(packageJson(package, run.host));
    QJsonArray skipped;
    for (const SkippedPackage &package : run.skipped)
        skipped.append(QJsonObject{{QStringLiteral("path"), package.path}, {QStringLiteral("reason"), package.reason}});
    return {{QStringLiteral("schemaVersion"), kEvidenceSchemaVersion},
            {QStringLiteral("generator"), QJsonObject{{QStringLiteral("name"), run.generatorName},
                                                      {QStringLiteral("version"), run.generatorVersion},
                                                      {QStringLiteral("build"), run.generatorBuild}}},
            {QStringLiteral("generatedAt"), run.generatedAt.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("exitStatus"), run.exitStatus},
            {QStringLiteral("verdict"), runVerdict(run.packages)},
            {QStringLiteral("host"), hostJson(run.host)},
            {QStringLiteral("packages"), packages},
            {QStringLiteral("skipped"), skipped},
            {QStringLiteral("releaseSet"), releaseSetJson(run.releaseSet)}};
}

QByteArray evidenceJson(const RunEvidence &run)
{
    return QJsonDocument(evidenceJsonObject(run)).toJson(QJsonDocument::Indented);
}
