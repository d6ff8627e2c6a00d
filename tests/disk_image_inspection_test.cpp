// The disk image inspector against scripted release tools: every call is
// logged, the attach reports a real temporary folder as the volume, and the
// script keeps track of whether the image is still attached.

#include "engine/byte_size.h"
#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {

Shell::DataResult answer(int exitCode, const QByteArray &out = {}, const QByteArray &err = {})
{
    return Shell::DataResult{exitCode, out, err};
}

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>system-entities</key>\n\t<array>\n"
           "\t\t<dict><key>content-hint</key><string>Apple_partition_scheme</string>"
           "<key>dev-entry</key><string>/dev/disk4</string></dict>\n"
           + entities + "\t</array>\n</dict>\n</plist>\n";
}

const QByteArray mountedVolume = "\t\t<dict><key>dev-entry</key><string>/dev/disk4s1</string>"
                                 "<key>mount-point</key><string>@MOUNT@</string></dict>\n";

const QByteArray entitlementsPlist = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n"
                                     "<dict><key>com.apple.security.app-sandbox</key><true/></dict>\n</plist>";

// A signed, notarized image holding one clean app; a scenario changes what it names.
// "C2" is the display of the image, "C2 app" that of the app on the volume.
QHash<QString, Shell::DataResult> cleanAnswers()
{
    return {
        {"H1", answer(0, "hdiutil: verify: checksum of image is VALID\n")},
        {"C2", answer(0, {},
                      "Format=disk image\nAuthority=Developer ID Application: Example Corp (A1B2C3D4E5)\n"
                      "Authority=Developer ID Certification Authority\nAuthority=Apple Root CA\n")},
        {"X1", answer(0, "Processing: image\nThe validate action worked!\n")},
        {"S2", answer(0, {}, "accepted\nsource=Notarized Developer ID\n")},
        {"H2", answer(0, attachPlist(mountedVolume))},
        {"C1", answer(0, {}, "valid on disk\nsatisfies its Designated Requirement\n")},
        {"C2 app", answer(0, {},
                          "Format=app bundle with Mach-O thin (arm64)\n"
                          "CodeDirectory v=20500 size=1 flags=0x10000(runtime) hashes=1+7 location=embedded\n"
                          "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\n")},
        {"C3", answer(0, "Executable=Example\n" + entitlementsPlist + "\n")},
        {"S1", answer(0, {}, "accepted\nsource=Notarized Developer ID\n")},
        {"H3", answer(0, "\"disk4\" ejected.\n")},
    };
}

QString callName(const ToolCall &call)
{
    const QString tool = call.executable.section(QLatin1Char('/'), -1);
    const QString first = call.arguments.value(0);
    if (tool == QLatin1String("hdiutil"))
        return first == QLatin1String("verify") ? "H1" : first == QLatin1String("attach") ? "H2" : "H3";
    if (tool == QLatin1String("xcrun"))
        return "X1";
    if (tool == QLatin1String("spctl"))
        return call.arguments.contains(QLatin1String("execute")) ? "S1" : "S2";
    if (first == QLatin1String("--verify"))
        return "C1";
    if (first == QLatin1String("-d"))
        return "C3";
    return call.arguments.last().endsWith(QLatin1String(".dmg")) ? "C2" : "C2 app";
}

struct ExpectedCheck {
    QString title;
    CheckStatus status;
    QString detail;
};

struct Scenario {
    QString name;
    QHash<QString, Shell::DataResult> changes; // answers that differ from cleanAnswers()
    QStringList volume;                        // entries on the volume; a trailing slash makes a folder
    QList<ExpectedCheck> checks;
    QList<LiveStageStatus> stages;
    std::optional<QString> embeddedApp;
    bool staysAttached;
};

using S = LiveStageStatus;
using C = CheckStatus;

