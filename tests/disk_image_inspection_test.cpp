// The disk image inspector against scripted release tools whose attach reports a real folder as the volume.

#include "engine/byte_size.h"
#include "engine/disk_image_inspection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Answers = QHash<QString, Shell::DataResult>;

Shell::DataResult answer(int exitCode, const QByteArray &out = {}, const QByteArray &err = {})
{
    return Shell::DataResult{exitCode, out, err};
}

QByteArray attachPlist(const QByteArray &entities)
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>system-entities</key><array>"
           "<dict><key>dev-entry</key><string>/dev/disk4</string></dict>\n" + entities + "</array></dict></plist>\n";
}

const QByteArray kEntitlements = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>"
                                 "<key>com.apple.security.app-sandbox</key><true/></dict></plist>";

// A call's first argument, after "app " for calls on the app inside the image.
QString callName(const ToolCall &call)
{
    const bool onApp = call.arguments.last().endsWith(QLatin1String(".app"), Qt::CaseInsensitive);
    return (onApp ? "app " : "") + call.arguments.value(0);
}

// A signed, notarized image holding one clean app.
const Answers kClean{
    {"verify", answer(0, "checksum is VALID\n")},
    {"-dv", answer(0, {}, "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\nAuthority=Apple Root CA\n")},
    {"stapler", answer(0, "Processing: image\nThe validate action worked!\n")},
    {"--assess", answer(0, {}, "accepted\nsource=Notarized Developer ID\n")},
    {"attach", answer(0, attachPlist("<dict><key>mount-point</key><string>@MOUNT@</string></dict>\n"))},
    {"app --verify", answer(0, {}, "valid on disk\n")},
    {"app -dv", answer(0, {}, "CodeDirectory v=20500 flags=0x10000(runtime)\n"
                              "Authority=Developer ID Application: Example Corp (A1B2C3D4E5)\n")},
    {"app -d", answer(0, kEntitlements + "\n")},
    {"app --assess", answer(0, {}, "accepted\n")},
    {"detach", answer(0, "\"disk4\" ejected.\n")},
};

struct Scenario {
    QString name;
    Answers changes; // answers that differ from kClean
    QStringList volume; // a trailing slash makes a folder
    QStringList checks; // "LABEL Title: detail"
    QByteArray stages;  // one letter a stage: P pass, W warning, F fail
    QString embeddedApp;
    bool staysAttached = false;
};

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

QList<Scenario> scenarios()
{
    const QStringList example{"Example.app/"};
    const QString found = "PASS Packaged application: Example.app was found inside the DMG.";
    const QString unsignedImage =
        "WARN DMG signature: Veristamp did not find a Developer ID Application signature on the DMG.";
    const QString mounted = "FAIL Mount disk image: The DMG mounted, but ";
    return {
        {"signed, notarized, one clean app", {}, example, checks({found}), "PPPPPP", "Example"},
        {"unsigned image, ticket and Gatekeeper silent",
         {{"-dv", answer(1, {}, "image: code object is not signed at all\n")}, {"stapler", answer(0)},
          {"--assess", answer(0)}},
         example,
         checks({found}, {{1, unsignedImage},
                          {2, "PASS Stapled notarization ticket: A valid stapled notarization ticket was found."},
                          {3, "PASS Gatekeeper assessment: Gatekeeper accepted the disk image."}}),
         "PWPPPP", "Example"},
        {"Developer ID without an authority line",
         {{"-dv", answer(0, {}, "Signed by Developer ID Application: Example Corp\n  Authority=Apple Root CA\n")}},
         example, checks({found}, {{1, "PASS DMG signature: Developer ID signature detected."}}), "PPPPPP", "Example"},
        {"image tools fail silently",
         {{"verify", answer(1)}, {"-dv", answer(1)}, {"stapler", answer(65)}, {"--assess", answer(3)}}, example,
         checks({found}, {{0, "FAIL Disk image integrity: The DMG failed hdiutil verification."}, {1, unsignedImage},
                          {2, "FAIL Stapled notarization ticket: Veristamp could not validate a stapled notarization "
                              "ticket."},
                          {3, "FAIL Gatekeeper assessment: Gatekeeper did not accept the disk image."}}),
         "FWFFPP", "Example"},
        {"image that cannot be attached",
         {{"attach", answer(1, {}, "hdiutil: attach failed - image not recognized\n")}}, example,
         checks({"FAIL Mount disk image: hdiutil: attach failed - image not recognized"}), "PPPPFF", {}},
        {"attached, output not a property list", {{"attach", answer(0, "/dev/disk4\tApple_HFS\t/Volumes/Example\n")}},
         example, checks({mounted + "Veristamp could not read its mount information."}), "PPPPFF", {}, true},
        {"attached, no mount point", {{"attach", answer(0, attachPlist(""))}}, example,
         checks({mounted + "no mounted volume path was reported."}), "PPPPFF", {}, true},
        {"documents only", {}, {"Documents/", "Read Me.pdf"},
         checks({"FAIL Packaged application: No .app bundle was found at the top level of the mounted DMG."}),
         "PPPPPF", {}},
        {"apps beginning with B and a", {}, {"Beta.app/", "alpha.app/"},
         checks({"WARN Packaged application: Multiple app bundles were found. Veristamp inspected alpha.app."}),
         "PPPPPW", "alpha"},
        {"embedded app rejected by Gatekeeper", {{"app --assess", answer(3, {}, "rejected\n")}}, example,
         checks({found}), "PPPPPF", "Example"},
        {"one app, with a warning", {{"app -dv", answer(0, {}, "flags=0x0(none)\n")}}, example, checks({found}),
         "PPPPPW", "Example"},
        {"several apps, the inspected one failing", {{"app --assess", answer(3, {}, "rejected\n")}},
         {"Beta.app/", "alpha.app/"},
         checks({"WARN Packaged application: Multiple app bundles were found. Veristamp inspected alpha.app."}),
         "PPPPPF", "alpha"},
        {"detach fails", {{"detach", answer(16, {}, "hdiutil: couldn't unmount \"disk4\" - Resource busy\n")}}, example,
         checks({found, "WARN Disk image cleanup: hdiutil: couldn't unmount \"disk4\" - Resource busy"}), "PPPPPP",
         "Example", true},
    };
}

