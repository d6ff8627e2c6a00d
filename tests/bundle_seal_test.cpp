// A real signed app's resource seal, intact and tampered with; stapled
// tickets found in bundles and disk images, or not. Nested code is checked
// for real in nested_code_test.
#include "test_files.h"
#include "test_signer.h"

#include "codesig/bundle_layout.h"
#include "codesig/bundle_seal.h"
#include "codesig/code_reading.h"
#include "codesig/seal_rules.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace codesig;

namespace {
const QString kSeal = QStringLiteral("/Contents/_CodeSignature/CodeResources");
const QByteArray kCode(20, 'c');
} // namespace

class BundleSealTest : public QObject {
    Q_OBJECT
private slots:
    void seal_data()
    {
        QTest::addColumn<QString>("change"); // "write|remove|link <path below the app> [content]"
        QTest::addColumn<QStringList>("expected"); // @ stands for the app
        const QString h = "a sealed resource is missing or invalid";
        const QString nib = "Contents/Resources/Base.lproj/MainMenu.nib";
        const QString sealText = "write Contents/_CodeSignature/CodeResources <plist><dict><key>files2</key><dict>%1</dict>"
                                 "<key>rules2</key><dict>%2</dict></dict></plist>";
        QTest::newRow("intact") << "" << QStringList();
        QTest::newRow("resource changed") << "write " + nib << QStringList{h, "file modified: @/" + nib};
        QTest::newRow("resource now a link out") << "link " + nib + " /etc/passwd" << QStringList{h, "file modified: @/" + nib};
        QTest::newRow("sealed resource removed") << "remove " + nib << QStringList{h, "file missing: @/" + nib};
        QTest::newRow("resource added") << "write Contents/Resources/new.txt" << QStringList{h, "file added: @/Contents/Resources/new.txt"};
        QTest::newRow("omitted file added") << "write Contents/Resources/.DS_Store" << QStringList();
        QTest::newRow("added beside Contents") << "write extra" << QStringList{h, "file added: @/extra"};
        // A rule's $ ends the whole name: a trailing line feed makes another, unsealed, name.
        QTest::newRow("omitted name and a line feed") << "write Contents/MacOS/.DS_Store\n" << QStringList{h, "file added: @/Contents/MacOS/.DS_Store\n"};
        QTest::newRow("Info.plist and a line feed") << "write Contents/Info.plist\n" << QStringList{h, "file added: @/Contents/Info.plist\n"};
        QTest::newRow("PkgInfo and a line feed") << "write Contents/PkgInfo\n" << QStringList{h, "file added: @/Contents/PkgInfo\n"};
        QTest::newRow("omitted resource and a line feed") << "write Contents/Resources/Base.lproj/locversion.plist\n"
                                                  << QStringList{h, "file added: @/Contents/Resources/Base.lproj/locversion.plist\n"};
        QTest::newRow("seal removed") << "remove " + kSeal.mid(1) << QStringList{h, "the resource seal is not a readable property list"};
        QTest::newRow("seal path leaves") << sealText.arg("<key>../x</key><data>AAAA</data>", "") << QStringList{h, "the resource seal names a path outside the bundle: ../x"};
        QTest::newRow("seal rule broken") << sealText.arg("", "<key>(</key><true/>") << QStringList{h, "the resource seal holds an unusable rule: ("};
        QTest::newRow("first-version seal")
            << "write Contents/_CodeSignature/CodeResources <plist><dict><key>files</key><dict></dict><key>rules</key>"
               "<dict><key>^Resources/</key><true/></dict></dict></plist>"
            << QStringList{h, "the resource seal is of the first version (no files2, rules2), which seals Resources/ alone"};
        QTest::newRow("files2 without rules2") << sealText.arg("", "").replace("<key>rules2</key><dict></dict>", "")
                                               << QStringList{h, "the resource seal is of the first version (no files2, rules2), which seals Resources/ alone"};
    }