const QList<ExpectedCheck> cleanImageChecks{
    {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
    {"DMG signature", C::pass, "Developer ID Application: Example Corp (A1B2C3D4E5)"},
    {"Stapled notarization ticket", C::pass, "Processing: image The validate action worked!"},
    {"Gatekeeper assessment", C::pass, "accepted source=Notarized Developer ID"},
};
const ExpectedCheck exampleFound{"Packaged application", C::pass, "Example.app was found inside the DMG."};
const QList<S> allPass{S::pass, S::pass, S::pass, S::pass, S::pass, S::pass};

// The image's four checks are those of a clean image unless a scenario names them.
Scenario makeScenario(const QString &name, const QHash<QString, Shell::DataResult> &changes, const QStringList &volume,
                      const QList<ExpectedCheck> &checks, const QList<LiveStageStatus> &stages,
                      const std::optional<QString> &embeddedApp, bool staysAttached = false,
                      const QList<ExpectedCheck> &imageChecks = cleanImageChecks)
{
    return Scenario{name, changes, volume, imageChecks + checks, stages, embeddedApp, staysAttached};
}

QList<Scenario> scenarios()
{
    const QString notMounted = QStringLiteral("The DMG mounted, but ");
    const ExpectedCheck busy{"Disk image cleanup", C::warning, "hdiutil: couldn't unmount \"disk4\" - Resource busy"};
    return {
        makeScenario("signed, notarized, one clean app", {}, {"Example.app/"}, {exampleFound}, allPass, "Example"),
        makeScenario("unsigned image",
         {{"C2", answer(1, {}, "image: code object is not signed at all\n")}},
         {"Example.app/"},
         {exampleFound},
         {S::pass, S::warning, S::pass, S::pass, S::pass, S::pass},
         "Example",
         false,
         {cleanImageChecks[0],
          {"DMG signature", C::warning, "Veristamp did not find a Developer ID Application signature on the DMG."},
          cleanImageChecks[2], cleanImageChecks[3]}),
        makeScenario("Developer ID without an authority line",
         {{"C2", answer(0, {}, "Format=disk image\nSigned by Developer ID Application: Example Corp\n"
                               "  Authority=Apple Root CA\n")}},
         {"Example.app/"},
         {exampleFound},
         allPass,
         "Example",
         false,
         {cleanImageChecks[0], {"DMG signature", C::pass, "Developer ID signature detected."}, cleanImageChecks[2],
          cleanImageChecks[3]}),
        makeScenario("image tools fail silently",
         {{"H1", answer(1)}, {"C2", answer(1)}, {"X1", answer(65)}, {"S2", answer(3)}},
         {"Example.app/"},
         {exampleFound},
         {S::fail, S::warning, S::fail, S::fail, S::pass, S::pass},
         "Example",
         false,
         {{"Disk image integrity", C::fail, "The DMG failed hdiutil verification."},
          {"DMG signature", C::warning, "Veristamp did not find a Developer ID Application signature on the DMG."},
          {"Stapled notarization ticket", C::fail, "Veristamp could not validate a stapled notarization ticket."},
          {"Gatekeeper assessment", C::fail, "Gatekeeper did not accept the disk image."}}),
        makeScenario("image tools fail in their own words",
         {{"H1", answer(1, "Checksumming\n", "hdiutil: verify failed - corrupt image\n")},
          {"X1", answer(65, "Processing: image\n", "image does not have a ticket stapled to it.\n")},
          {"S2", answer(3, {}, "rejected\r\nsource=Unnotarized Developer ID\r\n")}},
         {"Example.app/"},
         {exampleFound},
         {S::fail, S::pass, S::fail, S::fail, S::pass, S::pass},
         "Example",
         false,
         {{"Disk image integrity", C::fail, "Checksumming hdiutil: verify failed - corrupt image"},
          cleanImageChecks[1],
          {"Stapled notarization ticket", C::fail, "Processing: image image does not have a ticket stapled to it."},
          {"Gatekeeper assessment", C::fail, "rejected source=Unnotarized Developer ID"}}),
        makeScenario("image tools pass silently",
         {{"X1", answer(0)}, {"S2", answer(0)}},
         {"Example.app/"},
         {exampleFound},
         allPass,
         "Example",
         false,
         {cleanImageChecks[0], cleanImageChecks[1],
          {"Stapled notarization ticket", C::pass, "A valid stapled notarization ticket was found."},
          {"Gatekeeper assessment", C::pass, "Gatekeeper accepted the disk image."}}),
        makeScenario("image that cannot be attached",
         {{"H2", answer(1, {}, "hdiutil: attach failed - image not recognized\n")}},
         {"Example.app/"},
         {{"Mount disk image", C::fail, "hdiutil: attach failed - image not recognized"}},
         {S::pass, S::pass, S::pass, S::pass, S::fail, S::fail},
         std::nullopt),
        makeScenario("attached, output unreadable",
         {{"H2", answer(0, "/dev/disk4\tApple_HFS\t/Volumes/Example\n")}},
         {"Example.app/"},
         {{"Mount disk image", C::fail, notMounted + "Veristamp could not read its mount information."}},
         {S::pass, S::pass, S::pass, S::pass, S::fail, S::fail},
         std::nullopt,
         true),
        makeScenario("attached, no mount point",
         {{"H2", answer(0, attachPlist(""))}},
         {"Example.app/"},
         {{"Mount disk image", C::fail, notMounted + "no mounted volume path was reported."}},
         {S::pass, S::pass, S::pass, S::pass, S::fail, S::fail},
         std::nullopt,
         true),
        makeScenario("licence before the attach plist",
         {{"H2", answer(0, "Licence Agreement\n\xa9 Example \x93" "Corp\x94\n" + attachPlist(mountedVolume))}},
         {"Example.app/"},
         {exampleFound},
         allPass,
         "Example"),
        makeScenario("documents only",
         {},
         {"Documents/", "Read Me.pdf"},
         {{"Packaged application", C::fail, "No .app bundle was found at the top level of the mounted DMG."}},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::fail},
         std::nullopt),
        makeScenario("apps beginning with B and a",
         {},
         {"Beta.app/", "alpha.app/"},
         {{"Packaged application", C::warning, "Multiple app bundles were found. Veristamp inspected alpha.app."}},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::warning},
         "alpha"),
        makeScenario("numbered apps and a hidden one",
         {},
         {"Tool 10.app/", "Tool 9.app/", ".Hidden.app/"},
         {{"Packaged application", C::warning, "Multiple app bundles were found. Veristamp inspected Tool 9.app."}},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::warning},
         "Tool 9"),
        makeScenario("app with a capital extension",
         {},
         {"Setup.APP/"},
         {{"Packaged application", C::pass, "Setup.APP was found inside the DMG."}},
         allPass,
         "Setup"),
        makeScenario("embedded app without Hardened Runtime",
         {{"C2 app", answer(0, {}, "flags=0x0(none)\nAuthority=Developer ID Application: Example Corp\n")}},
         {"Example.app/"},
         {exampleFound},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::warning},
         "Example"),
        makeScenario("embedded app rejected by Gatekeeper",
         {{"S1", answer(3, {}, "rejected\nsource=Unnotarized Developer ID\n")}},
         {"Example.app/"},
         {exampleFound},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::fail},
         "Example"),
        makeScenario("detach fails",
         {{"H3", answer(16, {}, "hdiutil: couldn't unmount \"disk4\" - Resource busy\n")}},
         {"Example.app/"},
         {exampleFound, busy},
         allPass,
         "Example",
         true),
        makeScenario("detach fails silently",
         {{"H3", answer(1)}},
         {"Documents/"},
         {{"Packaged application", C::fail, "No .app bundle was found at the top level of the mounted DMG."},
          {"Disk image cleanup", C::warning, "The mounted DMG could not be detached automatically."}},
         {S::pass, S::pass, S::pass, S::pass, S::pass, S::fail},
         std::nullopt,
         true),
    };
}

