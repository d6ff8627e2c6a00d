// The code-signature reader against real signed code (a Developer ID app, a
// Developer ID universal command-line tool), copies of it changed after
// signing, and hostile bytes.

#include "test_files.h"
#include "test_signer.h"

#include "codesig/code_reading.h"

#include <QProcess>
#include <QtEndian>
#include <QTemporaryDir>
#include <QTest>

using namespace codesig;

namespace {

const QStringList developerIdChain = {QStringLiteral("Developer ID Certification Authority"),
                                      QStringLiteral("Apple Root CA")};

} // namespace

class CodeSignatureTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;

    // A fresh copy of DevSignedApp.app, as its author made it.
    QString extractApp(const QString &name) { return unpackSignedApp(m_root.filePath(name)); }

private slots:
    void developerIdAppReadsAsSigned()
    {
        const QString app = extractApp(QStringLiteral("real"));
        const CodeReading bundle = readCode(app);
        QCOMPARE(bundle.format, QStringLiteral("app bundle with Mach-O thin (arm64)"));
        QCOMPARE(bundle.executablePath, app + QStringLiteral("/Contents/MacOS/SignedApp"));
        QCOMPARE(bundle.failures, QStringList());
        QCOMPARE(bundle.slices.size(), std::size_t(1));
        const SliceSignature &slice = bundle.slices.front();
        QCOMPARE(slice.architecture, QStringLiteral("arm64"));
        QCOMPARE(slice.identifier, QStringLiteral("com.zoo.SignedApp"));
        QCOMPARE(slice.teamIdentifier, QStringLiteral("ZCK58M894E"));
        QCOMPARE(slice.flags, 0u);
        QCOMPARE(slice.hashType, QStringLiteral("sha256"));
        QCOMPARE(slice.authorities, QStringList{QStringLiteral("Developer ID Application: Mayur Pawashe (ZCK58M894E)")} + developerIdChain);
        QCOMPARE(slice.validityRule, ValidityRule::secureTimestamp);
        QVERIFY(slice.developerId);
        QCOMPARE(slice.secureTimestamp->date(), QDate(2023, 3, 12));
        QCOMPARE(slice.signingTime->date(), QDate(2023, 3, 12));
        QVERIFY(slice.entitlementsXml.contains("<key>com.apple.security.app-sandbox</key>"));
        QVERIFY(slice.entitlementsXml.contains("<key>com.apple.security.files.user-selected.read-only</key>"));
        QCOMPARE(slice.designatedRequirement,
                 QStringLiteral("anchor apple generic and identifier \"com.zoo.SignedApp\" and "
                                "(certificate leaf[field.1.2.840.113635.100.6.1.9] /* exists */ or "
                                "certificate 1[field.1.2.840.113635.100.6.2.6] /* exists */ and "
                                "certificate leaf[field.1.2.840.113635.100.6.1.13] /* exists */ and "
                                "certificate leaf[subject.OU] = ZCK58M894E)"));
    }

    void developerIdUniversalToolReadsAsSigned()
    {
        QProcess fetch;
        fetch.start(QStringLiteral(VERISTAMP_FETCH_TEST_BINARY), {});
        fetch.waitForFinished(300000);
        const QString binary = QString::fromLocal8Bit(fetch.readAllStandardOutput()).trimmed();
        if (fetch.exitCode() != 0 || binary.isEmpty())
            QSKIP("@sentry/cli-darwin@3.8.0 could not be fetched from the npm registry");
        const CodeReading reading = readCode(binary);
        QCOMPARE(reading.format, QStringLiteral("Mach-O universal (x86_64 arm64)"));
        QCOMPARE(reading.failures, QStringList());
        QCOMPARE(reading.slices.size(), std::size_t(2));
        for (const SliceSignature &slice : reading.slices) {
            QVERIFY(slice.flags & 0x10000);
            QCOMPARE(slice.teamIdentifier, QStringLiteral("97JCY7859U"));
            QCOMPARE(slice.authorities, QStringList{QStringLiteral("Developer ID Application: GetSentry LLC (97JCY7859U)")} + developerIdChain);
            QCOMPARE(slice.validityRule, ValidityRule::secureTimestamp);
        }
    }

    // Each row's name is the change; the failures end "In architecture: arm64".
    void changesAfterSigningAreFound_data()
    {
        QTest::addColumn<QString>("headline");
        QTest::newRow("code page") << "invalid signature (code or signature have been modified)";
        QTest::newRow("Info.plist") << "invalid Info.plist (plist or signature have been modified)";
        QTest::newRow("resource seal") << "invalid resource directory (directory or signature have been modified)";
        QTest::newRow("seal removed") << "code has no resources but signature indicates they must be present";
        QTest::newRow("foreign certificate") << "the signature's certificate chain does not reach an Apple root certificate";
    }

    void changesAfterSigningAreFound()
    {
        QFETCH(QString, headline);
        const QString change = QString::fromLatin1(QTest::currentDataTag());
        const QString app = extractApp(change);
        const QString executable = app + QStringLiteral("/Contents/MacOS/SignedApp");
        const QString seal = app + QStringLiteral("/Contents/_CodeSignature/CodeResources");
        QByteArray macho = readAll(executable);
        if (change == QLatin1String("code page")) {
            macho[0x3000] = char(macho[0x3000] ^ 0x01);
        } else if (change == QLatin1String("Info.plist")) {
            QVERIFY(writeAll(app + "/Contents/Info.plist",
                             readAll(app + "/Contents/Info.plist").replace("<string>1.0</string>", "<string>1.1</string>")));
        } else if (change == QLatin1String("resource seal")) {
            QVERIFY(writeAll(seal, readAll(seal).append('\n')));
        } else if (change == QLatin1String("seal removed")) {
            QVERIFY(QFile::remove(seal));
        } else {
            macho = signer::withBlobs(macho, signer::foreignSigned(macho)); // in the room Apple's signature took
        }
        QVERIFY(writeAll(executable, macho));
        QCOMPARE(readCode(app).failures, QStringList({headline, "In architecture: arm64"}));
    }

    void hostileBytesGiveFailures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("headline");
        const QString app = extractApp(QStringLiteral("hostile"));
        const QByteArray macho = readAll(app + QStringLiteral("/Contents/MacOS/SignedApp"));
        const qsizetype signature = signer::signatureOffset(macho);
        const qsizetype directory = signer::blobOffset(macho, 0);
        const auto patched = [&](qsizetype at, quint32 value) { QByteArray copy = macho; signer::putBe32(copy, at, value); return copy; };
        const QString damaged = "main executable failed strict validation";
        const QString modified = "invalid signature (code or signature have been modified)";
        QByteArray fat = QByteArray::fromHex("cafebabe00000001" "0100000c00000000" "0000100000ffffff" "0000000e");
        QByteArray koly(1024, '\0');
        koly.replace(512, 4, "koly");
        qToBigEndian<quint64>(0xfffffffffffff000ull, koly.data() + 512 + 296);
        qToBigEndian<quint64>(0x2000, koly.data() + 512 + 304);
        QTest::newRow("empty") << QByteArray() << "code object is not signed at all";
        QTest::newRow("header cut") << macho.left(20) << damaged;
        QTest::newRow("signature cut") << macho.left(signature + 100) << modified;
        QTest::newRow("universal count huge") << patched(0, 0xcafebabe).replace(4, 4, "\xff\xff\xff\xff") << damaged;
        QTest::newRow("universal slice past end") << fat << damaged;
        QTest::newRow("blob count huge") << patched(signature + 8, 0xffffffff) << modified;
        QTest::newRow("blob offset past end") << patched(signature + 16, 0x7ffffff0) << modified;
        QTest::newRow("code slots huge") << patched(directory + 28, 0xffffffff) << modified;
        QTest::newRow("code limit huge") << patched(directory + 32, 0xfffffff0) << modified;
        QTest::newRow("page size huge") << patched(directory + 36, 0x20020040) << modified;
        QTest::newRow("identifier past end") << patched(directory + 20, 0xfffffff0) << modified;
        QTest::newRow("disk image signature past end") << koly << modified;
    }

    void hostileBytesGiveFailures()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_root.filePath(QStringLiteral("hostile.bin"));
        QVERIFY(writeAll(path, bytes));
        QTEST(readCode(path).failures.value(0, "no failure"), "headline");
    }
};

QTEST_GUILESS_MAIN(CodeSignatureTest)
#include "code_signature_test.moc"
