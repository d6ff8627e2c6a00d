#include "report/evidence_json.h"

#include "report/forecast_json.h"
#include "proplist/property_list.h"
#include "report/app_facts.h"
#include "report/json_stream.h"
#include "report/verdict.h"

#include <QBuffer>
#include <QVariantMap>

#include <algorithm>
#include <cstring>

namespace {

using Json = JsonStream;

// A property list value as JSON: data as Base64 text, dates as ISO 8601 in
// UTC. The reader bounds the depth of what it parses, so recursion is bounded too.
void writePlist(Json &json, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QStringList keys = map.keys();
        std::sort(keys.begin(), keys.end(), jsonKeyLess);
        json.beginObject();
        for (const QString &key : keys) {
            json.key(key);
            writePlist(json, map.value(key));
        }
        json.endObject();
        return;
    }
    case QMetaType::QVariantList:
        json.beginArray();
        for (const QVariant &item : value.toList())
            writePlist(json, item);
        json.endArray();
        return;
    case QMetaType::Bool: json.boolean(value.toBool()); return;
    case QMetaType::LongLong: json.integer(value.toLongLong()); return;
    case QMetaType::Double: json.number(value.toDouble()); return;
    case QMetaType::QByteArray: json.string(QString::fromLatin1(value.toByteArray().toBase64())); return;
    case QMetaType::QDateTime: json.string(value.toDateTime().toUTC().toString(Qt::ISODate)); return;
    default: json.string(value.toString()); return;
    }
}

// The members in the order QJsonObject keeps them: by code point, which the
// order of UTF-8 bytes is, and of a repeated key its last value only, as a
// map keeps it.
void writeDictionary(Json &json, FlatDictionary &dictionary)
{
    std::deque<FlatDictionary::Member> &members = dictionary.members();
    const auto keyLess = [](const FlatDictionary::Member &a, const FlatDictionary::Member &b) {
        const qsizetype common = std::min(a.key.size(), b.key.size());
        const int order = common > 0 ? std::memcmp(a.key.data(), b.key.data(), size_t(common)) : 0;
        if (order != 0 || a.key.size() != b.key.size())
            return order != 0 ? order < 0 : a.key.size() < b.key.size();
        return a.order < b.order;
    };
    std::sort(members.begin(), members.end(), keyLess);
    json.beginObject();
    for (auto member = members.cbegin(); member != members.cend(); ++member) {
        const auto next = member + 1;
        if (next != members.cend() && next->key == member->key)
            continue;
        json.key(QString::fromUtf8(member->key));
        writePlist(json, member->value);
    }
    json.endObject();
}

