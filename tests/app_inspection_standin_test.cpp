// The app inspector against fixture bundles whose recorded answers the stand-in tools replay as real processes.

#include "engine/app_inspection.h"

#include <QTest>

static QString fixture(const QString &name)
{
    return QStringLiteral(VERISTAMP_TEST_PACKAGES "/apps/") + name + QStringLiteral(".app");
}

static AppInspection inspectFixture(const QString &name)
{
    return inspectApplication(QUrl::fromLocalFile(fixture(name)), releaseToolsAt(VERISTAMP_TOOL_ROOT));
}

class AppInspectionStandinTest : public QObject {
    Q_OBJECT

private slots:
    // Every fixture app, by the letters of its five checks and one detail that shows the rule.
    void inspectsEveryFixture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("checks");
        QTest::addColumn<QString>("detail"); // "<check index> <detail>"
        QTest::newRow("ready") << "Ready" << "PPPPP" << "1 Developer ID Application: Northwind Software (7Q2XK4M9PL)";
        QTest::newRow("ad-hoc") << "AdHoc" << "PFWPF" << "4 /Applications/AdHoc.app: rejected source=no usable signature";
        QTest::newRow("nothing recorded") << "Unrecorded" << "FWWWF"
            << "0 " VERISTAMP_TEST_PACKAGES "/apps/Unrecorded.app: no signature is recorded for this package on this host";
        QTest::newRow("empty entitlements output") << "ExecutableOnly" << "PPPPP"
                                                   << "3 No signed entitlements were reported.";
        QTest::newRow("indented display") << "IndentedDisplay" << "PWPPP"
            << "1 Veristamp could not find a Developer ID Application signing authority.";
        QTest::newRow("Developer ID second") << "LaterDeveloperID" << "PPPPP" << "1 Developer ID Certification Authority";
        QTest::newRow("runtime only on a later flags line") << "NoRuntimeFirstFlags" << "PPWPP"
            << "2 Veristamp did not find the Hardened Runtime flag in the code signature.";
        QTest::newRow("the inspected path reaches the tools") << "PathEcho" << "PPPPP"
            << "4 " VERISTAMP_TEST_PACKAGES "/apps/PathEcho.app: accepted source=Notarized Developer ID "
               "origin=Developer ID Application: Northwind Software (7Q2XK4M9PL)";
        QTest::newRow("risky entitlements") << "RiskyEntitlements" << "PPPWP" << "3 Review before shipping: "
            "com.apple.security.get-task-allow, com.apple.security.cs.allow-dyld-environment-variables.";
        QTest::newRow("silent Gatekeeper") << "SilentGatekeeper" << "PPPPP" << "4 Gatekeeper accepted the application.";
        QTest::newRow("get-task-allow false") << "TaskAllowFalse" << "PPPPP"
            << "3 No common development or weakened-runtime entitlements were detected.";
        QTest::newRow("RUNTIME in capitals") << "UppercaseRuntime" << "PPPPP"
            << "2 The code signature includes the Hardened Runtime flag.";
        QTest::newRow("broken signature") << "BrokenSignature" << "FPPPF" << "";
        QTest::newRow("development certificate") << "Development" << "PWPPF" << "";
    }
    void inspectsEveryFixture()
    {
        QFETCH(QString, name);
        QFETCH(QString, detail);
        const QList<InspectionCheck> checks = inspectFixture(name).checks;
        QString letters;
        for (const InspectionCheck &check : checks)
            letters += label(check.status).at(0);
        QTEST(letters, "checks");
        if (!detail.isEmpty())
            QCOMPARE(checks.at(detail.left(1).toInt()).detail, detail.mid(2));
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
