// The rules that read tool output (excerpts of published transcripts, every
// newline character the rules split at), the signed entitlements whatever
// the tool printed, and the names taken from a package's location.

#include "hostile_inputs.h"

#include "engine/entitlements.h"
#include "engine/inspection_records.h"
#include "engine/tool_output.h"

#include <QTest>

namespace {

// codesign -dv of a Developer ID app with the hardened runtime (stderr).
const QString kDeveloperIdDisplay = QStringLiteral(
    "Executable=/Applications/Visual Studio Code.app/Contents/MacOS/Electron\n"
    "Identifier=com.microsoft.VSCode\n"
    "Authority=Developer ID Application: Microsoft Corporation (UBF8T346G9)\n"
    "Authority=Developer ID Certification Authority\n"
    "Authority=Apple Root CA\n"
    "TeamIdentifier=UBF8T346G9\n");

const QString kFallback = QStringLiteral("The tool gave no reason.");

QByteArray dictionary(const QByteArray &entries, const QByteArray &declaration = "<?xml version=\"1.0\"?>")
{
    return declaration + "\n<plist version=\"1.0\"><dict>" + entries + "</dict></plist>\n";
}

} // namespace

class ReadingRulesTest : public QObject {
    Q_OBJECT

private slots:
    // One text read by one rule: "combined" joins standard output and error
    // (given as out|err), "detail" condenses it, "authorities" lists the signing
    // authorities (joined by |), "plist" takes out the property list.
    void readsToolOutput_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        const auto row = [](const char *rule, const char *name, const QString &text, const QString &reading) {
            QTest::addRow("%s: %s", rule, name) << QString::fromLatin1(rule) << text << reading;
        };
        const QString noTicketOut = "Processing: /Users/matt/Desktop/Buckets-0.55.3.dmg\n";
        const QString noTicketErr = "Buckets-0.55.3.dmg does not have a ticket stapled to it.\n";
        row("combined", "standard output only", "a\n|", "a\n");
        row("combined", "standard error only", "|b", "b");
        row("combined", "stapler without a ticket, nothing trimmed", noTicketOut + '|' + noTicketErr,
            noTicketOut + "\n" + noTicketErr);
        row("detail", "lines trimmed, empty ones dropped, inner space kept", "\ta\u00A0\n\n b  c \n\n\u3000d\t", "a b  c d");
        row("detail", "empty gives the fallback", "", kFallback);
        row("detail", "only white space gives the fallback", " \t\n\r\n\u00A0\u2028 ", kFallback);
        row("detail", "every newline character", "1\n2\r3\v4\f5\u00856\u20287\u20298", "1 2 3 4 5 6 7 8");
        const QString invalid = "/Applications/PureMac.app: invalid signature (code or signature have been modified)";
        row("detail", "invalid signature", invalid + "\r\nIn architecture: arm64\r\n", invalid + " In architecture: arm64");
        row("authorities", "Developer ID, leaf first", kDeveloperIdDisplay,
            "Developer ID Application: Microsoft Corporation (UBF8T346G9)|Developer ID Certification Authority|Apple Root CA");
        row("authorities", "not at the first character, other case", "x Authority=A\n\tAuthority=B\nauthority=C", "");
        row("authorities", "value kept as written", "Authority= A \nAuthority=", " A |");
        row("authorities", "split at every newline",
            "Authority=A\u2028Authority=B\u0085Authority=C\vAuthority=D\r\nAuthority=E", "A|B|C|D|E");
        const QString xml = "<?xml version=\"1.0\"?><plist/>";
        const QString doctype = "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>";
        row("plist", "Executable= between white space", "\n  Executable=\n\t", "");
        row("plist", "Executable= with a path is kept", "Executable=/A.app/MacOS/A\n", "Executable=/A.app/MacOS/A");
        row("plist", "warning before the XML header", "warning: ':' is deprecated\n" + xml + "\n", xml);
        row("plist", "doctype without XML header", "Executable=/x\n" + doctype, doctype);
        row("plist", "bare plist element", "Executable=/x\n<plist><dict/></plist>", "<plist><dict/></plist>");
        row("plist", "XML header wins over an earlier plist element", "<plist> noise " + xml, xml);
        row("plist", "markers are case-sensitive", "  [Dict] <PLIST> <?XML  ", "[Dict] <PLIST> <?XML");
    }
    void readsToolOutput()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        const Program::TextResult outputs{1, text.section('|', 0, 0), text.section('|', 1)};
        QTEST(rule == "combined"      ? combinedOutput(outputs)
              : rule == "detail"      ? condensedDetail(text, kFallback)
              : rule == "authorities" ? signingAuthorities(text).join('|')
                                      : extractEntitlementsPlist(text),
              "reading");
    }

    // The signed entitlements: a dictionary's enabled risky keys ("harmless"
    // when none), "none" when nothing was signed, "unreadable" for anything
    // else. How the call ended decides what its silence means: code with no
    // signature at all has nothing to report; any other failure, or a write
    // the tool could not finish, is entitlements nobody could read.
    void signedEntitlements_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QString>("reading");
        const QByteArray taskAllow = "<key>com.apple.security.get-task-allow</key>";
        const QByteArray unsigned_ = "/b/Bare.app: code object is not signed at all\n";
        const auto row = [](const char *name, const QByteArray &out, const QString &reading) {
            QTest::newRow(name) << 0 << out << QByteArray() << reading;
        };
        row("true", dictionary(taskAllow + "<true/>"), "com.apple.security.get-task-allow");
        row("false", dictionary(taskAllow + "<false/>"), "harmless");
        row("text true is not a boolean", dictionary(taskAllow + "<string>true</string>"), "harmless");
        row("key only inside a nested dictionary", dictionary("<key>n</key><dict>" + taskAllow + "<true/></dict>"), "harmless");
        row("after 8 MiB of other text",
            dictionary("<key>filler</key><string>" + QByteArray(8 << 20, 'x') + "</string>" + taskAllow + "<true/>"),
            "com.apple.security.get-task-allow");
        row("warning before a dictionary", "warning: Specifying ':' in the path is deprecated\n" + dictionary(taskAllow + "<true/>"),
            "com.apple.security.get-task-allow");
        row("root is an array", "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><array><true/></array></plist>", "unreadable");
        row("ISO-8859-1 with a non-ASCII byte",
            dictionary("<key>caf\xe9</key><true/>" + taskAllow + "<true/>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"),
            "unreadable");
        const QString utf16 = QString::fromUtf8(dictionary(taskAllow + "<true/>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
        row("UTF-16", "\xff\xfe" + QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2), "unreadable");
        row("binary", binaryPlist({"\xD1\x01\x02", "\x5F\x10\x21" "com.apple.security.get-task-allow", "\x09"}, 1), "unreadable");
        row("truncated", dictionary(taskAllow + "<true/>").chopped(16), "unreadable");
        row("nested 200,000 deep", dictionary(taskAllow + "<true/><key>deep</key>" + nestedArrays(200000)), "unreadable");
        row("NUL in the middle", dictionary(taskAllow + "<true/>" + QByteArray(1, '\0')), "unreadable");
        row("listing that is no property list", "[Dict]\n\t[Key] com.apple.security.get-task-allow\n", "unreadable");
        row("only the tool's own lines", "\nExecutable=/A.app/Contents/MacOS/A\n  \n", "none");
        QTest::newRow("not signed at all") << 1 << QByteArray() << unsigned_ << "none";
        QTest::newRow("not signed at all, Executable= on standard output")
            << 1 << QByteArray("Executable=\n") << unsigned_ << "none";
        QTest::newRow("invalid signature") << 1 << QByteArray()
                                           << QByteArray("/b/A.app: invalid signature (code or signature have been modified)\n")
                                           << "unreadable";
        QTest::newRow("not signed, but another exit status") << 3 << QByteArray() << unsigned_ << "unreadable";
        QTest::newRow("a second line beside it") << 1 << QByteArray() << unsigned_ + "write error: No space left on device\n"
                                                 << "unreadable";
        QTest::newRow("not signed, yet something on standard output") << 1 << QByteArray("<plist/>") << unsigned_
                                                                       << "unreadable";
        QTest::newRow("call failed after a dictionary") << 1 << dictionary(taskAllow + "<true/>") << QByteArray() << "unreadable";
        QTest::newRow("no output, a failed call") << 1 << QByteArray() << QByteArray() << "unreadable";
    }
    void signedEntitlements()
    {
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const SignedEntitlements read = readSignedEntitlements(Program::DataResult{exitCode, out, err});
        QTEST(read.reading == SignedEntitlements::Reading::none         ? QStringLiteral("none")
              : read.reading == SignedEntitlements::Reading::unreadable ? QStringLiteral("unreadable")
              : read.enabledRiskyKeys.isEmpty()                         ? QStringLiteral("harmless")
                                                                        : read.enabledRiskyKeys.join(u' '),
              "reading");
    }

    // A name loses only its last extension, kept as written.
    void names()
    {
        const auto names = [](const QString &path) {
            return QStringList{displayNameOf(QUrl::fromLocalFile(path)), pathExtension(QUrl::fromLocalFile(path))};
        };
        QCOMPARE(names("/Volumes/Example/My Tool.APP"), QStringList({"My Tool", "APP"}));
        QCOMPARE(names("/tmp/archive.tar.dmg"), QStringList({"archive.tar", "dmg"}));
        QCOMPARE(names("/tmp/Notes"), QStringList({"Notes", ""}));
    }
};

QTEST_GUILESS_MAIN(ReadingRulesTest)
#include "reading_rules_test.moc"
