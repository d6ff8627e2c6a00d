#include "engine/app_inspection.h"

#include <QTest>

namespace {

const QString kApp = QStringLiteral("/Applications/Example.app");
using Replies = QHash<QString, Shell::DataResult>;

Shell::DataResult reply(int status, const char *out, const char *err = "")
{
    return Shell::DataResult{status, QByteArray(out), QByteArray(err)};
}

const char kDeveloperIdDisplay[] =
    "Executable=/Applications/Example.app/Contents/MacOS/Example\n"
    "Identifier=com.example.app\n"
    "CodeDirectory v=20500 size=1234 flags=0x10000(runtime) hashes=28+7 location=embedded\n"
    "Authority=Developer ID Application: Example Corp (ABCDE12345)\n"
    "Authority=Developer ID Certification Authority\n"
    "Authority=Apple Root CA\n"
    "TeamIdentifier=ABCDE12345\n"
    "Runtime Version=14.0.0\n";

QByteArray entitlementsPlist(const QByteArray &entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + entries
        + "</dict>\n</plist>\n";
}

// A well-signed, notarized app; each case replaces one call's reply.
Replies readyApp()
{
    return {
        {"C1", reply(0, "", "/Applications/Example.app: valid on disk\n")},
        {"C2", reply(0, "", kDeveloperIdDisplay)},
        {"C3", Shell::DataResult{0, entitlementsPlist("<key>com.apple.security.network.client</key><true/>\n"),
                                 "Executable=/Applications/Example.app/Contents/MacOS/Example\n"}},
        {"S1", reply(0, "", "/Applications/Example.app: accepted\nsource=Notarized Developer ID\n")},
    };
}

QString callId(const ToolCall &call)
{
    const QString first = call.arguments.value(0);
    if (call.executable == QLatin1String("/usr/sbin/spctl"))
        return QStringLiteral("S1");
    if (first == QLatin1String("--verify"))
        return QStringLiteral("C1");
    return first == QLatin1String("-dv") ? QStringLiteral("C2") : QStringLiteral("C3");
}

QString word(LiveStageStatus status)
{
    static const char *const words[] = {"pending", "active", "pass", "warning", "fail"};
    return QLatin1String(words[int(status)]);
}

// Replies per call id and records every call, with the stage reports, in one event log.
struct ScriptedTools {
    Replies replies = readyApp();
    QList<QStringList> calls;
    QStringList events;

    ReleaseTools tools()
    {
        return ReleaseTools{[this](const ToolCall &call) {
            calls << (QStringList{call.executable} + call.arguments);
            events << QStringLiteral("run ") + callId(call);
            return replies.value(callId(call));
        }};
    }
    StageProgress progress()
    {
        return [this](int stage, LiveStageStatus status) {
            events << QStringLiteral("stage %1 ").arg(stage) + word(status);
        };
    }
};

const QStringList kTitles{"Code signature", "Developer ID", "Hardened Runtime", "Release entitlements",
                          "Gatekeeper assessment"};

} // namespace

Q_DECLARE_METATYPE(Shell::DataResult)

class AppInspectionTest : public QObject {
    Q_OBJECT

private slots:
    void checks_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<Shell::DataResult>("answer");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("detail");

        const auto row = [](const char *name, const char *call, Shell::DataResult answer, int check,
                            const char *status, const QString &detail) {
            QTest::newRow(name) << QString(call) << answer << check << QString(status) << detail;
        };
        const QString noDeveloperId = "Veristamp could not find a Developer ID Application signing authority.";
        const QString noRuntime = "Veristamp did not find the Hardened Runtime flag in the code signature.";
        const QString noRisk = "No common development or weakened-runtime entitlements were detected.";

        row("verified signature reads the fixed sentence", "C1", reply(0, "ok\n", "valid on disk\n"), 0, "PASS",
            "The application passed codesign verification.");
        row("failed verification shows both streams, CR LF folded", "C1",
            reply(1, "--prepared:/A/x.framework\r\n", "/A: a sealed resource is missing or invalid\r\n"), 0, "FAIL",
            "--prepared:/A/x.framework /A: a sealed resource is missing or invalid");
        row("silent failed verification", "C1", reply(1, ""), 0, "FAIL",
            "The application failed codesign verification.");

