// The disk image inspector against scripted release tools: every call is
// logged, the attach reports a real temporary folder as the volume, and the
// script tracks whether the image is still attached.

#include "engine/byte_size.h"
#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using C = CheckStatus;
using Answers = QHash<QString, Shell::DataResult>;

Shell::DataResult answer(int exitCode, const QByteArray &out = {}, const QByteArray &err = {})
{
    return Shell::DataResult{exitCode, out, err};
}

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>system-entities</key><array>"
           "<dict><key>dev-entry</key><string>/dev/disk4</string></dict>\n" + entities + "</array></dict></plist>\n";
}

const QByteArray mountedVolume = "<dict><key>mount-point</key><string>@MOUNT@</string></dict>\n";
const QByteArray entitlements = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                                "<key>com.apple.security.app-sandbox</key><true/></dict></plist>";

// A signed, notarized image holding one clean app. "C2" displays the image, "C2 app" the app.
const Answers cleanAnswers{
    {"H1", answer(0, "checksum is VALID\n")},
    {"C2", answer(0, {}, "Format=disk image\nAuthority=Developer ID Application: Example Corp (A1B2C3D4E5)\n"
                         "Authority=Apple Root CA\n")},
    {"X1", answer(0, "Processing: image\nThe validate action worked!\n")},
    {"S2", answer(0, {}, "accepted\nsource=Notarized Developer ID\n")},
    {"H2", answer(0, attachPlist(mountedVolume))},
    {"C1", answer(0, {}, "valid on disk\n")},
    {"C2 app", answer(0, {}, "CodeDirectory v=20500 flags=0x10000(runtime)\n"
                             "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\n")},
    {"C3", answer(0, entitlements + "\n")},
    {"S1", answer(0, {}, "accepted\n")},
    {"H3", answer(0, "\"disk4\" ejected.\n")},
};

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

const QList<ExpectedCheck> cleanImage{
    {"Disk image integrity", C::pass, "The DMG passed hdiutil verification."},
    {"DMG signature", C::pass, "Developer ID Application: Example Corp (A1B2C3D4E5)"},
    {"Stapled notarization ticket", C::pass, "Processing: image The validate action worked!"},
    {"Gatekeeper assessment", C::pass, "accepted source=Notarized Developer ID"},
};

struct Scenario {
    QString name;
    Answers changes; // answers that differ from cleanAnswers
    QStringList volume;
    QList<ExpectedCheck> checks;
    QByteArray stages; // one letter a stage: P pass, W warning, F fail
    QString embeddedApp;
    bool staysAttached = false;
};

// The image's four checks as for a clean image, one of them replaced, then the rest.
QList<ExpectedCheck> checks(const QList<ExpectedCheck> &rest, int index = -1, const ExpectedCheck &replaced = {})
{
    QList<ExpectedCheck> all = cleanImage;
    if (index >= 0)
        all[index] = replaced;
    return all + rest;
}

const ExpectedCheck exampleFound{"Packaged application", C::pass, "Example.app was found inside the DMG."};
const ExpectedCheck noApp{"Packaged application", C::fail,
                          "No .app bundle was found at the top level of the mounted DMG."};
const ExpectedCheck alphaFirst{"Packaged application", C::warning,
                               "Multiple app bundles were found. Veristamp inspected alpha.app."};
const ExpectedCheck unsignedImage{"DMG signature", C::warning,
                                  "Veristamp did not find a Developer ID Application signature on the DMG."};
const ExpectedCheck busy{"Disk image cleanup", C::warning, "hdiutil: couldn't unmount \"disk4\" - Resource busy"};
const ExpectedCheck stuck{"Disk image cleanup", C::warning, "The mounted DMG could not be detached automatically."};

ExpectedCheck mountFailed(const QString &message)
{
    return {"Mount disk image", C::fail, message};
}