// One inspection of a real image file whose volume is a real folder; the
// folder's name has a space, so the detach shows whether it stays one argument.
struct ScriptedRun {
    QTemporaryDir workspace;
    const QString image = workspace.filePath(QStringLiteral("Example 1.0.dmg"));
    const QString volume = workspace.filePath(QStringLiteral("Example Volume"));
    Answers answers = kClean;
    QList<QStringList> calls;
    QStringList stages; // stage, letter, and the number of calls made before it was reported
    int attaches = 0;
    int detaches = 0;
    bool attached = false;
    bool strayDetach = false; // a detach of something not attached, or not by its mount point

    explicit ScriptedRun(const Scenario &scenario)
    {
        answers.insert(scenario.changes);
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, 'x')) == 4096);
        for (const QString &entry : scenario.volume)
            QVERIFY(entry.endsWith('/') ? QDir(volume).mkpath(entry)
                                        : QFile(volume + '/' + entry).open(QFile::WriteOnly));
    }

    InspectionResult inspect()
    {
        const ReleaseTools tools{[this](const ToolCall &call) {
            calls << (QStringList{call.executable} + call.arguments);
            const QString name = callName(call);
            Shell::DataResult result = answers.value(name);
            result.stdoutData.replace("@MOUNT@", volume.toUtf8());
            const bool mounted = name == QLatin1String("attach") && result.exitCode == 0;
            attaches += mounted;
            attached = attached || mounted;
            if (name == QLatin1String("detach")) {
                ++detaches;
                strayDetach = strayDetach || !attached || call.arguments.value(1) != volume;
                attached = result.exitCode != 0;
            }
            return result;
        }};
        return inspectDiskImage(QUrl::fromLocalFile(image), tools, [this](int stage, LiveStageStatus status) {
            stages << QStringLiteral("%1%2@%3").arg(stage).arg("??PWF"[int(status)]).arg(calls.size());
        });
    }
};

} // namespace

Q_DECLARE_METATYPE(Scenario)

class DiskImageInspectionTest : public QObject {
    Q_OBJECT

private slots:
    void checksAndStages_data()
    {
        QTest::addColumn<Scenario>("scenario");
        for (const Scenario &scenario : scenarios())
            QTest::newRow(qPrintable(scenario.name)) << scenario;
    }
    void checksAndStages()
    {
        QFETCH(Scenario, scenario);
        ScriptedRun run(scenario);
        const InspectionResult result = run.inspect();

        QStringList actual;
        for (const InspectionCheck &check : result.checks())
            actual << label(check.status) + ' ' + check.title + ": " + check.detail;
        QCOMPARE(actual, scenario.checks);
        // Each stage is reported before the next call; stage 5 after the app's four calls and before the detach.
        QStringList stages;
        for (int stage = 0; stage < 6; ++stage) {
            const int calls = stage < 5 ? stage + 1 : scenario.embeddedApp.isEmpty() ? 5 : 9;
            stages << QStringLiteral("%1%2@%3").arg(stage).arg(scenario.stages[stage]).arg(calls);
        }
        QCOMPARE(run.stages, stages);
        QVERIFY(!run.strayDetach && run.detaches <= run.attaches);
        QCOMPARE(run.attached, scenario.staysAttached);

        QCOMPARE(result.displayName(), QStringLiteral("Example 1.0"));
        QVERIFY(result.kind() == PackageKind::diskImage && !result.application()); // no metadata of its own
        QCOMPARE(result.byteSize, measureByteSize(QUrl::fromLocalFile(run.image)));
        const EmbeddedAppResult *app = result.embeddedApp();
        QCOMPARE(app ? app->displayName : QString(), scenario.embeddedApp);
        if (app)
            QCOMPARE(app->entitlements, QString::fromUtf8(kEntitlements));
    }

    void callsFollowTheContract()
    {
        ScriptedRun run(scenarios().first());
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
};

QTEST_GUILESS_MAIN(DiskImageInspectionTest)
#include "disk_image_inspection_test.moc"
