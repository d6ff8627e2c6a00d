// The app and disk image inspectors and the volume operations against scripted
// tools whose attach reports a real folder as the volume: the call and stage
// contract, and the reading rules no fixture package shows (those are in
// standin_inspection_test).

#include "stage_letters.h"

#include "contract/release_tool_contract.h"
#include "engine/app_inspection.h"
#include "engine/disk_image_inspection.h"
#include "engine/disk_image_volume.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Answers = QHash<QString, Program::DataResult>;

Program::DataResult answer(int exitCode, const QByteArray &out = {}, const QByteArray &err = {})
{
    return Program::DataResult{exitCode, out, err};
}

// The partition map first, as the platform's tool writes it, then the given entities.
QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>system-entities</key><array><dict>"
           "<key>content-hint</key><string>Apple_partition_map</string></dict>\n" + entities + "</array></dict></plist>\n";
}

QByteArray mountAt(const QByteArray &path) { return "<dict><key>mount-point</key><string>" + path + "</string></dict>"; }

const QByteArray kEntitlements = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                                 "<key>com.apple.security.app-sandbox</key><true/></dict></plist>";

// A signed, notarized image holding one clean app; calls on the app inside are keyed "app <first argument>".
const Answers kClean{
    {"verify", answer(0, "checksum is VALID\n")},
    {"-dv", answer(0, {}, "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\nAuthority=Apple Root CA\n")},
    {"stapler", answer(0, "Processing: image\nThe validate action worked!\n")},
    {"--assess", answer(0, {}, "accepted\nsource=Notarized Developer ID\n")},
    {"attach", answer(0, attachPlist(mountAt("@MOUNT@")))},
    {"app --verify", answer(0, {}, "valid on disk\n")},
    {"app -dv", answer(0, {}, "CodeDirectory v=20500 flags=0x10000(runtime)\n"
                              "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\n")},
    {"app -d", answer(0, kEntitlements + "\n")},
    {"app --assess", answer(0, {}, "accepted\n")},
    {"detach", answer(0, "\"disk4\" ejected.\n")},
};

// One inspection of a real image file whose volume is a real folder; the
// folder's name has a space, so the detach shows whether it stays one argument.
struct ScriptedRun {
    QTemporaryDir workspace;
    const QString image = workspace.filePath(QStringLiteral("Example 1.0.dmg"));
    const QString volume = workspace.filePath(QStringLiteral("Example Volume"));
    Answers answers = kClean;
    QList<QStringList> calls;
    QStringList stages; // stage, letter, and the number of calls made before it was reported

    ScriptedRun(const Answers &changes, const QStringList &entries) // a trailing slash makes a folder
    {
        answers.insert(changes);
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
        for (const QString &entry : entries)
            QVERIFY(entry.endsWith('/') ? QDir(volume).mkpath(entry) : QFile(volume + '/' + entry).open(QFile::WriteOnly));
    }

    ReleaseTools tools()
    {
        return ReleaseTools{[this](const ToolCall &call) {
            calls << (QStringList{call.executable} + call.arguments);
            const bool onApp = call.arguments.last().endsWith(QLatin1String(".app"), Qt::CaseInsensitive);
            Program::DataResult result = answers.value((onApp ? "app " : "") + call.arguments.value(0));
            result.standardOutput.replace("@MOUNT@", volume.toUtf8());
            return result;
        }, standInToolRoot(QString()).limits};
    }
    StageProgress progress()
    {
        return [this](int stage, LiveStageStatus status) {
            stages << QStringLiteral("%1%2@%3").arg(stage).arg(letterOf(status)).arg(calls.size());
        };
    }
    InspectionResult inspect() { return inspectDiskImage(QUrl::fromLocalFile(image), tools(), progress()); }
    AppInspection inspectApp() { return inspectApplication(QUrl::fromLocalFile(volume + "/Example.app"), tools(), progress()); }
};

QStringList outcomes(const QList<InspectionCheck> &checks)
{
    QStringList lines;
    for (const InspectionCheck &check : checks)
        lines << label(check.status) + ' ' + check.title + ": " + check.detail;
    return lines;
}

// The clean image's four checks, some replaced, then the rest.
QStringList checks(const QStringList &rest, const QMap<int, QString> &replaced = {})
{
    QStringList all{"PASS Disk image integrity: The DMG passed hdiutil verification.",
                    "PASS DMG signature: Developer ID Application: Example Corp (A1B2C3D4E5)",
                    "PASS Stapled notarization ticket: Processing: image The validate action worked!",
                    "PASS Gatekeeper assessment: accepted source=Notarized Developer ID"};
    for (auto it = replaced.begin(); it != replaced.end(); ++it)
        all[it.key()] = it.value();
    return all + rest;
}

} // namespace

