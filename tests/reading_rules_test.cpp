// The rules that read tool output (excerpts of published transcripts, every
// newline character the rules split at), the signed entitlements, and the
// names taken from a package's location.

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

const QString kInvalidSignature = QStringLiteral(
    "/Applications/PureMac.app: invalid signature (code or signature have been modified)\n"
    "In architecture: arm64\n");

QString crlf(QString text) { return text.replace("\n", "\r\n"); }

const QString kFallback = QStringLiteral("The tool gave no reason.");

QByteArray plistOf(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

QByteArray dictOf(const QByteArray &entries) { return plistOf("<dict>\n" + entries + "</dict>"); }

} // namespace

class ReadingRulesTest : public QObject {
    Q_OBJECT

private slots:
    void combinesOutputs_data()
    {
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("combined");
        const QString noTicketOut = "Processing: /Users/matt/Desktop/Buckets-0.55.3.dmg\n";
        const QString noTicketErr = "Buckets-0.55.3.dmg does not have a ticket stapled to it.\n";
        QTest::newRow("standard output only") << "a\n" << "" << "a\n";
        QTest::newRow("standard error only") << "" << "b" << "b";
        QTest::newRow("stapler without a ticket, nothing trimmed") << noTicketOut << noTicketErr
                                                                   << noTicketOut + "\n" + noTicketErr;
    }
    void combinesOutputs()
    {
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTEST(combinedOutput(Shell::TextResult{1, out, err}), "combined");
    }

    void condensesDetail_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail");
        QTest::newRow("lines trimmed, empty ones dropped, inner space kept")
            << "\ta\u00A0\n\n b  c \n\n\u3000d\t" << "a b  c d";
        QTest::newRow("empty gives the fallback") << "" << kFallback;
        QTest::newRow("only white space gives the fallback") << " \t\n\r\n\u00A0\u2028 " << kFallback;
        QTest::newRow("every newline character") << "1\n2\r3\v4\f5\u00856\u20287\u20298" << "1 2 3 4 5 6 7 8";
        const QString invalid = "/Applications/PureMac.app: invalid signature (code or signature have been modified) "
                                "In architecture: arm64";
        QTest::newRow("invalid signature") << kInvalidSignature << invalid;
        QTest::newRow("invalid signature, CR LF") << crlf(kInvalidSignature) << invalid;
    }
    void condensesDetail()
    {
        QFETCH(QString, text);
        QTEST(condensedDetail(text, kFallback), "detail");
    }

    void findsSigningAuthorities_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("authorities");
        const QStringList developerId{"Developer ID Application: Microsoft Corporation (UBF8T346G9)",
                                      "Developer ID Certification Authority", "Apple Root CA"};
        QTest::newRow("Developer ID, leaf first") << kDeveloperIdDisplay << developerId;
        QTest::newRow("Developer ID, CR LF") << crlf(kDeveloperIdDisplay) << developerId;
        QTest::newRow("not at the first character, other case") << "x Authority=A\n\tAuthority=B\nauthority=C"
                                                                << QStringList{};
        QTest::newRow("value kept as written") << "Authority= A \nAuthority=" << QStringList{" A ", ""};
        QTest::newRow("split at every newline") << "Authority=A\u2028Authority=B\u0085Authority=C\vAuthority=D"
                                                << QStringList{"A", "B", "C", "D"};
    }
    void findsSigningAuthorities()
    {
        QFETCH(QString, text);
        QTEST(signingAuthorities(text), "authorities");
    }

    void extractsThePropertyList_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");
        const QString xml = "<?xml version=\"1.0\"?><plist/>";
        const QString doctype = "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"\"><plist/>";
        QTest::newRow("Executable= between white space") << "\n  Executable=\n\t" << "";
        QTest::newRow("Executable= with a path is kept") << "Executable=/A.app/MacOS/A\n" << "Executable=/A.app/MacOS/A";
        QTest::newRow("warning before the XML header") << "warning: ':' is deprecated\n" + xml + "\n" << xml;
        QTest::newRow("doctype without XML header") << "Executable=/x\n" + doctype << doctype;
        QTest::newRow("bare plist element") << "Executable=/x\n<plist><dict/></plist>" << "<plist><dict/></plist>";
        QTest::newRow("XML header wins over an earlier plist element") << "<plist> noise " + xml << xml;
        QTest::newRow("markers are case-sensitive") << "  [Dict] <PLIST> <?XML  " << "[Dict] <PLIST> <?XML";
    }
    void extractsThePropertyList()
    {
        QFETCH(QString, output);
        QTEST(extractEntitlementsPlist(output), "expected");
    }

    // A readable dictionary's enabled risky keys, or "unreadable". (Hostile outputs: hostile_package_test.)
    void readsSignedEntitlements_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("reading");
        const QByteArray key = "<key>com.apple.security.get-task-allow</key>";
        QTest::newRow("true") << dictOf(key + "<true/>\n") << "com.apple.security.get-task-allow";
        QTest::newRow("false") << dictOf(key + "<false/>\n") << "";
        QTest::newRow("text true is not a boolean") << dictOf(key + "<string>true</string>\n") << "";
        QTest::newRow("key only inside a nested dictionary") << dictOf("<key>n</key><dict>" + key + "<true/></dict>\n") << "";
        QTest::newRow("root is an array") << plistOf("<array><true/></array>") << "unreadable";
        QTest::newRow("after 8 MiB of other text")
            << dictOf("<key>filler</key><string>" + QByteArray(8 << 20, 'x') + "</string>\n" + key + "<true/>\n")
            << "com.apple.security.get-task-allow";
    }
    void readsSignedEntitlements()
    {
        QFETCH(QByteArray, output);
        const SignedEntitlements read = readSignedEntitlements(Shell::DataResult{0, output, {}});
        QTEST(read.reading == SignedEntitlements::Reading::unreadable ? "unreadable" : read.enabledRiskyKeys.join(' '),
              "reading");
    }

    // The pending status prints as "NEXT"; a name loses only its last extension, kept as written.
    void labelsAndNames()
    {
        QCOMPARE(label(CheckStatus::pending), "NEXT");
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