        row("ad-hoc without authority lines", "C2",
            reply(0, "", "Identifier=x\nCodeDirectory v=20400 flags=0x20002(adhoc,linker-signed)\nSignature=adhoc\n"),
            1, "FAIL", "The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.");
        row("ad-hoc mark outranks a Developer ID authority", "C2",
            reply(0, "", "Authority=Developer ID Application: X (1)\nSignature=adhoc\n"), 1, "FAIL",
            "The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.");
        row("development certificate", "C2",
            reply(0, "", "Authority=Apple Development: Jane Doe (ABCDE12345)\nAuthority=Apple Root CA\n"), 1, "WARN",
            "Signing authority: Apple Development: Jane Doe (ABCDE12345)");
        row("Developer ID authority on a later line", "C2",
            reply(0, "", "Authority=Apple Distribution: Example\nAuthority=Developer ID Application: Example (1)\n"), 1,
            "PASS", "Apple Distribution: Example");
        row("indented authority line is not read", "C2",
            reply(0, "", "  Authority=Developer ID Application: X (1)\n"), 1, "WARN", noDeveloperId);
        row("unsigned app", "C2", reply(1, "", "/A: code object is not signed at all\n"), 1, "WARN", noDeveloperId);

        row("RUNTIME in capitals, second flags line never read", "C2",
            reply(0, "CodeDirectory v=20500 flags=0x10000(RUNTIME)\nflags=0x0(none)\n"), 2, "PASS",
            "The code signature includes the Hardened Runtime flag.");
        row("only a later flags line has runtime", "C2",
            reply(0, "CodeDirectory flags=0x0(none)\nCodeDirectory flags=0x10000(runtime)\n"), 2, "WARN", noRuntime);
        row("Runtime Version line without flags", "C2", reply(0, "", "Runtime Version=14.0.0\n"), 2, "WARN",
            noRuntime);

        const auto entitlements = [](const QByteArray &out) { return Shell::DataResult{0, entitlementsPlist(out), {}}; };
        row("get-task-allow false", "C3", entitlements("<key>com.apple.security.get-task-allow</key><false/>\n"), 3,
            "PASS", noRisk);
        row("two risky keys named in list order", "C3",
            entitlements("<key>com.apple.security.cs.allow-dyld-environment-variables</key><true/>\n"
                         "<key>com.apple.security.get-task-allow</key><true/>\n"),
            3, "WARN",
            "Review before shipping: com.apple.security.get-task-allow, "
            "com.apple.security.cs.allow-dyld-environment-variables.");
        row("exactly Executable=", "C3", reply(0, " Executable=\n"), 3, "PASS",
            "No signed entitlements were reported.");
        row("unreadable entitlements", "C3", reply(0, "[Dict]\n\t[Key] com.apple.security.get-task-allow\n"), 3,
            "PASS", noRisk);
        row("entitlements on standard error are not read", "C3",
            Shell::DataResult{0, {}, entitlementsPlist("<key>com.apple.security.get-task-allow</key><true/>\n")}, 3,
            "PASS", "No signed entitlements were reported.");