Q_DECLARE_METATYPE(Answers)
Q_DECLARE_METATYPE(Program::DataResult)

class InspectionTest : public QObject {
    Q_OBJECT

private slots:
    void appChecks_data()
    {
        QTest::addColumn<Answers>("changes");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("stages");    // one letter a stage: P pass, W warning, F fail
        QTest::addColumn<QString>("authority"); // the signer: the leaf of the display, "none" when there is none
        const QString corp = "Developer ID Application: Example Corp (A1B2C3D4E5)";
        const QString noRuntime = "WARN Hardened Runtime: Veristamp did not find the Hardened Runtime flag in the code signature.";
        QTest::newRow("failed verification shows both streams, CR LF folded")
            << Answers{{"app --verify", answer(1, "--prepared:/A/x.framework\r\n", "/A: a sealed resource is missing or invalid\r\n")}}
            << 0 << "FAIL Code signature: --prepared:/A/x.framework /A: a sealed resource is missing or invalid" << "FPPPP" << corp;
        QTest::newRow("silent failed verification")
            << Answers{{"app --verify", answer(1)}} << 0 << "FAIL Code signature: The application failed codesign verification."
            << "FPPPP" << corp;
        QTest::newRow("ad-hoc mark outranks a Developer ID authority")
            << Answers{{"app -dv", answer(0, {}, "Authority=Developer ID Application: X (1)\nSignature=adhoc\n")}} << 1
            << "FAIL Developer ID: The application is ad-hoc signed rather than signed for outside-the-App-Store distribution."
            << "PFWPP" << "none";
        QTest::newRow("a Developer ID name above the leaf does not sign")
            << Answers{{"app -dv", answer(0, {}, "Authority=Apple Development: X (1)\n"
                                                 "Authority=Developer ID Application: Y (2)\n")}} << 1
            << "WARN Developer ID: Signing authority: Apple Development: X (1)" << "PWWPP" << "Apple Development: X (1)";
        QTest::newRow("only the first flags line decides the runtime")
            << Answers{{"app -dv", answer(0, {}, "CodeDirectory flags=0x0(none)\nExecutable Segment flags=0x10000(runtime)\n")}}
            << 2 << noRuntime << "PWWPP" << "none";
        QTest::newRow("the executable's name cannot stand in for the flags")
            << Answers{{"app -dv", answer(0, {}, "Executable=/Contents/MacOS/x flags=0x10000(runtime)\n"
                                                 "CodeDirectory v=20500 flags=0x0(none)\n")}}
            << 2 << noRuntime << "PWWPP" << "none";
        QTest::newRow("entitlements on standard error are not read")
            << Answers{{"app -d", answer(0, {}, kEntitlements)}} << 3
            << "PASS Release entitlements: No signed entitlements were reported." << "PPPPP" << corp;
        QTest::newRow("entitlements that cannot be read")
            << Answers{{"app -d", answer(0, kEntitlements.chopped(16))}} << 3
            << "WARN Release entitlements: Signed entitlements were reported but could not be read." << "PPPWP" << corp;
        QTest::newRow("rejected silently")
            << Answers{{"app --assess", answer(3)}} << 4 << "FAIL Gatekeeper assessment: Gatekeeper did not accept the application."
            << "PPPPF" << corp;
    }
    // Also: each stage reported with its check's status before the next call;
    // the display call (the second) decides two stages.
    void appChecks()
    {
        QFETCH(Answers, changes);
        QFETCH(int, check);
        QFETCH(QString, stages);
        ScriptedRun run(changes, {"Example.app/"});
        const AppInspection result = run.inspectApp();
        QTEST(outcomes(result.checks).value(check), "outcome");
        QTEST(result.signingAuthority.value_or("none"), "authority");
        QStringList expected;
        for (int stage = 0; stage < 5; ++stage)
            expected << QStringLiteral("%1%2@%3").arg(stage).arg(stages[stage]).arg(stage < 2 ? stage + 1 : stage);
        QCOMPARE(run.stages, expected);
    }

