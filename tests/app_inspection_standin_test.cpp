// The app inspector end to end: fixture bundles whose recorded tool answers
// the stand-in release tools replay, run as real processes.

#include "engine/app_inspection.h"

#include <QTest>

namespace {

const QString kRuntime = QStringLiteral("PASS The code signature includes the Hardened Runtime flag.");
const QString kNoRisk = QStringLiteral("PASS No common development or weakened-runtime entitlements were detected.");
const QString kNotarized =
    QStringLiteral("source=Notarized Developer ID origin=Developer ID Application: Northwind Software (7Q2XK4M9PL)");

// The checks of a notarized Developer ID app recorded at /Applications/<name>.app, with some replaced.
QStringList readyChecks(const QString &name, const QMap<int, QString> &replaced = {})
{
    QStringList checks{
        "PASS The application passed codesign verification.",
        "PASS Developer ID Application: Northwind Software (7Q2XK4M9PL)",
        kRuntime,
        kNoRisk,
        "PASS /Applications/" + name + ".app: accepted " + kNotarized,
    };
    for (auto it = replaced.begin(); it != replaced.end(); ++it)
        checks[it.key()] = it.value();
    return checks;
}

QString fixture(const QString &name)
{
    return QStringLiteral(VERISTAMP_TEST_PACKAGES "/apps/") + name + QStringLiteral(".app");
}

QString shown(const std::optional<QString> &value)
{
    return value.value_or(QStringLiteral("-"));
}

} // namespace

class AppInspectionStandinTest : public QObject {
    Q_OBJECT

private slots:
    void inspectsFixture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("checks"); // "@APP@" stands for the bundle's path in the build tree

        const auto row = [](const char *name, const QStringList &checks) { QTest::newRow(name) << name << checks; };
        row("Ready", readyChecks("Ready"));
        row("AdHoc", {"PASS The application passed codesign verification.",
                      "FAIL The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.",
                      "WARN Veristamp did not find the Hardened Runtime flag in the code signature.",
                      "PASS No signed entitlements were reported.",
                      "FAIL /Applications/AdHoc.app: rejected source=no usable signature"});
        row("Development", readyChecks("Development", {
            {1, "WARN Signing authority: Apple Development: Jordan Reyes (X4M2B7Q9ZL)"},
            {4, "FAIL /Applications/Development.app: rejected origin=Apple Development: Jordan Reyes (X4M2B7Q9ZL)"}}));
        row("LaterDeveloperID", readyChecks("LaterDeveloperID", {{1, "PASS Developer ID Certification Authority"}}));
        row("RiskyEntitlements", readyChecks("RiskyEntitlements", {
            {3, "WARN Review before shipping: com.apple.security.get-task-allow, "
                "com.apple.security.cs.allow-dyld-environment-variables."}}));
        row("ExecutableOnly", readyChecks("ExecutableOnly", {{3, "PASS No signed entitlements were reported."}}));
        row("SilentGatekeeper", readyChecks("SilentGatekeeper", {{4, "PASS Gatekeeper accepted the application."}}));
        row("UppercaseRuntime", readyChecks("UppercaseRuntime"));
        row("BrokenSignature", readyChecks("BrokenSignature", {
            {0, "FAIL file modified: /Applications/BrokenSignature.app/Contents/Resources/AppIcon.icns "
                "--prepared:/Applications/BrokenSignature.app/Contents/Frameworks/Sparkle.framework/Versions/Current/. "
                "--validated:/Applications/BrokenSignature.app/Contents/Frameworks/Sparkle.framework/Versions/Current/. "
                "/Applications/BrokenSignature.app: a sealed resource is missing or invalid"},
            {4, "FAIL /Applications/BrokenSignature.app: a sealed resource is missing or invalid"}}));
        row("PathEcho", {"PASS The application passed codesign verification.",
                         "PASS Developer ID Application: Northwind Software (7Q2XK4M9PL)", kRuntime, kNoRisk,
                         "PASS @APP@: accepted " + kNotarized});
        row("Unrecorded", {"FAIL @APP@: no signature is recorded for this package on this host",
                           "WARN Veristamp could not find a Developer ID Application signing authority.",
                           "WARN Veristamp did not find the Hardened Runtime flag in the code signature.",
                           "PASS No signed entitlements were reported.",
                           "FAIL @APP@: rejected (no signature is recorded for this package on this host)"});
    }
    void inspectsFixture()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, checks);
        const QString app = fixture(name);
        QVERIFY2(QFileInfo::exists(app), qPrintable(app));

        const auto result = inspectApplication(QUrl::fromLocalFile(app), releaseToolsAt(VERISTAMP_TOOL_ROOT));
        QStringList actual;
        for (const InspectionCheck &check : result.checks)
            actual << label(check.status) + ' ' + check.detail;
        QCOMPARE(actual, checks.replaceInStrings(QStringLiteral("@APP@"), app));
    }

    void readsFixtureMetadata_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("metadata"); // identifier, short, build, minimum, executable; "-" for absent
        QTest::newRow("binary Info.plist")
            << "Ready" << QStringList{"com.northwind.ready", "2.4.1", "241", "12.0", "Ready"};
        QTest::newRow("XML Info.plist")
            << "AdHoc" << QStringList{"com.northwind.adhoc", "2.4.1", "241", "12.0", "AdHoc"};
        QTest::newRow("no Info.plist") << "NoInfoPlist" << QStringList{"-", "-", "-", "-", "-"};
        QTest::newRow("numeric build") << "NumericBuild"
                                       << QStringList{"com.northwind.numericbuild", "2.4.1", "-", "12.0", "NumericBuild"};
    }
    void readsFixtureMetadata()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, metadata);
        const auto result = inspectApplication(QUrl::fromLocalFile(fixture(name)), releaseToolsAt(VERISTAMP_TOOL_ROOT));
        QCOMPARE(result.displayName, name);
        QCOMPARE((QStringList{shown(result.bundleIdentifier), shown(result.shortVersion), shown(result.buildVersion),
                              shown(result.minimumSystemVersion), shown(result.executableName)}),
                 metadata);
    }
};

QTEST_GUILESS_MAIN(AppInspectionStandinTest)
#include "app_inspection_standin_test.moc"