        row("accepted with the tool's words", "S1", reply(0, "", "/A: accepted\nsource=Notarized Developer ID\n"), 4,
            "PASS", "/A: accepted source=Notarized Developer ID");
        row("accepted silently", "S1", reply(0, ""), 4, "PASS", "Gatekeeper accepted the application.");
        row("rejected", "S1", reply(3, "", "/A: rejected\nsource=Unnotarized Developer ID\n"), 4, "FAIL",
            "/A: rejected source=Unnotarized Developer ID");
        row("rejected silently", "S1", reply(3, ""), 4, "FAIL", "Gatekeeper did not accept the application.");
    }
    void checks()
    {
        QFETCH(QString, call);
        QFETCH(Shell::DataResult, answer);
        QFETCH(int, check);
        QFETCH(QString, status);
        QFETCH(QString, detail);

        ScriptedTools script;
        script.replies[call] = answer;
        QStringList stages;
        const auto result = inspectApplication(QUrl::fromLocalFile(kApp), script.tools(),
                                               [&](int, LiveStageStatus s) { stages << word(s); });

        QStringList titles;
        QStringList outcomes; // each stage reads as its check
        for (const InspectionCheck &each : result.checks) {
            titles << each.title;
            outcomes << rawValue(each.status);
        }
        QCOMPARE(titles, kTitles);
        QCOMPARE(stages, outcomes);
        QCOMPARE(label(result.checks[check].status), status);
        QCOMPARE(result.checks[check].detail, detail);
    }

    void keepsTheEntitlementsText()
    {
        ScriptedTools script;
        script.replies["C3"] = reply(0, "warning: Specifying ':' is deprecated\n<?xml version=\"1.0\"?><plist/>\n\n");
        QCOMPARE(inspectApplication(QUrl::fromLocalFile(kApp), script.tools()).entitlements,
                 QStringLiteral("<?xml version=\"1.0\"?><plist/>"));
        script.replies["C3"] = reply(0, "[Dict]\n\t[Key] a\n");
        QCOMPARE(inspectApplication(QUrl::fromLocalFile(kApp), script.tools()).entitlements,
                 QStringLiteral("[Dict]\n\t[Key] a"));
    }

    void toolsThatCannotStartStillGiveEveryCheck()
    {
        const QByteArray reason = "The file \xe2\x80\x9c" "codesign\xe2\x80\x9d doesn\xe2\x80\x99t exist.";
        const ReleaseTools tools{[&](const ToolCall &) { return Shell::DataResult{-1, {}, reason}; }};
        const auto result = inspectApplication(QUrl::fromLocalFile(kApp), tools);

        const QStringList expected{
            "FAIL " + QString::fromUtf8(reason),
            "WARN Veristamp could not find a Developer ID Application signing authority.",
            "WARN Veristamp did not find the Hardened Runtime flag in the code signature.",
            "PASS No signed entitlements were reported.",
            "FAIL " + QString::fromUtf8(reason),
        };
        QStringList actual;
        for (const InspectionCheck &check : result.checks)
            actual << label(check.status) + ' ' + check.detail;
        QCOMPARE(actual, expected);
        QCOMPARE(result.entitlements, QString());
    }

    void callsTheFourToolsInOrder_data()
    {
        QTest::addColumn<QUrl>("app");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain path") << QUrl::fromLocalFile(kApp) << kApp;
        QTest::newRow("spaces kept in one argument") << QUrl::fromLocalFile("/Volumes/My Build/A B.app")
                                                     << QStringLiteral("/Volumes/My Build/A B.app");
        QTest::newRow("trailing slash of a folder URL dropped") << QUrl("file:///Applications/Example.app/") << kApp;
    }
    void callsTheFourToolsInOrder()
    {
        QFETCH(QUrl, app);
        QFETCH(QString, path);
        ScriptedTools script;
        inspectApplication(app, script.tools(), script.progress());
        const QList<QStringList> expected{
            {"/usr/bin/codesign", "--verify", "--deep", "--strict", "--verbose=2", path},
            {"/usr/bin/codesign", "-dv", "--verbose=4", path},
            {"/usr/bin/codesign", "-d", "--entitlements", ":-", path},
            {"/usr/sbin/spctl", "--assess", "--type", "execute", "--verbose=4", path},
        };
        QCOMPARE(script.calls, expected);
    }

    void reportsEachStageBeforeTheNextCall_data()
    {
        QTest::addColumn<Replies>("replies");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("ready app") << readyApp() << QStringList{"pass", "pass", "pass", "pass", "pass"};
        QTest::newRow("unsigned app") << Replies{{"C1", reply(1, "")}, {"S1", reply(3, "")}}
                                      << QStringList{"fail", "warning", "warning", "pass", "fail"};
    }
    void reportsEachStageBeforeTheNextCall()
    {
        QFETCH(Replies, replies);
        QFETCH(QStringList, statuses);
        ScriptedTools script;
        script.replies = replies;
        inspectApplication(QUrl::fromLocalFile(kApp), script.tools(), script.progress());
        const QStringList expected{
            "run C1", "stage 0 " + statuses[0],
            "run C2", "stage 1 " + statuses[1], "stage 2 " + statuses[2],
            "run C3", "stage 3 " + statuses[3],
            "run S1", "stage 4 " + statuses[4],
        };
        QCOMPARE(script.events, expected);
    }

};

QTEST_GUILESS_MAIN(AppInspectionTest)
#include "app_inspection_test.moc"