Scenario scenarioNamed(const QString &name)
{
    for (const Scenario &scenario : scenarios()) {
        if (scenario.name == name)
            return scenario;
    }
    qFatal("no scenario %s", qPrintable(name));
}

// One inspection of a real image file whose volume is a real folder (its
// name has a space, so the detach argument shows whether it stays whole).
class ScriptedRun {
public:
    explicit ScriptedRun(const Scenario &scenario) : m_answers(cleanAnswers())
    {
        for (auto it = scenario.changes.begin(); it != scenario.changes.end(); ++it)
            m_answers[it.key()] = it.value();
        QFile file(imagePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(4096, 'x'));
        const QDir workspace(m_workspace.path());
        workspace.mkdir(QStringLiteral("Example Volume"));
        for (const QString &entry : scenario.volume) {
            if (entry.endsWith(QLatin1Char('/')))
                QDir(volumePath()).mkpath(entry);
            else
                QFile(volumePath() + QLatin1Char('/') + entry).open(QIODevice::WriteOnly);
        }
    }

    QString imagePath() const { return m_workspace.filePath(QStringLiteral("Example 1.0.dmg")); }
    QString volumePath() const { return m_workspace.filePath(QStringLiteral("Example Volume")); }
    QUrl image() const { return QUrl::fromLocalFile(imagePath()); }

