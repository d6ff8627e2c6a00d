// The code-signature reader against real signed code (a Developer ID app, a
// Developer ID universal command-line tool), copies of it changed after
// signing, and hostile bytes; and what a signature must prove before its code
// reads valid: that it covers every byte before it and nothing follows it,
// that its file and SuperBlob are laid out once and without overlaps, that it
// binds every CodeDirectory it reports from, and that its chain is held to its
// purpose. Hostile rows are made by the test signer and by changing a real
// Developer ID executable.

#include "test_files.h"
#include "test_signer.h"

#include "codesig/certificate_chain.h"
#include "codesig/code_reading.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <openssl/x509.h>

using namespace signer;

namespace {

const QString modified = QStringLiteral("invalid signature (code or signature have been modified)");
const QString strict = QStringLiteral("main executable failed strict validation");
const QString arm64 = QStringLiteral("In architecture: arm64");
const QStringList developerIdChain = {QStringLiteral("Developer ID Certification Authority"),
                                      QStringLiteral("Apple Root CA")};

Directory directory(int hashType, std::optional<quint32> codeLimit = {}, std::optional<quint32> codeSlots = {})
{
    return Directory{.hashType = hashType, .codeLimit = codeLimit, .codeSlots = codeSlots, .special = {}};
}

QByteArray signedThin(quint32 codeSize, const QList<Directory> &directories, const QList<Blob> &more = {})
{
    QByteArray thin = thinImage(codeSize);
    sign(thin, directories, more);
    return thin;
}

// The real signature with an alternate SHA-384 CodeDirectory of another
// identifier, and a CMS signature (by a foreign certificate) that lists no
// CDHashes; the room its signing tool reserved holds the larger SuperBlob.
QByteArray unboundAlternate(const QByteArray &macho)
{
    const qsizetype offset = signatureOffset(macho);
    QList<Blob> blobs = foreignSigned(macho);
    Directory forged = directory(4);
    forged.identifier = "com.zoo.ForgedApp";
    forged.flags = 0;
    blobs.insert(1, Blob{0x1000, codeDirectory(macho.left(offset), forged)});
    return withBlobs(macho, blobs);
}

} // namespace

class SignatureTrustTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QByteArray m_developerId; // the real app's arm64 executable
    // A fresh copy of DevSignedApp.app, as its author made it.
    QString extractApp(const QString &name) { return unpackSignedApp(m_root.filePath(name)); }
    // A stand-in for Apple's authorities: one root, a Developer ID CA, another CA, a timestamp CA.
    const QStringList m_authority{"basicConstraints=critical,CA:TRUE", "keyUsage=critical,keyCertSign"};
    Issued m_root_ca = issue("Test Root CA", nullptr, m_authority);
    QMap<QString, Issued> m_issuers{
        {"Developer ID CA", issue("Developer ID Certification Authority", &m_root_ca,
                                  m_authority + QStringList{"1.2.840.113635.100.6.2.6=DER:05:00"})},
        {"other CA", issue("Developer Relations CA", &m_root_ca, m_authority)},
        {"timestamp CA", issue("Timestamp CA", &m_root_ca, m_authority)}};