QList<Scenario> scenarios()
{
    const QStringList example{"Example.app/"};
    const QString mounted = QStringLiteral("The DMG mounted, but ");
    const QList<ExpectedCheck> silentFailures{
        {"Disk image integrity", C::fail, "The DMG failed hdiutil verification."},
        unsignedImage,
        {"Stapled notarization ticket", C::fail, "Veristamp could not validate a stapled notarization ticket."},
        {"Gatekeeper assessment", C::fail, "Gatekeeper did not accept the disk image."},
        exampleFound};
    const QList<ExpectedCheck> silentPasses{
        cleanImage[0], cleanImage[1],
        {"Stapled notarization ticket", C::pass, "A valid stapled notarization ticket was found."},
        {"Gatekeeper assessment", C::pass, "Gatekeeper accepted the disk image."},
        exampleFound};
    return {
        {"signed, notarized, one clean app", {}, example, checks({exampleFound}), "PPPPPP", "Example"},
        {"unsigned image", {{"C2", answer(1, {}, "image: code object is not signed at all\n")}}, example,
         checks({exampleFound}, 1, unsignedImage), "PWPPPP", "Example"},
        {"Developer ID without an authority line",
         {{"C2", answer(0, {}, "Signed by Developer ID Application: Example Corp\n  Authority=Apple Root CA\n")}},
         example, checks({exampleFound}, 1, {"DMG signature", C::pass, "Developer ID signature detected."}),
         "PPPPPP", "Example"},
        {"image tools fail silently", {{"H1", answer(1)}, {"C2", answer(1)}, {"X1", answer(65)}, {"S2", answer(3)}},
         example, silentFailures, "FWFFPP", "Example"},
        {"image tools pass silently", {{"X1", answer(0)}, {"S2", answer(0)}}, example, silentPasses, "PPPPPP",
         "Example"},
        {"image that cannot be attached", {{"H2", answer(1, {}, "hdiutil: attach failed - image not recognized\n")}},
         example, checks({mountFailed("hdiutil: attach failed - image not recognized")}), "PPPPFF", {}},
        {"attached, output unreadable", {{"H2", answer(0, "/dev/disk4\tApple_HFS\t/Volumes/Example\n")}}, example,
         checks({mountFailed(mounted + "Veristamp could not read its mount information.")}), "PPPPFF", {}, true},
        {"attached, no mount point", {{"H2", answer(0, attachPlist(""))}}, example,
         checks({mountFailed(mounted + "no mounted volume path was reported.")}), "PPPPFF", {}, true},
        {"documents only", {}, {"Documents/", "Read Me.pdf"}, checks({noApp}), "PPPPPF", {}},
        {"apps beginning with B and a", {}, {"Beta.app/", "alpha.app/"}, checks({alphaFirst}), "PPPPPW", "alpha"},
        {"embedded app without Hardened Runtime",
         {{"C2 app", answer(0, {}, "Authority=Developer ID Application: X\n")}}, example, checks({exampleFound}),
         "PPPPPW", "Example"},
        {"embedded app rejected by Gatekeeper", {{"S1", answer(3, {}, "rejected\n")}}, example,
         checks({exampleFound}), "PPPPPF", "Example"},
        {"detach fails", {{"H3", answer(16, {}, "hdiutil: couldn't unmount \"disk4\" - Resource busy\n")}},
         example, checks({exampleFound, busy}), "PPPPPP", "Example", true},
        {"detach fails silently", {{"H3", answer(1)}}, {"Documents/"}, checks({noApp, stuck}), "PPPPPF", {}, true},
    };
}

Scenario scenarioNamed(const QString &name)
{
    const QList<Scenario> all = scenarios();
    return *std::find_if(all.begin(), all.end(), [&name](const Scenario &s) { return s.name == name; });
}

LiveStageStatus stageStatus(char letter)
{
    return letter == 'P' ? LiveStageStatus::pass : letter == 'W' ? LiveStageStatus::warning : LiveStageStatus::fail;
}

// One inspection of a real image file whose volume is a real folder; the
// folder's name has a space, so the detach shows whether it stays one argument.
class ScriptedRun {
public:
    explicit ScriptedRun(const Scenario &scenario) : m_answers(cleanAnswers)
    {
        m_answers.insert(scenario.changes);
        QFile image(imagePath());
        if (image.open(QIODevice::WriteOnly))
            image.write(QByteArray(4096, 'x'));
        for (const QString &entry : scenario.volume) {
            if (entry.endsWith(QLatin1Char('/')))
                QDir(volumePath()).mkpath(entry);
            else
                QFile(volumePath() + QLatin1Char('/') + entry).open(QIODevice::WriteOnly);
        }
    }