    InspectionResult inspect()
    {
        const ReleaseTools tools{[this](const ToolCall &call) { return run(call); }};
        return inspectDiskImage(image(), tools, [this](int stage, LiveStageStatus status) {
            stages << std::make_pair(stage, status);
            callsAtStage << calls.size();
        });
    }

    QList<ToolCall> calls;
    QList<std::pair<int, LiveStageStatus>> stages;
    QList<qsizetype> callsAtStage;
    int attaches = 0;
    int detaches = 0;
    bool attached = false;
    QStringList strayDetaches; // detach arguments that named no attached volume

private:
    Shell::DataResult run(const ToolCall &call)
    {
        calls << call;
        const QString name = callName(call);
        Shell::DataResult result = m_answers.value(name);
        result.stdoutData.replace("@MOUNT@", volumePath().toUtf8());
        if (name == QLatin1String("H2") && result.exitCode == 0) {
            ++attaches;
            attached = true;
        }
        if (name == QLatin1String("H3")) {
            ++detaches;
            if (!attached || call.arguments.value(1) != volumePath())
                strayDetaches << call.arguments.value(1);
            else if (result.exitCode == 0)
                attached = false;
        }
        return result;
    }

    QTemporaryDir m_workspace;
    QHash<QString, Shell::DataResult> m_answers;
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class DiskImageInspectionTest : public QObject {
    Q_OBJECT

private slots:
    void checksAndStages_data();
    void checksAndStages();
    void noVolumeLeftBehind();
    void callsFollowTheContract();
    void stagesAreReportedBeforeTheNextCall_data();
    void stagesAreReportedBeforeTheNextCall();
    void resultCarriesTheImageAndItsApp();
};

void DiskImageInspectionTest::checksAndStages_data()
{
    QTest::addColumn<Scenario>("scenario");
    for (const Scenario &scenario : scenarios())
        QTest::newRow(qPrintable(scenario.name)) << scenario;
}

void DiskImageInspectionTest::checksAndStages()
{
    QFETCH(Scenario, scenario);
    ScriptedRun run(scenario);
    const InspectionResult result = run.inspect();

    const QList<ExpectedCheck> &expected = scenario.checks;
    QCOMPARE(result.checks.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(result.checks[i].title, expected[i].title);
        QCOMPARE(result.checks[i].detail, expected[i].detail);
        QCOMPARE(result.checks[i].status, expected[i].status);
    }

    QCOMPARE(run.stages.size(), 6);
    for (int stage = 0; stage < 6; ++stage) {
        QCOMPARE(run.stages[stage].first, stage);
        QCOMPARE(run.stages[stage].second, scenario.stages[stage]);
    }

    QCOMPARE(result.embeddedApp.has_value(), scenario.embeddedApp.has_value());
    if (scenario.embeddedApp)
        QCOMPARE(result.embeddedApp->displayName, *scenario.embeddedApp);
}

// Over every scenario: each image attached is detached once, by the mount
// point its attach reported, except where the image is meant to stay attached
// (no readable mount point, or a detach that failed).
void DiskImageInspectionTest::noVolumeLeftBehind()
{
    int attaches = 0;
    int detaches = 0;
    QStringList leftAttached;
    QStringList expectedLeftAttached;
    for (const Scenario &scenario : scenarios()) {
        ScriptedRun run(scenario);
        run.inspect();
        QVERIFY2(run.attaches <= 1 && run.detaches <= run.attaches, qPrintable(scenario.name));
        QVERIFY2(run.strayDetaches.isEmpty(), qPrintable(scenario.name));
        attaches += run.attaches;
        detaches += run.detaches;
        if (run.attached)
            leftAttached << scenario.name;
        if (scenario.staysAttached)
            expectedLeftAttached << scenario.name;
    }
    QCOMPARE(leftAttached, expectedLeftAttached);
    QCOMPARE(attaches, scenarios().size() - 1); // one image cannot be attached
    QCOMPARE(detaches, attaches - 2); // two report no readable mount point
}

void DiskImageInspectionTest::callsFollowTheContract()
{
    ScriptedRun run(scenarioNamed("signed, notarized, one clean app"));
    run.inspect();

    const QString image = run.imagePath();
    const QString app = run.volumePath() + QStringLiteral("/Example.app");
    const QList<ToolCall> expected{
        imageVerificationCall(image), signatureDisplayCall(image), ticketValidationCall(image),
        diskImageAssessmentCall(image), attachCall(image), signatureVerificationCall(app),
        signatureDisplayCall(app), entitlementsCall(app), appAssessmentCall(app),
        detachCall(run.volumePath()),
    };
    QCOMPARE(run.calls.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(run.calls[i].executable, expected[i].executable);
        QCOMPARE(run.calls[i].arguments, expected[i].arguments);
    }
}

void DiskImageInspectionTest::stagesAreReportedBeforeTheNextCall_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QList<qsizetype>>("callsAtStage");
    QTest::addColumn<qsizetype>("totalCalls");