    void imageChecks_data()
    {
        QTest::addColumn<Answers>("changes"); // answers that differ from kClean
        QTest::addColumn<QStringList>("volume");
        QTest::addColumn<QStringList>("checks"); // "LABEL Title: detail"
        QTest::addColumn<QString>("stages");     // one letter a stage: P pass, W warning, F fail, M on a Mac
        QTest::addColumn<QString>("app");        // the packaged app inspected
        const QStringList example{"Example.app/"};
        const QString found = "PASS Packaged application: Example.app was found inside the DMG.";
        const QString unsignedImage =
            "WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG.";

        QTest::newRow("unsigned image, ticket and Gatekeeper silent")
            << Answers{{"-dv", answer(1, {}, "image: code object is not signed at all\n")}, {"stapler", answer(0)},
                       {"--assess", answer(0)}}
            << example
            << checks({found}, {{1, unsignedImage},
                                {2, "PASS Stapled notarization ticket: A valid stapled notarization ticket was found."},
                                {3, "PASS Gatekeeper assessment: Gatekeeper accepted the disk image."}})
            << "PWPPPP" << "Example";
        QTest::newRow("image tools fail silently")
            << Answers{{"verify", answer(1)}, {"-dv", answer(1)}, {"stapler", answer(65)}, {"--assess", answer(3)}}
            << example
            << checks({found}, {{0, "FAIL Disk image integrity: The DMG failed hdiutil verification."}, {1, unsignedImage},
                                {2, "FAIL Stapled notarization ticket: Veristamp could not validate a stapled "
                                    "notarization ticket."},
                                {3, "FAIL Gatekeeper assessment: Gatekeeper did not accept the disk image."}})
            << "FWFFPP" << "Example";
        QTest::newRow("image that cannot be attached")
            << Answers{{"attach", answer(1, {}, "hdiutil: attach failed - image not recognized\n")}} << example
            << checks({"FAIL Mount disk image: hdiutil: attach failed - image not recognized"}) << "PPPPFF" << "";
        QTest::newRow("one app, with a warning") << Answers{{"app -dv", answer(0, {}, "CodeDirectory flags=0x0(none)\n")}} << example
                                                 << checks({found}) << "PPPPPW" << "Example";
        QTest::newRow("a host that leaves the ticket and Gatekeeper to a Mac")
            << Answers{{"stapler", answer(kUndecidedStatus, "Processing: image\n")}, {"--assess", answer(kUndecidedStatus)},
                       {"app --assess", answer(kUndecidedStatus)}}
            << example
            << checks({found}, {{2, "WARN Stapled notarization ticket: A notarization ticket is stapled; its signature "
                                    "can only be confirmed on a Mac."},
                                {3, "WARN Gatekeeper assessment: Gatekeeper cannot assess this package on this host, "
                                    "nor can the revocation of its certificates be checked; assess it on a Mac "
                                    "before shipping."}})
            << "PPMMPM" << "Example";
    }
    // The image's: each stage reported before the next call, stage 5 after the app's
    // four calls and before the detach; the image detached by its mount point
    // exactly when it was mounted; no metadata or entitlements of the image's own.
    void imageChecks()
    {
        QFETCH(Answers, changes);
        QFETCH(QStringList, volume);
        QFETCH(QString, stages);
        QFETCH(QString, app);
        ScriptedRun run(changes, volume);
        const InspectionResult result = run.inspect();

        QTEST(outcomes(result.checks()), "checks");
        QStringList expectedStages;
        for (int stage = 0; stage < 6; ++stage)
            expectedStages << QStringLiteral("%1%2@%3").arg(stage).arg(stages[stage]).arg(stage < 5 ? stage + 1 : app.isEmpty() ? 5 : 9);
        QCOMPARE(run.stages, expectedStages);
        QCOMPARE(run.calls.count({"/usr/bin/hdiutil", "detach", run.volume}), stages[4] == 'F' ? 0 : 1);

        QCOMPARE(result.displayName(), QStringLiteral("Example 1.0"));
        QVERIFY(result.kind() == PackageKind::diskImage && !result.application());
        QCOMPARE(result.byteSize, qint64(4096)); // the image's one block of data
        QCOMPARE(result.embeddedApp() ? result.embeddedApp()->displayName : QString(), app);
        if (result.embeddedApp())
            QCOMPARE(result.embeddedApp()->entitlements, QString::fromUtf8(kEntitlements));
    }

    // The ids the evidence documents key on are fixed, whatever the titles read.
    void checkIdsAreFixed_data()
    {
        QTest::addColumn<Answers>("changes");
        QTest::addColumn<bool>("image"); // the disk image inspected, else the app on its volume
        QTest::addColumn<QStringList>("ids");
        const QStringList imageIds{"disk-image-integrity", "dmg-signature", "stapled-notarization-ticket",
                                   "gatekeeper-assessment"};
        QTest::newRow("app") << Answers{} << false
                             << QStringList{"code-signature", "developer-id", "hardened-runtime", "release-entitlements",
                                            "gatekeeper-assessment"};
        QTest::newRow("image not attached") << Answers{{"attach", answer(1)}} << true
                                            << imageIds + QStringList{"mount-disk-image"};
        QTest::newRow("image left attached") << Answers{{"detach", answer(16, {}, "resource busy\n")}} << true
                                             << imageIds + QStringList{"packaged-application", "disk-image-cleanup"};
    }
    void checkIdsAreFixed()
    {
        QFETCH(Answers, changes);
        QFETCH(bool, image);
        ScriptedRun run(changes, {"Example.app/"});
        QStringList ids;
        for (const InspectionCheck &check : image ? run.inspect().checks() : run.inspectApp().checks)
            ids << check.id;
        QTEST(ids, "ids");
    }