    QString imagePath() const { return m_workspace.filePath(QStringLiteral("Example 1.0.dmg")); }
    QString volumePath() const { return m_workspace.filePath(QStringLiteral("Example Volume")); }

    InspectionResult inspect()
    {
        const ReleaseTools tools{[this](const ToolCall &call) { return run(call); }};
        return inspectDiskImage(QUrl::fromLocalFile(imagePath()), tools, [this](int stage, LiveStageStatus status) {
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
    bool strayDetach = false; // a detach of something not attached

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
        } else if (name == QLatin1String("H3")) {
            ++detaches;
            strayDetach = strayDetach || !attached || call.arguments.value(1) != volumePath();
            attached = attached && result.exitCode != 0;
        }
        return result;
    }

    QTemporaryDir m_workspace;
    Answers m_answers;
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

    QCOMPARE(result.checks.size(), scenario.checks.size());
    for (qsizetype i = 0; i < scenario.checks.size(); ++i) {
        QCOMPARE(result.checks[i].title, scenario.checks[i].title);
        QCOMPARE(result.checks[i].detail, scenario.checks[i].detail);
        QCOMPARE(result.checks[i].status, scenario.checks[i].status);
    }
    QCOMPARE(run.stages.size(), 6);
    for (int stage = 0; stage < 6; ++stage)
        QCOMPARE(run.stages[stage], std::make_pair(stage, stageStatus(scenario.stages[stage])));
    // Each stage is reported before the next call; stage 5 after the app's four calls and before the detach.
    const qsizetype appCalls = scenario.embeddedApp.isEmpty() ? 0 : 4;
    QCOMPARE(run.callsAtStage, (QList<qsizetype>{1, 2, 3, 4, 5, 5 + appCalls}));

    // The image's own fields; the app's metadata lives only in embeddedApp.
    QCOMPARE(result.kind, PackageKind::diskImage);
    QCOMPARE(result.displayName, QStringLiteral("Example 1.0"));
    QCOMPARE(result.byteSize, measureByteSize(QUrl::fromLocalFile(run.imagePath())));
    QVERIFY(!result.bundleIdentifier && !result.shortVersion && !result.buildVersion && result.entitlements.isEmpty());
    QCOMPARE(result.embeddedApp ? result.embeddedApp->displayName : QString(), scenario.embeddedApp);
    if (result.embeddedApp)
        QCOMPARE(result.embeddedApp->entitlements, QString::fromUtf8(entitlements));
}

// Over every scenario: each image attached is detached once, by the mount
// point its attach reported, except where it is meant to stay attached
// (no readable mount point, or a detach that failed).
void DiskImageInspectionTest::noVolumeLeftBehind()
{
    int attaches = 0;
    int detaches = 0;
    QStringList leftAttached;
    QStringList meantToStay;
    for (const Scenario &scenario : scenarios()) {
        ScriptedRun run(scenario);
        run.inspect();
        QVERIFY2(run.detaches <= run.attaches && !run.strayDetach, qPrintable(scenario.name));
        attaches += run.attaches;
        detaches += run.detaches;
        if (run.attached)
            leftAttached << scenario.name;
        if (scenario.staysAttached)
            meantToStay << scenario.name;
    }
    QCOMPARE(leftAttached, meantToStay);
    QCOMPARE(attaches, scenarios().size() - 1); // one image cannot be attached
    QCOMPARE(detaches, attaches - 2);           // two report no readable mount point
}

void DiskImageInspectionTest::callsFollowTheContract()
{
    ScriptedRun run(scenarioNamed("signed, notarized, one clean app"));
    run.inspect();

    const QString image = run.imagePath();
    const QString app = run.volumePath() + QStringLiteral("/Example.app");
    const QList<ToolCall> expected{
        imageVerificationCall(image),     signatureDisplayCall(image), ticketValidationCall(image),
        diskImageAssessmentCall(image),   attachCall(image),           signatureVerificationCall(app),
        signatureDisplayCall(app),        entitlementsCall(app),       appAssessmentCall(app),
        detachCall(run.volumePath()),
    };
    QCOMPARE(run.calls.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QCOMPARE(run.calls[i].executable, expected[i].executable);
        QCOMPARE(run.calls[i].arguments, expected[i].arguments);
    }
}

QTEST_GUILESS_MAIN(DiskImageInspectionTest)
#include "disk_image_inspection_test.moc"
