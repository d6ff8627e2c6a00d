// The app inspector against fixture bundles whose recorded answers the stand-in tools replay as real processes.

#include "engine/app_inspection.h"

#include <QTest>

static QString fixture(const QString &name)
{
    return QStringLiteral(VERISTAMP_TEST_PACKAGES "/apps/") + name + QStringLiteral(".app");
}

static InspectionResult::AppInspection inspectFixture(const QString &name)
{
    return inspectApplication(QUrl::fromLocalFile(fixture(name)), releaseToolsAt(VERISTAMP_TOOL_ROOT));
}

class AppInspectionStandinTest : public QObject {
    Q_OBJECT

private slots:
    void inspectsFixture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("checks"); // "@APP@": the bundle's path in the build tree

        const QString noRuntime = "WARN Veristamp did not find the Hardened Runtime flag in the code signature.";
        const QString noEntitlements = "PASS No signed entitlements were reported.";
        QTest::newRow("Ready") << "Ready" << QStringList{
            "PASS The application passed codesign verification.",
            "PASS Developer ID Application: Northwind Software (7Q2XK4M9PL)",
            "PASS The code signature includes the Hardened Runtime flag.",
            "PASS No common development or weakened-runtime entitlements were detected.",
            "PASS /Applications/Ready.app: accepted source=Notarized Developer ID "
            "origin=Developer ID Application: Northwind Software (7Q2XK4M9PL)"};
        QTest::newRow("AdHoc") << "AdHoc" << QStringList{
            "PASS The application passed codesign verification.",
            "FAIL The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.",
            noRuntime, noEntitlements, "FAIL /Applications/AdHoc.app: rejected source=no usable signature"};
        QTest::newRow("Unrecorded") << "Unrecorded" << QStringList{
            "FAIL @APP@: no signature is recorded for this package on this host",
            "WARN Veristamp could not find a Developer ID Application signing authority.", noRuntime,
            "WARN Signed entitlements were reported but could not be read.",
            "FAIL @APP@: rejected (no signature is recorded for this package on this host)"};
    }
    void inspectsFixture()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, checks);
        QStringList actual;
        for (const InspectionCheck &check : inspectFixture(name).checks)
            actual << label(check.status) + ' ' + check.detail;
        QCOMPARE(actual, checks.replaceInStrings(QStringLiteral("@APP@"), fixture(name)));
    }

    void readsFixtureMetadata_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("metadata"); // identifier, short, build, minimum, executable; "-" for absent
        QTest::newRow("binary Info.plist") << "Ready" << QStringList{"com.northwind.ready", "2.4.1", "241", "12.0",
                                                                    "Ready"};
        QTest::newRow("XML Info.plist") << "AdHoc" << QStringList{"com.northwind.adhoc", "2.4.1", "241", "12.0",
                                                                 "AdHoc"};
        QTest::newRow("no Info.plist") << "NoInfoPlist" << QStringList{"-", "-", "-", "-", "-"};
        QTest::newRow("numeric build")
            << "NumericBuild" << QStringList{"com.northwind.numericbuild", "2.4.1", "-", "12.0", "NumericBuild"};
    }
    void readsFixtureMetadata()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, metadata);
        const auto result = inspectFixture(name);
        const auto shown = [](const std::optional<QString> &value) { return value.value_or(QStringLiteral("-")); };
        QCOMPARE(result.displayName, name);
        QCOMPARE((QStringList{shown(result.bundleIdentifier), shown(result.shortVersion), shown(result.buildVersion),
                              shown(result.minimumSystemVersion), shown(result.executableName)}),
                 metadata);
    }
};

QTEST_GUILESS_MAIN(AppInspectionStandinTest)
#include "app_inspection_standin_test.moc"
