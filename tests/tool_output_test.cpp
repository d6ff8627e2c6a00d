// The reading rules on real tool output (excerpts of published transcripts)
// and on every newline character the rules split at.

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

const QString kNoTicketOut = QStringLiteral("Processing: /Users/matt/Desktop/Buckets-0.55.3.dmg\n");
const QString kNoTicketErr = QStringLiteral("Buckets-0.55.3.dmg does not have a ticket stapled to it.\n");

QString crlf(QString text) { return text.replace("\n", "\r\n"); }

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
        QTest::newRow("stapler without a ticket, nothing trimmed") << kNoTicketOut << kNoTicketErr
                                                                   << kNoTicketOut + "\n" + kNoTicketErr;
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
        QTest::newRow("lines trimmed, empty ones dropped, inner space kept")
            << "\ta\u00A0\n\n b  c \n\n\u3000d\t" << "a b  c d";
        QTest::newRow("empty gives the fallback") << "" << kFallback;
        QTest::newRow("only white space gives the fallback") << " \t\n\r\n\u00A0\u2028 " << kFallback;
        QTest::newRow("every newline character") << "1\n2\r3\v4\f5\u00856\u20287\u20298" << "1 2 3 4 5 6 7 8";
        const QString invalid = QStringLiteral("/Applications/PureMac.app: invalid signature (code or signature have been "
                                               "modified) In architecture: arm64");
        QTest::newRow("invalid signature") << kInvalidSignature << invalid;
        QTest::newRow("invalid signature, CR LF") << crlf(kInvalidSignature) << invalid;
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
        const QString indent(13, QLatin1Char(' '));
        QTest::newRow("Developer ID, leaf first") << kDeveloperIdDisplay << developerId;
        QTest::newRow("Developer ID, CR LF") << crlf(kDeveloperIdDisplay) << developerId;
        QTest::newRow("indented lines are no authorities")
            << indent + QString(kDeveloperIdDisplay).replace("\n", "\n" + indent) << QStringList{};
        QTest::newRow("not at the first character, other case") << "x Authority=A\n\tAuthority=B\nauthority=C"
                                                                << QStringList{};
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