void writeEntitlements(Json &json, const QString &text)
{
    writeObject(json, {{QStringLiteral("text"), [&](Json &j) { j.string(text); }},
                       {QStringLiteral("parsed"), [&](Json &j) {
                            std::optional<FlatDictionary> root =
                                text.isEmpty() ? std::nullopt : parseRootDictionary(text);
                            if (root)
                                writeDictionary(j, *root);
                            else
                                j.null();
                        }}});
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

void writeChecks(Json &json, const QList<InspectionCheck> &checks, const EvidenceHost &host)
{
    json.beginArray();
    for (const InspectionCheck &check : checks) {
        writeObject(json, {{QStringLiteral("id"), [&](Json &j) { j.string(check.id); }},
                           {QStringLiteral("title"), [&](Json &j) { j.string(check.title); }},
                           {QStringLiteral("status"), [&](Json &j) { j.string(label(check.status)); }},
                           {QStringLiteral("detail"), [&](Json &j) { j.string(check.detail); }},
                           {QStringLiteral("decidedBy"), [&](Json &j) { j.string(decidedBy(check, host)); }}});
    }
    json.endArray();
}

void writeAppMetadata(Json &json, const AppInspection &app, bool named)
{
    QList<JsonMember> members{
        {QStringLiteral("bundleIdentifier"), [&](Json &j) { j.optionalString(app.bundleIdentifier); }},
        {QStringLiteral("shortVersion"), [&](Json &j) { j.optionalString(app.shortVersion); }},
        {QStringLiteral("buildVersion"), [&](Json &j) { j.optionalString(app.buildVersion); }}};
    if (named) {
        members.append({QStringLiteral("minimumSystemVersion"), [&](Json &j) { j.optionalString(app.minimumSystemVersion); }});
        members.append({QStringLiteral("executableName"), [&](Json &j) { j.optionalString(app.executableName); }});
    }
    writeObject(json, members);
}

void writePackagedApp(Json &json, const InspectionResult &result, const EvidenceHost &host)
{
    const std::optional<AppInspection> app = packagedApp(result);
    if (!app)
        return json.null();
    writeObject(json, {{QStringLiteral("name"), [&](Json &j) { j.string(app->displayName); }},
                       {QStringLiteral("metadata"), [&](Json &j) { writeAppMetadata(j, *app, false); }},
                       {QStringLiteral("checks"), [&](Json &j) { writeChecks(j, app->checks, host); }},
                       {QStringLiteral("entitlements"), [&](Json &j) { writeEntitlements(j, app->entitlements); }}});
}

void writeTallies(Json &json, const InspectionResult &result)
{
    writeObject(json, {{QStringLiteral("pass"), [&](Json &j) { j.integer(passCount(result)); }},
                       {QStringLiteral("warn"), [&](Json &j) { j.integer(warningCount(result)); }},
                       {QStringLiteral("fail"), [&](Json &j) { j.integer(failCount(result)); }}});
}

void writePackage(Json &json, const CheckedPackage &package, const EvidenceHost &host)
{
    const InspectionResult &result = package.result;
    const std::optional<AppInspection> app = namedApp(result);
    const ReleaseVerdict verdict = releaseVerdict(result);
    const auto text = [](const QString &value) { return [value](Json &j) { j.string(value); }; };
    QList<JsonMember> members{
        {QStringLiteral("path"), text(package.givenPath)},
        {QStringLiteral("resolvedPath"), text(package.resolvedPath)},
        {QStringLiteral("name"), text(result.displayName())},
        {QStringLiteral("kind"), text(kindId(result.kind()))},
        {QStringLiteral("byteSize"), [&](Json &j) { j.integer(result.byteSize); }},
        {QStringLiteral("sha256"), [&](Json &j) { j.optionalString(package.digest.sha256); }},
        {QStringLiteral("sha256Error"),
         [&](Json &j) { package.digest.sha256 ? j.null() : j.string(package.digest.error); }},
        {QStringLiteral("verdict"), text(verdictId(verdict))},
        {QStringLiteral("summary"), text(verdictSummary(verdict))},
        {QStringLiteral("tallies"), [&](Json &j) { writeTallies(j, result); }},
        {QStringLiteral("checks"), [&](Json &j) { writeChecks(j, result.checks(), host); }},
        {QStringLiteral("metadata"), [&](Json &j) { app ? writeAppMetadata(j, *app, true) : j.null(); }},
        {QStringLiteral("entitlements"), [&](Json &j) { app ? writeEntitlements(j, app->entitlements) : j.null(); }},
        {QStringLiteral("packagedApp"), [&](Json &j) { writePackagedApp(j, result, host); }}};
    if (package.forecast)
        members.append({QStringLiteral("notaryForecast"), [&](Json &j) { writeForecast(j, *package.forecast); }});
    writeObject(json, std::move(members));
}

void writeHost(Json &json, const EvidenceHost &host)
{
    const auto os = [&](Json &j) {
        writeObject(j, {{QStringLiteral("name"), [&](Json &k) { k.string(host.osName); }},
                        {QStringLiteral("version"), [&](Json &k) { k.string(host.osVersion); }},
                        {QStringLiteral("architecture"), [&](Json &k) { k.string(host.architecture); }}});
    };
    const auto tools = [&](Json &j) {
        j.beginArray();
        for (const EvidenceTool &tool : host.tools) {
            writeObject(j, {{QStringLiteral("path"), [&](Json &k) { k.string(tool.path); }},
                            {QStringLiteral("sha256"), [&](Json &k) { k.optionalString(tool.sha256); }}});
        }
        j.endArray();
    };
    writeObject(json, {{QStringLiteral("os"), os},
                       {QStringLiteral("toolRoot"), [&](Json &j) { j.string(host.toolRoot); }},
                       {QStringLiteral("tools"), tools}});
}

void writeReleaseSetApp(Json &json, const ReleaseSetApp &app)
{
    writeObject(json, {{QStringLiteral("label"), [&](Json &j) { j.string(app.label); }},
                       {QStringLiteral("bundleIdentifier"), [&](Json &j) { j.optionalString(app.bundleIdentifier); }},
                       {QStringLiteral("shortVersion"), [&](Json &j) { j.optionalString(app.shortVersion); }},
                       {QStringLiteral("buildVersion"), [&](Json &j) { j.optionalString(app.buildVersion); }},
                       {QStringLiteral("signingAuthority"), [&](Json &j) { j.optionalString(app.signingAuthority); }}});
}

void writeReleaseSet(Json &json, const std::optional<ReleaseSet> &set)
{
    if (!set)
        return json.null();
    const auto apps = [&](Json &j) {
        j.beginArray();
        for (const ReleaseSetApp &app : set->apps)
            writeReleaseSetApp(j, app);
        j.endArray();
    };
    const auto comparisons = [&](Json &j) {
        j.beginArray();
        for (const ReleaseSetComparison &comparison : set->comparisons) {
            const QString status = label(comparison.agrees ? CheckStatus::pass : CheckStatus::fail);
            writeObject(j, {{QStringLiteral("title"), [&](Json &k) { k.string(comparison.title); }},
                            {QStringLiteral("status"), [&](Json &k) { k.string(status); }},
                            {QStringLiteral("detail"), [&](Json &k) { k.string(comparison.detail); }}});
        }
        j.endArray();
    };
    writeObject(json, {{QStringLiteral("consistent"), [&](Json &j) { j.boolean(set->consistent()); }},
                       {QStringLiteral("apps"), apps},
                       {QStringLiteral("comparisons"), comparisons}});
}

// The worst verdict of the run; null when no package was inspected.
void writeRunVerdict(Json &json, const QList<CheckedPackage> &packages)
{
    if (packages.isEmpty())
        return json.null();
    ReleaseVerdict worst = ReleaseVerdict::readyToShip;
    for (const CheckedPackage &package : packages)
        worst = std::max(worst, releaseVerdict(package.result));
    json.string(verdictId(worst));
}

void writeRun(Json &json, const RunEvidence &run)
{
    const auto packages = [&](Json &j) {
        j.beginArray();
        for (const CheckedPackage &package : run.packages)
            writePackage(j, package, run.host);
        j.endArray();
    };
    const auto skipped = [&](Json &j) {
        j.beginArray();
        for (const SkippedPackage &package : run.skipped) {
            writeObject(j, {{QStringLiteral("path"), [&](Json &k) { k.string(package.path); }},
                            {QStringLiteral("reason"), [&](Json &k) { k.string(package.reason); }}});
        }
        j.endArray();
    };
    const auto generator = [&](Json &j) {
        writeObject(j, {{QStringLiteral("name"), [&](Json &k) { k.string(run.generatorName); }},
                        {QStringLiteral("version"), [&](Json &k) { k.string(run.generatorVersion); }},
                        {QStringLiteral("build"), [&](Json &k) { k.string(run.generatorBuild); }}});
    };
    writeObject(json, {{QStringLiteral("schemaVersion"), [](Json &j) { j.integer(kEvidenceSchemaVersion); }},
                       {QStringLiteral("generator"), generator},
                       {QStringLiteral("generatedAt"),
                        [&](Json &j) { j.string(run.generatedAt.toUTC().toString(Qt::ISODate)); }},
                       {QStringLiteral("exitStatus"), [&](Json &j) { j.integer(run.exitStatus); }},
                       {QStringLiteral("verdict"), [&](Json &j) { writeRunVerdict(j, run.packages); }},
                       {QStringLiteral("host"), [&](Json &j) { writeHost(j, run.host); }},
                       {QStringLiteral("packages"), packages},
                       {QStringLiteral("skipped"), skipped},
                       {QStringLiteral("releaseSet"), [&](Json &j) { writeReleaseSet(j, run.releaseSet); }}});
}

} // namespace

bool writeEvidenceJson(const RunEvidence &run, QIODevice *device)
{
    JsonStream json(device);
    writeRun(json, run);
    json.flush();
    return json.ok();
}

QByteArray evidenceJson(const RunEvidence &run)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeEvidenceJson(run, &buffer);
    return bytes;
}
