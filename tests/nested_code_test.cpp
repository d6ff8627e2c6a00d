// Nested code read as the platform lays it out: versioned frameworks, XPC
// services, plug-ins, helpers and login items, dylibs, each checked in its
// own right through the real reader; bundles signed ad hoc in a temporary
// folder, and the real Sparkle app from a UDIF image made on a Mac. Then a
// real signed app's resource seal, intact and tampered with, the seal's rules,
// and stapled tickets found in bundles and disk images, or not.
#include "test_files.h"
#include "test_signer.h"

#include "codesig/bundle_layout.h"
#include "codesig/bundle_seal.h"
#include "codesig/code_reading.h"
#include "codesig/seal_rules.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace codesig;

namespace {

const QString kSealed = QStringLiteral("a sealed resource is missing or invalid");
const QString kModified = QStringLiteral("invalid signature (code or signature have been modified)");
const QString kFramework = QStringLiteral("Contents/Frameworks/F.framework");
const QString kSeal = QStringLiteral("/Contents/_CodeSignature/CodeResources");
const QByteArray kCode(20, 'c');

// An app with one of every kind of nested code, signed inside out.
QString signedApp(const QString &root)
{
    using signer::Layout;
    const QString app = root + QStringLiteral("/A.app");
    const QString contents = app + QStringLiteral("/Contents/");
    const signer::Bundle top = signer::makeBundle(app, Layout::contents, QStringLiteral("A"));
    const signer::Bundle framework = signer::makeBundle(app + u'/' + kFramework, Layout::framework, QStringLiteral("F"));
    signer::makeBundle(framework.contentRoot() + QStringLiteral("/Helpers/G.app"), Layout::contents, QStringLiteral("G"));
    signer::makeBundle(contents + QStringLiteral("XPCServices/X.xpc"), Layout::contents, QStringLiteral("X"));
    signer::makeBundle(contents + QStringLiteral("PlugIns/P.appex"), Layout::contents, QStringLiteral("P"));
    signer::makeBundle(contents + QStringLiteral("PlugIns/B.bundle"), Layout::contents, QStringLiteral("B"));
    signer::makeBundle(contents + QStringLiteral("Library/LoginItems/L.app"), Layout::contents, QStringLiteral("L"));
    signer::makeBundle(contents + QStringLiteral("Helpers/H.app"), Layout::contents, QStringLiteral("H"));
    writeAll(contents + QStringLiteral("Frameworks/libD.dylib"), "a library");
    signer::signBundle(top);
    return app;
}

// "flip|write|append|remove|link|unsign|resign <path below the app> [argument]"; write
// writes its argument, or a line feed without one.
void change(const QString &app, const QString &what)
{
    const QStringList words = what.split(u' ');
    const QString path = app + u'/' + words.value(1);
    const QString verb = words[0];
    if (verb == u"flip") {
        QByteArray bytes = readAll(path);
        bytes[1000] = char(bytes[1000] ^ 1); // a code page's padding
        QVERIFY(writeAll(path, bytes));
    } else if (verb == u"write" || verb == u"append") {
        QVERIFY(writeAll(path, verb == u"append" ? readAll(path) + "\n"
                                                 : words.size() > 2 ? what.section(u' ', 2).toUtf8() : QByteArray("\n")));
    } else if (verb == u"remove" || verb == u"link") {
        const QFileInfo info(path);
        QVERIFY(info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path));
        QVERIFY(verb == u"remove" || QFile::link(words[2], path));
    } else if (verb == u"unsign") {
        signer::writeMachO(path, "no signature", QString());
    } else if (verb == u"resign") {
        const signer::Bundle bundle = signer::existingBundle(path, QFileInfo(path).completeBaseName());
        QVERIFY(writeAll(bundle.contentRoot() + QStringLiteral("/Resources/r2.txt"), "new"));
        signer::signBundle(bundle);
    }
}

} // namespace