    void callsFollowTheContract()
    {
        ScriptedRun run({}, {"Example.app/"});
        run.inspect();
        const QString image = run.image, app = run.volume + QStringLiteral("/Example.app");
        QCOMPARE(run.calls, (QList<QStringList>{
                                {"/usr/bin/hdiutil", "verify", image},
                                {"/usr/bin/codesign", "-dv", "--verbose=4", image},
                                {"/usr/bin/xcrun", "stapler", "validate", image},
                                {"/usr/sbin/spctl", "--assess", "--type", "open", "--context",
                                 "context:primary-signature", "--verbose=4", image},
                                {"/usr/bin/hdiutil", "attach", "-readonly", "-nobrowse", "-plist", image},
                                {"/usr/bin/codesign", "--verify", "--deep", "--strict", "--verbose=2", app},
                                {"/usr/bin/codesign", "-dv", "--verbose=4", app},
                                {"/usr/bin/codesign", "-d", "--entitlements", ":-", app},
                                {"/usr/sbin/spctl", "--assess", "--type", "execute", "--verbose=4", app},
                                {"/usr/bin/hdiutil", "detach", run.volume},
                            }));
    }

    // The attach output's shape rules.
    void mountPoint_data()
    {
        QTest::addColumn<Program::DataResult>("answer");
        QTest::addColumn<QString>("outcome"); // the mount point, or the message when there is none
        const QString unreadable = "The DMG mounted, but Veristamp could not read its mount information.";
        const QString noPath = "The DMG mounted, but no mounted volume path was reported.";
        const QByteArray head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">";
        QTest::newRow("an entity that is not a dictionary")
            << answer(0, attachPlist(mountAt("/Volumes/X") + "<string>disk3</string>")) << unreadable;
        QTest::newRow("root not a dictionary") << answer(0, head + "<array><string>/V</string></array></plist>") << unreadable;
        QTest::newRow("system-entities not an array")
            << answer(0, head + "<dict><key>system-entities</key><dict/></dict></plist>") << unreadable;
        QTest::newRow("mount point not text")
            << answer(0, attachPlist("<dict><key>mount-point</key><integer>7</integer></dict>")) << noPath;
        QTest::newRow("empty mount point") << answer(0, attachPlist(mountAt(""))) << noPath;
        QTest::newRow("attach fails with warning and error")
            << answer(1, attachPlist(mountAt("/Volumes/E")), "hdiutil: attach: WARNING: ignoring IDME options (obsolete)\n"
                                                             "hdiutil: attach failed - no mountable file systems\n")
            << "hdiutil: attach: WARNING: ignoring IDME options (obsolete) hdiutil: attach failed - no mountable file systems";
        QTest::newRow("attach fails silently") << answer(1) << "The DMG could not be mounted.";
    }
    void mountPoint()
    {
        QFETCH(Program::DataResult, answer);
        const auto result = mountDiskImage(QUrl::fromLocalFile("/Release/Example.dmg"),
                                           ReleaseTools{[answer](const ToolCall &) { return answer; }});
        QTEST(result.mountPoint ? result.mountPoint->toLocalFile() : result.message, "outcome");
        QCOMPARE(result.message == "Mounted successfully.", result.mountPoint.has_value());
    }

    // Apps below the top are not examined; a plain file named like one is kept. (Links: standin_inspection_test.)
    void findsOnlyTopLevelAppNames()
    {
        QTemporaryDir mountPoint(QDir::tempPath() + QStringLiteral("/Example Volume XXXXXX"));
        const QDir volume(mountPoint.path());
        QVERIFY(volume.mkpath("Documents/Inner.app") && QFile(volume.filePath("Helper.app")).open(QIODevice::WriteOnly));
        QVERIFY(QFile(volume.filePath("Notes.app.zip")).open(QIODevice::WriteOnly));
        QCOMPARE(findApplicationBundles(QUrl::fromLocalFile(volume.path())),
                 QList<QUrl>({QUrl::fromLocalFile(volume.filePath("Helper.app"))}));
        QCOMPARE(findApplicationBundles(QUrl::fromLocalFile(volume.filePath("gone"))), QList<QUrl>());
    }
};

QTEST_GUILESS_MAIN(InspectionTest)
#include "inspection_test.moc"