    // Stage 5 comes after the four app calls and before the detach.
    QTest::newRow("one app") << "signed, notarized, one clean app" << QList<qsizetype>{1, 2, 3, 4, 5, 9} << qsizetype(10);
    QTest::newRow("no app") << "documents only" << QList<qsizetype>{1, 2, 3, 4, 5, 5} << qsizetype(6);
    QTest::newRow("not attached") << "image that cannot be attached" << QList<qsizetype>{1, 2, 3, 4, 5, 5}
                                  << qsizetype(5);
}

void DiskImageInspectionTest::stagesAreReportedBeforeTheNextCall()
{
    QFETCH(QString, scenario);
    QFETCH(QList<qsizetype>, callsAtStage);
    QFETCH(qsizetype, totalCalls);

    ScriptedRun run(scenarioNamed(scenario));
    run.inspect();
    QCOMPARE(run.callsAtStage, callsAtStage);
    QCOMPARE(run.calls.size(), totalCalls);
}

void DiskImageInspectionTest::resultCarriesTheImageAndItsApp()
{
    ScriptedRun run(scenarioNamed("embedded app without Hardened Runtime"));
    QFile info(run.volumePath() + QStringLiteral("/Example.app/Contents/Info.plist"));
    QVERIFY(QDir(run.volumePath()).mkpath(QStringLiteral("Example.app/Contents")));
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>CFBundleIdentifier</key><string>com.example.tool</string>"
               "<key>CFBundleShortVersionString</key><string>2.1</string>"
               "<key>CFBundleVersion</key><string>210</string>"
               "<key>LSMinimumSystemVersion</key><string>13.0</string>"
               "<key>CFBundleExecutable</key><string>Example</string></dict></plist>\n");
    info.close();

    // No progress callback: the same result, nothing reported.
    const ReleaseTools tools{[&run](const ToolCall &call) {
        run.calls << call;
        Shell::DataResult result = cleanAnswers().value(callName(call));
        result.stdoutData.replace("@MOUNT@", run.volumePath().toUtf8());
        if (callName(call) == QLatin1String("C2 app"))
            result = answer(0, {}, "flags=0x0(none)\nAuthority=Developer ID Application: Example Corp\n");
        return result;
    }};
    const InspectionResult result = inspectDiskImage(run.image(), tools);

    QCOMPARE(result.url, run.image());
    QCOMPARE(result.kind, PackageKind::diskImage);
    QCOMPARE(result.displayName, QStringLiteral("Example 1.0"));
    QVERIFY(result.byteSize > 0);
    QCOMPARE(result.byteSize, measureByteSize(run.image()));
    QVERIFY(!result.bundleIdentifier && !result.shortVersion && !result.buildVersion);
    QVERIFY(!result.minimumSystemVersion && !result.executableName);
    QVERIFY(result.entitlements.isEmpty());
    QCOMPARE(result.checks.size(), 5);

    QVERIFY(result.embeddedApp);
    const EmbeddedAppResult &app = *result.embeddedApp;
    QCOMPARE(app.displayName, QStringLiteral("Example"));
    QCOMPARE(app.bundleIdentifier, std::optional<QString>("com.example.tool"));
    QCOMPARE(app.shortVersion, std::optional<QString>("2.1"));
    QCOMPARE(app.buildVersion, std::optional<QString>("210"));
    QCOMPARE(app.entitlements, QString::fromUtf8(entitlementsPlist));
    QStringList titles;
    for (const InspectionCheck &check : app.checks)
        titles << check.title;
    QCOMPARE(titles, (QStringList{"Code signature", "Developer ID", "Hardened Runtime", "Release entitlements",
                                  "Gatekeeper assessment"}));
    QCOMPARE(app.checks[2].status, CheckStatus::warning);
}

QTEST_GUILESS_MAIN(DiskImageInspectionTest)
#include "disk_image_inspection_test.moc"
