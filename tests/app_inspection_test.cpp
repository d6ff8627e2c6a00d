#include "engine/app_inspection.h"

#include <QTest>

namespace {

const QString kApp = QStringLiteral("/Applications/Example.app");

Shell::DataResult reply(int status, const QByteArray &out, const QByteArray &err = {})
{
    return Shell::DataResult{status, out, err};
}

QByteArray plist(const QByteArray &entries)
{
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>\n" + entries + "</dict></plist>\n";
}

const QByteArray kGetTaskAllow = "<key>com.apple.security.get-task-allow</key>";

QString word(LiveStageStatus status)
{
    static const char *const words[] = {"pending", "active", "pass", "warning", "fail"};
    return QLatin1String(words[int(status)]);
}

// A well-signed, notarized app by default; logs each call and stage report in order.
struct ScriptedTools {
    QHash<QString, Shell::DataResult> replies{
        {"C1", reply(0, "", "/Applications/Example.app: valid on disk\n")},
        {"C2", reply(0, "", "CodeDirectory v=20500 flags=0x10000(runtime)\n"
                            "Authority=Developer ID Application: Example Corp (ABCDE12345)\n")},
        {"C3", reply(0, plist("<key>com.apple.security.network.client</key><true/>\n"), "Executable=/x\n")},
        {"S1", reply(0, "", "/Applications/Example.app: accepted\n")},
    };
    QList<QStringList> calls;
    QStringList events;

    InspectionResult::AppInspection inspect(const QUrl &app = QUrl::fromLocalFile(kApp))
    {
        const ReleaseTools tools{[this](const ToolCall &call) {
            static const QHash<QString, QString> ids{{"--verify", "C1"}, {"-dv", "C2"}, {"-d", "C3"}, {"--assess", "S1"}};
            const QString id = ids.value(call.arguments.value(0));
            calls << (QStringList{call.executable} + call.arguments);
            events << "run " + id;
            return replies.value(id);
        }};
        return inspectApplication(app, tools, [this](int stage, LiveStageStatus status) {
            events << QStringLiteral("stage %1 ").arg(stage) + word(status);
        });
    }
};

QStringList outcomes(const InspectionResult::AppInspection &result)
{
    QStringList lines;
    for (const InspectionCheck &check : result.checks)
        lines << label(check.status) + ' ' + check.detail;
    return lines;
}

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
        QTest::addColumn<QString>("outcome");

        const auto row = [](const char *name, const char *call, const Shell::DataResult &answer, int check,
                            const QString &outcome) {
            QTest::newRow(name) << QString(call) << answer << check << outcome;
        };
        const QString adHoc =
            "FAIL The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.";
        const QString noRisk = "PASS No common development or weakened-runtime entitlements were detected.";
        const QString noEntitlements = "PASS No signed entitlements were reported.";