    void seal()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString app = unpackSignedApp(dir.path());
        const QStringList words = change.split(' ');
        const QString target = app + '/' + words.value(1);
        if (words[0] == "write")
            QVERIFY(writeAll(target, change.section(' ', 2).isEmpty() ? "changed" : change.section(' ', 2).toUtf8()));
        if (words[0] == "remove")
            QVERIFY(QFile::remove(target));
        if (words[0] == "link")
            QVERIFY(QFile::remove(target) && QFile::link(words[2], target));
        const BundleLayoutReading layout = readBundleLayout(app);
        QVERIFY(layout.layout);
        QCOMPARE(verifyBundleSeal(*layout.layout, readAll(app + kSeal), {}), expected.replaceInStrings("@", app));
    }

    // A seal's rules are POSIX extended expressions matched against the whole name.
    void ruleMatch_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("name") << "^Info\\.plist$" << "Info.plist" << true;
        QTest::newRow("name and a line feed") << "^Info\\.plist$" << "Info.plist\n" << false;
        QTest::newRow("omitted anywhere, and a line feed") << "^(.*/)?\\.DS_Store$" << "MacOS/.DS_Store\n" << false;
        QTest::newRow("any character, line feed too") << "^Resources/.*\\.lproj/" << "Resources/a\nb.lproj/x" << true;
        QTest::newRow("dollar in a bracket") << "^[$]$" << "$" << true;
        QTest::newRow("bracket opening with ]") << "^[]a]$" << "]" << true;
        QTest::newRow("backslash in a bracket") << "^a[\\.]b$" << "a\\b" << true;
        QTest::newRow("character class") << "^[[:digit:]]+$" << "123" << true;
        QTest::newRow("character class, line feed after") << "^[[:digit:]]+$" << "123\n" << false;
    }

    void ruleMatch()
    {
        QFETCH(QString, rule);
        QFETCH(QString, name);
        QString failure;
        const std::optional<SealRules> rules = readSealRules(QVariantMap{{rule, true}}, failure);
        QVERIFY2(rules, qPrintable(failure));
        QTEST(rules->match(name) != nullptr, "matches");
    }

    void ticket_data()
    {
        QTest::addColumn<QString>("package"); // "bundle", "image" (signed by the test) or the name of a real image
        QTest::addColumn<QByteArray>("ticket"); // what is stapled; empty for nothing
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("namesCode");
        QTest::newRow("bundle without") << "bundle" << QByteArray() << false << false;
        QTest::newRow("bundle, this code") << "bundle" << "s8ch" + kCode << true << true;
        QTest::newRow("real unsigned image") << "SparkleTestCodeSignApp.dmg" << QByteArray() << false << false;
        QTest::newRow("image, this code") << "image" << "s8ch" + kCode << true << true;
        QTest::newRow("image, other code") << "image" << "s8ch" + QByteArray(20, 'o') << true << false;
    }

    void ticket()
    {
        QFETCH(QString, package);
        QFETCH(QByteArray, ticket);
        QTemporaryDir dir;
        QString path = VERISTAMP_REAL_ARTIFACTS "/" + package;
        if (package == "bundle") {
            path = dir.path() + "/X.app";
            QVERIFY(writeAll(path + "/Contents/_CodeSignature/CodeResources", "seal"));
            if (!ticket.isEmpty())
                QVERIFY(writeAll(path + "/Contents/CodeResources", ticket));
        } else if (package == "image") {
            path = dir.path() + "/x.dmg";
            QVERIFY(writeAll(path, signer::diskImage(QByteArray(20, '\0'), {}, {{0x10002, ticket}})));
        }
        CodeReading code;
        code.slices.push_back(SliceSignature{});
        code.slices[0].cdHashes = {QByteArray(20, 'z'), kCode};
        const StapledTicket found = readStapledTicket(path, code);
        QTEST(found.present, "present");
        QTEST(found.namesCode, "namesCode");
    }
};

QTEST_GUILESS_MAIN(BundleSealTest)
#include "bundle_seal_test.moc"
