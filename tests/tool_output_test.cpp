// The reading rules on real tool output (excerpts of published transcripts)
// and on every newline character the rules split at.

#include "engine/tool_output.h"

#include <QTest>

namespace {

// codesign -dv of a Developer ID app with the hardened runtime, as published
// (stderr, where codesign writes its display).
const char kDeveloperIdDisplay[] =
    "Executable=/Applications/Visual Studio Code.app/Contents/MacOS/Electron\n"
    "Identifier=com.microsoft.VSCode\n"
    "Format=app bundle with Mach-O universal (x86_64 arm64)\n"
    "CodeDirectory v=20500 size=768 flags=0x10000(runtime) hashes=13+7 location=embedded\n"
    "Signature size=9013\n"
    "Authority=Developer ID Application: Microsoft Corporation (UBF8T346G9)\n"
    "Authority=Developer ID Certification Authority\n"
    "Authority=Apple Root CA\n"
    "Timestamp=Mar 12, 2025 at 22:31:07\n"
    "Notarization Ticket=stapled\n"
    "TeamIdentifier=UBF8T346G9\n";

// The same display as it was published inside a code comment, every line
// indented by 13 spaces: none of these lines is an authority line.
QString indented(const char *text)
{
    QStringList lines = QString::fromUtf8(text).split(QLatin1Char('\n'));
    for (QString &line : lines) {
        if (!line.isEmpty())
            line.prepend(QString(13, QLatin1Char(' ')));
    }
    return lines.join(QLatin1Char('\n'));
}

const char kAdHocDisplay[] =
    "Executable=/Users/thomas/git/cohttp/foo\n"
    "Identifier=foo\n"
    "Format=Mach-O thin (arm64)\n"
    "CodeDirectory v=20400 size=3324 flags=0x20002(adhoc,linker-signed) hashes=101+0 location=embedded\n"
    "Executable Segment flags=0x1\n"
    "Signature=adhoc\n"
    "TeamIdentifier=not set\n";

const char kInvalidSignature[] =
    "/Applications/PureMac.app: invalid signature (code or signature have been modified)\n"
    "In architecture: arm64\n";

const char kNoTicketOut[] = "Processing: /Users/matt/Desktop/Buckets-0.55.3.dmg\n";
const char kNoTicketErr[] = "Buckets-0.55.3.dmg does not have a ticket stapled to it.\n";

QString crlf(const QString &text)
{
    return QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

const QString kFallback = QStringLiteral("The tool gave no reason.");

} // namespace

class ToolOutputTest : public QObject {
    Q_OBJECT

private slots:
    void combinesOutputs_data()
    {
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("combined");
        QTest::newRow("both empty") << "" << "" << "";
        QTest::newRow("standard output only") << "a\n" << "" << "a\n";
        QTest::newRow("standard error only") << "" << "b" << "b";
        QTest::newRow("both, nothing trimmed") << "a\n\n b \n" << "c" << "a\n\n b \n\nc";
        QTest::newRow("stapler without a ticket") << kNoTicketOut << kNoTicketErr
                                                  << QString::fromUtf8(kNoTicketOut) + "\n" + kNoTicketErr;
    }
    void combinesOutputs()
    {
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, combined);
        QCOMPARE(combinedOutput(Shell::TextResult{1, out, err}), combined);
    }

    void condensesDetail_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail");
        QTest::newRow("lines trimmed, empty ones dropped") << "a\n\n b \n\nc" << "a b c";
        QTest::newRow("empty gives the fallback") << "" << kFallback;
        QTest::newRow("only white space gives the fallback") << " \t\n\r\n\u00A0\u2028 " << kFallback;
        QTest::newRow("space inside a line kept") << "a  b\n" << "a  b";
        QTest::newRow("tabs and no-break spaces trimmed") << "\ta\u00A0\n\u3000b\t" << "a b";
        QTest::newRow("line feed") << "one\ntwo" << "one two";
        QTest::newRow("carriage return") << "one\rtwo" << "one two";
        QTest::newRow("vertical tab") << "one\vtwo" << "one two";
        QTest::newRow("form feed") << "one\ftwo" << "one two";
        QTest::newRow("next line") << "one\u0085two" << "one two";
        QTest::newRow("line separator") << "one\u2028two" << "one two";
        QTest::newRow("paragraph separator") << "one\u2029two" << "one two";
        const QString invalid = QStringLiteral("/Applications/PureMac.app: invalid signature (code or signature have been "
                                               "modified) In architecture: arm64");
        QTest::newRow("invalid signature") << kInvalidSignature << invalid;
        QTest::newRow("invalid signature, CR LF") << crlf(kInvalidSignature) << invalid;
        QTest::newRow("stapler without a ticket")
            << QString::fromUtf8(kNoTicketOut) + "\n" + kNoTicketErr
            << "Processing: /Users/matt/Desktop/Buckets-0.55.3.dmg Buckets-0.55.3.dmg does not have a ticket stapled to it.";
    }
    void condensesDetail()
    {
        QFETCH(QString, text);
        QFETCH(QString, detail);
        QCOMPARE(condensedDetail(text, kFallback), detail);
    }

    void findsSigningAuthorities_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("authorities");
        const QStringList developerId{"Developer ID Application: Microsoft Corporation (UBF8T346G9)",
                                      "Developer ID Certification Authority", "Apple Root CA"};
        QTest::newRow("Developer ID, leaf first") << kDeveloperIdDisplay << developerId;
        QTest::newRow("Developer ID, CR LF") << crlf(kDeveloperIdDisplay) << developerId;
        QTest::newRow("indented lines are no authorities") << indented(kDeveloperIdDisplay) << QStringList{};
        QTest::newRow("ad hoc has none") << kAdHocDisplay << QStringList{};
        QTest::newRow("not at the first character") << "x Authority=A\n\tAuthority=B" << QStringList{};
        QTest::newRow("letter case is exact") << "authority=A\nAUTHORITY=B" << QStringList{};
        QTest::newRow("value kept as written") << "Authority= A \nAuthority=" << QStringList{" A ", ""};
        QTest::newRow("split at every newline") << "Authority=A\u2028Authority=B\u0085Authority=C\vAuthority=D"
                                                << QStringList{"A", "B", "C", "D"};
    }
    void findsSigningAuthorities()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, authorities);
        QCOMPARE(signingAuthorities(text), authorities);
    }
};

QTEST_GUILESS_MAIN(ToolOutputTest)
#include "tool_output_test.moc"
