// The app inspector against scripted tools: the call and stage contract, and
// the reading rules no fixture package shows (those are in standin_inspection_test).

#include "engine/app_inspection.h"

#include <QTest>

namespace {

const QString kApp = QStringLiteral("/Volumes/My Build/A B.app");

Shell::DataResult reply(int status, const QByteArray &out, const QByteArray &err = {})
{
    return Shell::DataResult{status, out, err};
}

const QByteArray kGetTaskAllow = "<plist version=\"1.0\"><dict><key>com.apple.security.get-task-allow</key><true/>"
                                 "</dict></plist>\n";

// A well-signed, notarized app by default; logs each call and stage report in order.
struct ScriptedTools {
    QHash<QString, Shell::DataResult> replies{
        {"--verify", reply(0, "", "valid on disk\n")},
        {"-dv", reply(0, "", "flags=0x10000(runtime)\nAuthority=Developer ID Application: Example Corp (ABCDE12345)\n")},
        {"-d", reply(0, "<plist version=\"1.0\"><dict/></plist>\n")},
        {"--assess", reply(0, "", "accepted\n")},
    };
    QStringList events;

    AppInspection inspect()
    {
        const ReleaseTools tools{[this](const ToolCall &call) {
            events << (QStringList{call.executable} + call.arguments).join('|');
            return replies.value(call.arguments.value(0));
        }};
        return inspectApplication(QUrl::fromLocalFile(kApp), tools, [this](int stage, LiveStageStatus status) {
            events << QStringLiteral("stage %1 ").arg(stage) + "??PWF"[int(status)];
        });
    }
};

QStringList outcomes(const AppInspection &result)
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
        QTest::addColumn<QString>("call"); // its first argument
        QTest::addColumn<Shell::DataResult>("answer");
        QTest::addColumn<int>("check");
        QTest::addColumn<QString>("outcome");

        QTest::newRow("failed verification shows both streams, CR LF folded")
            << "--verify" << reply(1, "--prepared:/A/x.framework\r\n", "/A: a sealed resource is missing or invalid\r\n")
            << 0 << "FAIL --prepared:/A/x.framework /A: a sealed resource is missing or invalid";
        QTest::newRow("silent failed verification")
            << "--verify" << reply(1, "") << 0 << "FAIL The application failed codesign verification.";
        QTest::newRow("ad-hoc mark outranks a Developer ID authority")
            << "-dv" << reply(0, "", "Authority=Developer ID Application: X (1)\nSignature=adhoc\n") << 1
            << "FAIL The application is ad-hoc signed rather than signed for outside-the-App-Store distribution.";
        QTest::newRow("only the first flags line decides the runtime")
            << "-dv" << reply(0, "", "CodeDirectory v=20500 flags=0x0(none)\nExecutable Segment flags=0x10000(runtime)\n")
            << 2 << "WARN Veristamp did not find the Hardened Runtime flag in the code signature.";
        QTest::newRow("entitlements on standard error are not read")
            << "-d" << reply(0, {}, kGetTaskAllow) << 3 << "PASS No signed entitlements were reported.";
        QTest::newRow("rejected silently")
            << "--assess" << reply(3, "") << 4 << "FAIL Gatekeeper did not accept the application.";
    }
    // Also: the four calls as literal vectors, a path with spaces kept in one
    // argument, and each stage reported with its check's status before the next call.
    void checks()
    {
        QFETCH(QString, call);
        QFETCH(Shell::DataResult, answer);
        QFETCH(int, check);
        ScriptedTools script;
        script.replies[call] = answer;
        const AppInspection result = script.inspect();

        QTEST(outcomes(result).value(check), "outcome");
        QStringList titles;
        for (const InspectionCheck &each : result.checks)
            titles << each.title;
        QCOMPARE(titles, (QStringList{"Code signature", "Developer ID", "Hardened Runtime", "Release entitlements",
                                      "Gatekeeper assessment"}));
        const auto stage = [&](int i) {
            return QStringLiteral("stage %1 ").arg(i) + label(result.checks[i].status).at(0);
        };
        QCOMPARE(script.events,
                 (QStringList{"/usr/bin/codesign|--verify|--deep|--strict|--verbose=2|" + kApp, stage(0),
                              "/usr/bin/codesign|-dv|--verbose=4|" + kApp, stage(1), stage(2),
                              "/usr/bin/codesign|-d|--entitlements|:-|" + kApp, stage(3),
                              "/usr/sbin/spctl|--assess|--type|execute|--verbose=4|" + kApp, stage(4)}));
    }

    void toolsThatCannotStartStillGiveEveryCheck()
    {
        const QByteArray reason = "The file \xe2\x80\x9c" "codesign\xe2\x80\x9d doesn\xe2\x80\x99t exist.";
        const ReleaseTools tools{[&](const ToolCall &) { return Shell::DataResult{-1, {}, reason}; }};
        const AppInspection result = inspectApplication(QUrl::fromLocalFile(kApp), tools);
        QCOMPARE(outcomes(result), (QStringList{
                                       "FAIL " + QString::fromUtf8(reason),
                                       "WARN Veristamp could not find a Developer ID Application signing authority.",
                                       "WARN Veristamp did not find the Hardened Runtime flag in the code signature.",
                                       "PASS No signed entitlements were reported.",
                                       "FAIL " + QString::fromUtf8(reason),
                                   }));
        QCOMPARE(result.entitlements, QString());
    }
};

QTEST_GUILESS_MAIN(AppInspectionTest)
#include "app_inspection_test.moc"