class NestedCodeTest : public QObject {
    Q_OBJECT
private slots:
    void nestedCode_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("expected"); // @ stands for the app, F for its framework
        const QString f = "@/" + kFramework;
        const QString inF = "In subcomponent: " + f;
        const QString arm64 = "In architecture: arm64";
        const QString unsuitable = "bundle format unrecognized, invalid, or unsuitable";
        QTest::newRow("intact") << "" << QStringList();
        QTest::newRow("framework code changed") << "flip F/Versions/A/F" << QStringList{kModified, inF, arm64};
        QTest::newRow("framework resource changed") << "write F/Versions/A/Resources/r.txt"
                                                    << QStringList{kSealed, inF, "file modified: " + f + "/Versions/A/Resources/r.txt"};
        QTest::newRow("framework Info.plist changed") << "append F/Versions/A/Resources/Info.plist"
                                                      << QStringList{"invalid Info.plist (plist or signature have been modified)", inF, arm64};
        QTest::newRow("file beside the framework's versions") << "write F/extra" << QStringList{kSealed, inF, "file added: " + f + "/extra"};
        QTest::newRow("framework link leads elsewhere") << "link F/Resources /etc" << QStringList{kSealed, inF, "file added: " + f + "/Resources"};
        QTest::newRow("second framework version") << "write F/Versions/B/F" << QStringList{kSealed, inF, "file added: " + f + "/Versions/B"};
        QTest::newRow("framework's current version leaves it")
            << "link F/Versions/Current ../.."
            << QStringList{unsuitable, inF,
                           "the framework's Versions/Current does not name a version inside it"};
        QTest::newRow("framework executable removed")
            << "remove F/Versions/A/F" << QStringList{unsuitable, inF, "the main executable is not a regular file inside Versions/A"};
        QTest::newRow("framework resources a link out")
            << "link F/Versions/A/Resources /tmp" << QStringList{unsuitable, inF, "the bundle has no Versions/A/Resources/Info.plist"};
        QTest::newRow("XPC service without Info.plist")
            << "remove Contents/XPCServices/X.xpc/Contents/Info.plist"
            << QStringList{unsuitable, "In subcomponent: @/Contents/XPCServices/X.xpc", "the bundle has no Contents/Info.plist"};
        QTest::newRow("helper inside the framework changed") << "flip F/Versions/A/Helpers/G.app/Contents/MacOS/G"
                                                             << QStringList{kModified, "In subcomponent: " + f + "/Versions/A/Helpers/G.app", arm64};
        QTest::newRow("XPC service changed") << "flip Contents/XPCServices/X.xpc/Contents/MacOS/X"
                                             << QStringList{kModified, "In subcomponent: @/Contents/XPCServices/X.xpc", arm64};
        QTest::newRow("app extension resource added")
            << "write Contents/PlugIns/P.appex/Contents/Resources/new.txt"
            << QStringList{kSealed, "In subcomponent: @/Contents/PlugIns/P.appex", "file added: @/Contents/PlugIns/P.appex/Contents/Resources/new.txt"};
        QTest::newRow("plug-in re-signed") << "resign Contents/PlugIns/B.bundle" << QStringList{kSealed, "In subcomponent: @/Contents/PlugIns/B.bundle"};
        QTest::newRow("login item removed") << "remove Contents/Library/LoginItems/L.app"
                                            << QStringList{kSealed, "file missing: @/Contents/Library/LoginItems/L.app"};
        QTest::newRow("helper left unsigned") << "unsign Contents/Helpers/H.app/Contents/MacOS/H"
                                              << QStringList{"code object is not signed at all", "In subcomponent: @/Contents/Helpers/H.app"};
        QTest::newRow("helper added after signing") << "write Contents/Helpers/New.app/Contents/Info.plist"
                                                    << QStringList{kSealed, "file added: @/Contents/Helpers/New.app"};
        QTest::newRow("dylib changed") << "flip Contents/Frameworks/libD.dylib"
                                       << QStringList{kModified, "In subcomponent: @/Contents/Frameworks/libD.dylib", arm64};
        QTest::newRow("dylib now a link") << "link Contents/Frameworks/libD.dylib F.framework/F"
                                          << QStringList{kSealed, "file modified: @/Contents/Frameworks/libD.dylib"};
    }

    void nestedCode()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString app = signedApp(dir.path());
        ::change(app, change.replace(QStringLiteral(" F/"), u' ' + kFramework + u'/'));
        QCOMPARE(readCode(app).failures, expected.replaceInStrings(QStringLiteral("@"), app));
    }

    void signingChoices_data()
    {
        QTest::addColumn<bool>("framework");
        QTest::addColumn<bool>("bindInfoPlist");
        QTest::addColumn<bool>("secondVersionSeal");
        QTest::addColumn<QStringList>("expected");
        const QStringList unbound{"invalid Info.plist (plist or signature have been modified)", "In architecture: arm64",
                                  "the Info.plist is not bound by the signature"};
        const QStringList firstVersion{kSealed, "the resource seal is of the first version (no files2, rules2), which seals Resources/ alone"};
        QTest::newRow("app") << false << true << true << QStringList();
        QTest::newRow("framework") << true << true << true << QStringList();
        QTest::newRow("app, Info.plist unbound") << false << false << true << unbound;
        QTest::newRow("framework, Info.plist unbound") << true << false << true << unbound;
        QTest::newRow("app, first-version seal") << false << true << false << firstVersion;
        QTest::newRow("framework, first-version seal") << true << true << false << firstVersion;
    }

    void signingChoices()
    {
        QFETCH(bool, framework);
        QFETCH(bool, bindInfoPlist);
        QFETCH(bool, secondVersionSeal);
        QTemporaryDir dir;
        const signer::Bundle bundle = signer::makeBundle(dir.filePath(framework ? "F.framework" : "A.app"),
                                                       framework ? signer::Layout::framework : signer::Layout::contents, "F");
        signer::SignOptions options;
        options.bindInfoPlist = bindInfoPlist;
        options.secondVersionSeal = secondVersionSeal;
        signer::signBundle(bundle, options);
        QTEST(readCode(bundle.path).failures, "expected");
    }

    void realSparkle_data()
    {
        QTest::addColumn<QString>("signing"); // "", "inside out", "helper sealed as code, then left unsigned"
        QTest::addColumn<QString>("read");    // below the app
        QTest::addColumn<QStringList>("expected");
        const QString unsignedCode = "code object is not signed at all";
        QTest::newRow("unsigned app") << "" << "" << QStringList{unsignedCode};
        QTest::newRow("unsigned framework") << "" << "Contents/Frameworks/Sparkle.framework" << QStringList{unsignedCode};
        QTest::newRow("signed inside out") << "inside out" << "" << QStringList();
        QTest::newRow("signed framework") << "inside out" << "Contents/Frameworks/Sparkle.framework" << QStringList();
        QTest::newRow("helper left unsigned")
            << "helper left unsigned" << ""
            << QStringList{unsignedCode, "In subcomponent: @/Contents/Frameworks/Sparkle.framework/Versions/A/Resources/Autoupdate.app"};
    }

    void realSparkle()
    {
        QFETCH(QString, signing);
        QFETCH(QString, read);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString volume = unpackSparkleImage(dir.path());
        if (volume.isEmpty())
            QSKIP("7zz (7-Zip) is not installed");
        const QString app = volume + QStringLiteral("/SparkleTestCodeSignApp.app");
        const signer::Bundle framework =
            signer::existingBundle(app + QStringLiteral("/Contents/Frameworks/Sparkle.framework"), QStringLiteral("Sparkle"));
        const QString helper = framework.contentRoot() + QStringLiteral("/Resources/Autoupdate.app");
        const QByteArray unsignedHelper = readAll(helper + QStringLiteral("/Contents/MacOS/Autoupdate"));
        if (signing == u"helper left unsigned") {
            signer::SignOptions sealHelper;
            sealHelper.alsoNested = QStringList{QStringLiteral("Resources/Autoupdate.app")};
            signer::signBundle(framework, sealHelper);
            signer::SignOptions shallow;
            shallow.deep = false;
            signer::signBundle(signer::existingBundle(app, QStringLiteral("Sparkle Test App")), shallow);
            // A later build step copies the helper in again, as it was before signing.
            QVERIFY(writeAll(helper + QStringLiteral("/Contents/MacOS/Autoupdate"), unsignedHelper));
            QVERIFY(QDir(helper + QStringLiteral("/Contents/_CodeSignature")).removeRecursively());
        } else if (signing == u"inside out") {
            signer::signBundle(signer::existingBundle(app, QStringLiteral("Sparkle Test App")));
        }
        QCOMPARE(readCode(read.isEmpty() ? app : app + u'/' + read).failures, expected.replaceInStrings(QStringLiteral("@"), app));
    }

    void seal_data()
    {
        QTest::addColumn<QString>("change"); // as change() reads it
        QTest::addColumn<QStringList>("expected"); // @ stands for the app
        const QString nib = "Contents/Resources/Base.lproj/MainMenu.nib";
        const QString sealText = "write Contents/_CodeSignature/CodeResources <plist><dict><key>files2</key><dict>%1</dict>"
                                 "<key>rules2</key><dict>%2</dict></dict></plist>";
        QTest::newRow("intact") << "" << QStringList();
        QTest::newRow("resource changed") << "write " + nib << QStringList{kSealed, "file modified: @/" + nib};
        QTest::newRow("resource now a link out") << "link " + nib + " /etc/passwd" << QStringList{kSealed, "file modified: @/" + nib};
        QTest::newRow("sealed resource removed") << "remove " + nib << QStringList{kSealed, "file missing: @/" + nib};
        QTest::newRow("resource added") << "write Contents/Resources/new.txt" << QStringList{kSealed, "file added: @/Contents/Resources/new.txt"};
        QTest::newRow("omitted file added") << "write Contents/Resources/.DS_Store" << QStringList();
        QTest::newRow("added beside Contents") << "write extra" << QStringList{kSealed, "file added: @/extra"};
        // A rule's $ ends the whole name: a trailing line feed makes another, unsealed, name
        // (each omitting rule's own $ in ruleMatch below).
        QTest::newRow("Info.plist and a line feed") << "write Contents/Info.plist\n" << QStringList{kSealed, "file added: @/Contents/Info.plist\n"};
        QTest::newRow("omitted resource and a line feed") << "write Contents/Resources/Base.lproj/locversion.plist\n"
                                                  << QStringList{kSealed, "file added: @/Contents/Resources/Base.lproj/locversion.plist\n"};
        QTest::newRow("seal removed") << "remove " + kSeal.mid(1) << QStringList{kSealed, "the resource seal is not a readable property list"};
        QTest::newRow("seal path leaves") << sealText.arg("<key>../x</key><data>AAAA</data>", "") << QStringList{kSealed, "the resource seal names a path outside the bundle: ../x"};
        QTest::newRow("seal rule broken") << sealText.arg("", "<key>(</key><true/>") << QStringList{kSealed, "the resource seal holds an unusable rule: ("};
        QTest::newRow("first-version seal")
            << "write Contents/_CodeSignature/CodeResources <plist><dict><key>files</key><dict></dict><key>rules</key>"
               "<dict><key>^Resources/</key><true/></dict></dict></plist>"
            << QStringList{kSealed, "the resource seal is of the first version (no files2, rules2), which seals Resources/ alone"};
        QTest::newRow("files2 without rules2") << sealText.arg("", "").replace("<key>rules2</key><dict></dict>", "")
                                               << QStringList{kSealed, "the resource seal is of the first version (no files2, rules2), which seals Resources/ alone"};
    }

    void seal()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString app = unpackSignedApp(dir.path());
        ::change(app, change);
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

QTEST_GUILESS_MAIN(NestedCodeTest)
#include "nested_code_test.moc"