private slots:
    void initTestCase()
    {
        m_developerId = readAll(unpackSignedApp(m_root.path()) + QStringLiteral("/Contents/MacOS/SignedApp"));
        QVERIFY(!m_developerId.isEmpty());
    }

    void developerIdAppReadsAsSigned()
    {
        const QString app = extractApp(QStringLiteral("real"));
        const codesig::CodeReading bundle = codesig::readCode(app);
        QCOMPARE(bundle.format, QStringLiteral("app bundle with Mach-O thin (arm64)"));
        QCOMPARE(bundle.executablePath, app + QStringLiteral("/Contents/MacOS/SignedApp"));
        QCOMPARE(bundle.failures, QStringList());
        QCOMPARE(bundle.slices.size(), std::size_t(1));
        const codesig::SliceSignature &slice = bundle.slices.front();
        QCOMPARE(slice.architecture, QStringLiteral("arm64"));
        QCOMPARE(slice.identifier, QStringLiteral("com.zoo.SignedApp"));
        QCOMPARE(slice.teamIdentifier, QStringLiteral("ZCK58M894E"));
        QCOMPARE(slice.flags, 0u);
        QCOMPARE(slice.hashType, QStringLiteral("sha256"));
        QCOMPARE(slice.authorities, QStringList{QStringLiteral("Developer ID Application: Mayur Pawashe (ZCK58M894E)")} + developerIdChain);
        QCOMPARE(slice.validityRule, codesig::ValidityRule::secureTimestamp);
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
        const codesig::CodeReading reading = codesig::readCode(binary);
        QCOMPARE(reading.format, QStringLiteral("Mach-O universal (x86_64 arm64)"));
        QCOMPARE(reading.failures, QStringList());
        QCOMPARE(reading.slices.size(), std::size_t(2));
        for (const codesig::SliceSignature &slice : reading.slices) {
            QVERIFY(slice.flags & 0x10000);
            QCOMPARE(slice.teamIdentifier, QStringLiteral("97JCY7859U"));
            QCOMPARE(slice.authorities, QStringList{QStringLiteral("Developer ID Application: GetSentry LLC (97JCY7859U)")} + developerIdChain);
            QCOMPARE(slice.validityRule, codesig::ValidityRule::secureTimestamp);
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
        QCOMPARE(codesig::readCode(app).failures, QStringList({headline, arm64}));
    }

    void onlyWhatTheSignatureCoversReadsValid_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<QString>("identifier"); // reported from the first slice; empty: not asked

        const QByteArray arm = signedThin(8192, {{}});
        QByteArray intel = thinImage(8192);
        putLe32(intel, 4, 0x01000007);
        sign(intel, {{}});
        QByteArray shortLimit = signedThin(8192, {directory(2, 4096)});
        shortLimit[6000] = char(shortLimit[6000] ^ 1);
        const QByteArray secondSignatureCommand = QByteArray::fromHex("1d00000010000000") + QByteArray::fromHex("0020000000100000");
        QByteArray twoCommands = thinImage(8192, secondSignatureCommand, 1);
        sign(twoCommands, {{}});
        QByteArray slackTable = thinImage(8192, {}, 0, 24);
        sign(slackTable, {{}});
        const QByteArray data(8192, 'd');

        QTest::newRow("ad hoc, whole") << arm << QStringList() << "com.example.tool";
        QTest::newRow("ad hoc, SHA-1 and SHA-256") << signedThin(8192, {directory(1), directory(2)}) << QStringList() << "";
        QTest::newRow("universal, whole") << universal({{arm, 16384}, {intel, 32768}}) << QStringList() << "";
        QTest::newRow("Developer ID, whole") << m_developerId << QStringList() << "com.zoo.SignedApp";
        QTest::newRow("disk image, whole") << diskImage(data, {}) << QStringList() << "";

        const QStringList notCovered = {modified, arm64, "the code signature does not cover the whole executable"};
        QTest::newRow("limit short, byte past it changed") << shortLimit << notCovered << "";
        QTest::newRow("limit zero") << signedThin(8192, {directory(2, 0)}) << notCovered << "";
        QTest::newRow("alternate's limit short") << signedThin(8192, {{}, directory(1, 4096)}) << notCovered << "";
        QTest::newRow("one slot for two pages") << signedThin(8192, {directory(2, {}, 1)})
            << QStringList{modified, arm64, "the CodeDirectory's page count does not match its code limit"} << "";
        QTest::newRow("disk image limit short") << diskImage(data, directory(2, 4096))
            << QStringList{modified, "the code signature does not cover the whole image"} << "";
        QTest::newRow("Developer ID, bytes appended") << m_developerId + QByteArray(16, '\0')
            << QStringList{strict, "data follows the code signature"} << "";

        QTest::newRow("two signature commands") << twoCommands
            << QStringList{strict, "the Mach-O file has more than one code signature command"} << "";
        QTest::newRow("load commands short of their table") << slackTable
            << QStringList{strict, "the load commands do not fill their table"} << "";
        QTest::newRow("architectures overlap") << universal({{arm, 16384}, {intel, 16384}})
            << QStringList{strict, "two architectures of the universal file overlap"} << "";
        QTest::newRow("architecture twice") << universal({{arm, 16384}, {arm, 32768}})
            << QStringList{strict, "the universal file holds an architecture twice"} << "";
        QTest::newRow("two blobs of one type") << signedThin(8192, {{}}, {{0x10000, cmsBlob()}})
            << QStringList{modified, arm64, "the embedded signature holds two blobs of type 0x10000"} << "";
        QTest::newRow("blob over the CodeDirectory") << signedThin(8192, {{}}, {{0x20, {}, 12 + 3 * 8}})
            << QStringList{modified, arm64, "two blobs of the embedded signature overlap"} << "";
        QTest::newRow("blob over the index") << signedThin(8192, {{}}, {{0x20, {}, 0}})
            << QStringList{modified, arm64, "two blobs of the embedded signature overlap"} << "";

        QTest::newRow("alternate not bound by the CMS") << unboundAlternate(m_developerId)
            << QStringList{modified, arm64, "the signature does not bind its alternate CodeDirectories"} << "com.zoo.SignedApp";

        // Hostile bytes: the real executable's fields made huge or cut, a universal header and a disk image trailer of nothing.
        const qsizetype signature = signatureOffset(m_developerId), directory = blobOffset(m_developerId, 0);
        const auto patched = [&](qsizetype at, quint32 value) { QByteArray copy = m_developerId; putBe32(copy, at, value); return copy; };
        const auto damaged = [](const QString &reason) { return QStringList{modified, arm64, reason}; };
        QByteArray koly(1024, '\0');
        koly.replace(512, 4, "koly");
        qToBigEndian<quint64>(0xfffffffffffff000ull, koly.data() + 512 + 296);
        qToBigEndian<quint64>(0x2000, koly.data() + 512 + 304);
        QTest::newRow("empty") << QByteArray() << QStringList{"code object is not signed at all"} << "";
        QTest::newRow("header cut") << m_developerId.left(20) << QStringList{strict, "the Mach-O header is truncated"} << "";
        QTest::newRow("signature cut") << m_developerId.left(signature + 100) << damaged("the signature lies outside the file") << "";
        QTest::newRow("universal count huge") << patched(0, 0xcafebabe).replace(4, 4, "\xff\xff\xff\xff")
                                              << QStringList{strict, "the universal header is damaged"} << "";
        QTest::newRow("universal slice past end")
            << QByteArray::fromHex("cafebabe00000001" "0100000c00000000" "0000100000ffffff" "0000000e")
            << QStringList{strict, "an architecture lies outside the file"} << "";
        QTest::newRow("blob count huge") << patched(signature + 8, 0xffffffff) << damaged("the embedded signature is damaged") << "";
        QTest::newRow("blob offset past end") << patched(signature + 16, 0x7ffffff0)
                                              << damaged("the embedded signature's index points outside it") << "";
        QTest::newRow("code slots huge") << patched(directory + 28, 0xffffffff)
                                         << damaged("the CodeDirectory's hash slots lie outside it") << "";
        QTest::newRow("code limit huge") << patched(directory + 32, 0xfffffff0)
                                         << damaged("the code signature does not cover the whole executable") << "";
        QTest::newRow("page size huge") << patched(directory + 36, 0x20020040)
                                        << damaged("the CodeDirectory's page count does not match its code limit") << "";
        QTest::newRow("identifier past end") << patched(directory + 20, 0xfffffff0)
                                             << damaged("the CodeDirectory's identifier lies outside it") << "";
        QTest::newRow("disk image signature past end") << koly << QStringList{modified, "the signature lies outside the image"} << "";
    }

    void onlyWhatTheSignatureCoversReadsValid()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, identifier);
        const QString path = m_root.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(writeAll(path, bytes));
        const codesig::CodeReading reading = codesig::readCode(path);
        QTEST(reading.failures, "failures");
        if (!identifier.isEmpty())
            QCOMPARE(reading.slices.at(0).identifier, identifier);
    }

    // A disk image's signature check and its ticket lookup read one SuperBlob
    // through one index: what one refuses, the other finds no ticket in.
    void imageSignatureAndTicketAgree_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("failures");
        QTest::addColumn<bool>("ticket");
        const QByteArray data(8192, 'd');
        const Blob ticket{0x10002, "s8ch" + QByteArray(20, 't')};
        const QByteArray stapled = diskImage(data, {}, {ticket});
        // The trailer's signature length stretched past 16 MiB over zeros after the SuperBlob.
        QByteArray trailer = stapled.right(512);
        const quint64 padding = 16 * 1024 * 1024;
        qToBigEndian<quint64>(qFromBigEndian<quint64>(trailer.constData() + 304) + padding, trailer.data() + 304);
        const QByteArray stretched = stapled.chopped(512) + QByteArray(qsizetype(padding), '\0') + trailer;

        QTest::newRow("stapled") << stapled << QStringList() << true;
        QTest::newRow("ticket over the CodeDirectory") << diskImage(data, {}, {{0x10002, {}, 12 + 3 * 8}})
            << QStringList{modified, "two blobs of the embedded signature overlap"} << false;
        QTest::newRow("two tickets") << diskImage(data, {}, {ticket, ticket})
            << QStringList{modified, "the embedded signature holds two blobs of type 0x10002"} << false;
        QTest::newRow("signature longer than any") << stretched
            << QStringList{modified, "the signature is longer than any signature could be"} << false;
    }

    void imageSignatureAndTicketAgree()
    {
        QFETCH(QByteArray, bytes);
        const QString path = m_root.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_') + ".dmg");
        QVERIFY(writeAll(path, bytes));
        const codesig::CodeReading reading = codesig::readCode(path);
        QTEST(reading.failures, "failures");
        QTEST(codesig::readStapledTicket(path, reading).present, "ticket");
    }

    void chainsAreHeldToTheirPurpose_data()
    {
        QTest::addColumn<QString>("issuer");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("leafExtensions");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<bool>("developerId");
        const QByteArray developerId = "Developer ID Application: Test (TEAMID1234)";
        const QString codeSigning = "extendedKeyUsage=critical,codeSigning";
        const QString mark = "1.2.840.113635.100.6.1.13=critical,DER:05:00";
        QTest::newRow("Developer ID") << "Developer ID CA" << developerId << QStringList{codeSigning, mark} << "" << true;
        QTest::newRow("development") << "other CA" << QByteArray("Apple Development: Test (TEAMID1234)")
                                     << QStringList{codeSigning} << "" << false;
        const QString notForCode = "the signing certificate is not meant for signing code";
        QTest::newRow("no key usage") << "Developer ID CA" << developerId << QStringList{mark} << notForCode << false;
        QTest::newRow("server key usage") << "Developer ID CA" << developerId
                                          << QStringList{"extendedKeyUsage=critical,serverAuth", mark} << notForCode << false;
        QTest::newRow("Developer ID name, no mark") << "Developer ID CA" << developerId << QStringList{codeSigning}
            << "the signing certificate is named Developer ID but is not a Developer ID Application certificate" << false;
        QTest::newRow("Developer ID under another CA") << "other CA" << developerId << QStringList{codeSigning, mark}
            << "the signing certificate is named Developer ID but not issued by a Developer ID Certification Authority" << false;
        QTest::newRow("through the timestamp CA") << "timestamp CA" << developerId << QStringList{codeSigning, mark}
            << "the signature's certificate chain does not reach an Apple root certificate" << false;
    }

    // The issuer travels with the leaf, as a signature carries its intermediates.
    void chainsAreHeldToTheirPurpose()
    {
        QFETCH(QString, issuer);
        QFETCH(QByteArray, name);
        QFETCH(QStringList, leafExtensions);
        const Issued &authority = m_issuers[issuer];
        const Issued leaf = issue(name.constData(), &authority, leafExtensions);
        codesig::AppleAnchors anchors;
        anchors.roots = {m_root_ca.certificate};
        anchors.intermediates = {m_issuers["Developer ID CA"].certificate, m_issuers["other CA"].certificate};
        anchors.timestampAuthority = m_issuers["timestamp CA"].certificate;
        codesig::CertificateStack supplied(sk_X509_new_null());
        QVERIFY(X509_add_cert(supplied.get(), authority.certificate.get(), X509_ADD_FLAG_UP_REF) == 1);
        const codesig::ChainCheck chain = codesig::checkChain(leaf.certificate.get(), supplied.get(), std::time(nullptr),
                                                              "signing time", codesig::ChainPurpose::code, anchors);
        QTEST(chain.failure, "failure");
        QTEST(chain.developerId, "developerId");
    }
};

QTEST_GUILESS_MAIN(SignatureTrustTest)
#include "signature_trust_test.moc"