        row("verified signature", "C1", reply(0, "ok\n", "valid on disk\n"), 0,
            "PASS The application passed codesign verification.");
        row("failed verification shows both streams, CR LF folded", "C1",
            reply(1, "--prepared:/A/x.framework\r\n", "/A: a sealed resource is missing or invalid\r\n"), 0,
            "FAIL --prepared:/A/x.framework /A: a sealed resource is missing or invalid");
        row("silent failed verification", "C1", reply(1, ""), 0, "FAIL The application failed codesign verification.");
        row("ad-hoc without authority lines", "C2",
            reply(0, "", "CodeDirectory v=20400 flags=0x20002(adhoc,linker-signed)\nSignature=adhoc\n"), 1, adHoc);
        row("ad-hoc mark outranks a Developer ID authority", "C2",
            reply(0, "", "Authority=Developer ID Application: X (1)\nSignature=adhoc\n"), 1, adHoc);
        row("development certificate", "C2",
            reply(0, "", "Authority=Apple Development: Jane Doe (ABCDE12345)\nAuthority=Apple Root CA\n"), 1,
            "WARN Signing authority: Apple Development: Jane Doe (ABCDE12345)");
        row("Developer ID authority on a later line", "C2",
            reply(0, "", "Authority=Apple Distribution: Example\nAuthority=Developer ID Application: Example (1)\n"), 1,
            "PASS Apple Distribution: Example");
        row("RUNTIME in capitals, second flags line never read", "C2",
            reply(0, "CodeDirectory v=20500 flags=0x10000(RUNTIME)\nflags=0x0(none)\n"), 2,
            "PASS The code signature includes the Hardened Runtime flag.");
        row("only the first flags line decides the runtime", "C2",
            reply(0, "", "CodeDirectory v=20500 flags=0x0(none)\nExecutable Segment flags=0x10000(runtime)\n"), 2,
            "WARN Veristamp did not find the Hardened Runtime flag in the code signature.");
        row("get-task-allow false", "C3", reply(0, plist(kGetTaskAllow + "<false/>\n")), 3, noRisk);
        row("two risky keys named in list order", "C3",
            reply(0, plist("<key>com.apple.security.cs.allow-dyld-environment-variables</key><true/>\n" + kGetTaskAllow
                           + "<true/>\n")),
            3,
            "WARN Review before shipping: com.apple.security.get-task-allow, "
            "com.apple.security.cs.allow-dyld-environment-variables.");
        row("exactly Executable=", "C3", reply(0, " Executable=\n"), 3, noEntitlements);
        row("entitlements on standard error are not read", "C3", reply(0, {}, plist(kGetTaskAllow + "<true/>\n")), 3,
            noEntitlements);
        row("accepted with the tool's words", "S1", reply(0, "", "/A: accepted\nsource=Notarized Developer ID\n"), 4,
            "PASS /A: accepted source=Notarized Developer ID");
        row("accepted silently", "S1", reply(0, ""), 4, "PASS Gatekeeper accepted the application.");
        row("rejected", "S1", reply(3, "", "/A: rejected\nsource=Unnotarized Developer ID\n"), 4,
            "FAIL /A: rejected source=Unnotarized Developer ID");
        row("rejected silently", "S1", reply(3, ""), 4, "FAIL Gatekeeper did not accept the application.");
    }
    // Also: five checks in order, each stage reported with its check's status before the next call.
    void checks()
    {
        QFETCH(QString, call);
        QFETCH(Shell::DataResult, answer);
        QFETCH(int, check);
        QFETCH(QString, outcome);

        ScriptedTools script;
        script.replies[call] = answer;
        const auto result = script.inspect();

        QStringList titles;
        for (const InspectionCheck &each : result.checks)
            titles << each.title;
        QCOMPARE(titles, (QStringList{"Code signature", "Developer ID", "Hardened Runtime", "Release entitlements",
                                      "Gatekeeper assessment"}));
        QCOMPARE(outcomes(result)[check], outcome);
        const auto stage = [&](int i) {
            return QStringLiteral("stage %1 ").arg(i) + rawValue(result.checks[i].status);
        };
        QCOMPARE(script.events, (QStringList{"run C1", stage(0), "run C2", stage(1), stage(2), "run C3", stage(3),
                                             "run S1", stage(4)}));
    }

    void toolsThatCannotStartStillGiveEveryCheck()
    {
        const QByteArray reason = "The file \xe2\x80\x9c" "codesign\xe2\x80\x9d doesn\xe2\x80\x99t exist.";
        const ReleaseTools tools{[&](const ToolCall &) { return Shell::DataResult{-1, {}, reason}; }};
        const auto result = inspectApplication(QUrl::fromLocalFile(kApp), tools);
        QCOMPARE(outcomes(result), (QStringList{
                                       "FAIL " + QString::fromUtf8(reason),
                                       "WARN Veristamp could not find a Developer ID Application signing authority.",
                                       "WARN Veristamp did not find the Hardened Runtime flag in the code signature.",
                                       "WARN Signed entitlements were reported but could not be read.",
                                       "FAIL " + QString::fromUtf8(reason),
                                   }));
        QCOMPARE(result.entitlements, QString());
    }

    void callsTheFourToolsInOrder_data()
    {
        QTest::addColumn<QUrl>("app");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain path") << QUrl::fromLocalFile(kApp) << kApp;
        QTest::newRow("spaces kept in one argument")
            << QUrl::fromLocalFile("/Volumes/My Build/A B.app") << QStringLiteral("/Volumes/My Build/A B.app");
    }
    void callsTheFourToolsInOrder()
    {
        QFETCH(QUrl, app);
        QFETCH(QString, path);
        ScriptedTools script;
        script.inspect(app);
        QCOMPARE(script.calls, (QList<QStringList>{
                                   {"/usr/bin/codesign", "--verify", "--deep", "--strict", "--verbose=2", path},
                                   {"/usr/bin/codesign", "-dv", "--verbose=4", path},
                                   {"/usr/bin/codesign", "-d", "--entitlements", ":-", path},
                                   {"/usr/sbin/spctl", "--assess", "--type", "execute", "--verbose=4", path},
                               }));
    }
};

QTEST_GUILESS_MAIN(AppInspectionTest)
#include "app_inspection_test.moc"
