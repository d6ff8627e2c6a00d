// The rules that read tool output (excerpts of published transcripts, every
// newline character the rules split at), the signed entitlements whatever
// the tool printed, the names taken from a package's location, and the
// property list reader beneath them.

#include "hostile_inputs.h"

#include "engine/entitlements.h"
#include "engine/inspection_records.h"
#include "engine/tool_output.h"
#include "proplist/property_list.h"
#include "proplist/utf8_text_device.h"

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

// An array of one string object given as its marker and bytes.
QByteArray binaryString(const QByteArray &stringObject)
{
    return binaryPlist({"\xA1\x01", stringObject}, 1);
}

QByteArray utf16(std::initializer_list<char16_t> units)
{
    QByteArray out;
    for (const char16_t unit : units)
        out += bigEndian(unit, 2);
    return out;
}

// "refused", or the root's first item as text (a string), or its type name.
QString reading(const QByteArray &bytes)
{
    const std::optional<QVariant> root = parsePropertyList(bytes);
    if (!root)
        return QStringLiteral("refused");
    const QVariant first = root->toList().value(0);
    return first.typeId() == QMetaType::QString ? first.toString() : QString::fromLatin1(root->typeName());
}

// "refused", or each member of the flat root dictionary as key=value, in order.
QString flatReading(const QString &text)
{
    const std::optional<FlatDictionary> root = parseRootDictionary(text);
    if (!root)
        return QStringLiteral("refused");
    QStringList members;
    for (const FlatDictionary::Member &member : root->members())
        members << QString::fromUtf8(member.key) + '=' + member.value.toString();
    return members.join(' ');
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

    // The one property list reader that the engine, the signature reader and the
    // stand-ins share: whatever the bytes, it answers with a value or a refusal,
    // and a refusal comes before libplist's recursive code sees the bytes (a
    // crash or an abort there would end the whole run).
    void readsOrRefuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reading");
        QTest::newRow("XML, 200,000 arrays deep") << "<plist>" + nestedArrays(200'000) + "</plist>" << "refused";
        QTest::newRow("binary, 200,000 arrays deep") << binaryNestedArrays(200'000) << "refused";
        QTest::newRow("binary, 256 deep is read") << binaryNestedArrays(257) << "QVariantList";
        QTest::newRow("binary, an array inside itself") << binaryPlist({"\xA1\x00"}, 1) << "refused";
        QTest::newRow("binary, a reference past the table") << binaryPlist({"\xA1\x05"}, 1) << "refused";
        QTest::newRow("binary, UTF-16 with a NUL") << binaryString("\x62" + utf16({u'a', 0})) << "refused";
        QTest::newRow("binary, UTF-16 with a lone high surrogate")
            << binaryString("\x62" + utf16({u'a', 0xD83D})) << "refused";
        QTest::newRow("binary, UTF-16 with a lone low surrogate")
            << binaryString("\x62" + utf16({0xDE80, u'a'})) << "refused";
        QTest::newRow("binary, UTF-16 longer than the file") << binaryString("\x6F\x10\x7F" + utf16({u'a'})) << "refused";
        QTest::newRow("binary, ASCII with a NUL") << binaryString(QByteArray("\x53" "a\0b", 4)) << "refused";
        QTest::newRow("binary, UTF-16 with a pair") << binaryString("\x63" + utf16({0xE9, 0xD83D, 0xDE80}))
                                                    << QString::fromUtf8("\u00E9\U0001F680");
        QTest::newRow("binary, ASCII") << binaryString("\x52" "ok") << "ok";
        QTest::newRow("binary, one string referenced twice") << binaryPlist({"\xA2\x01\x01", "\x51x"}, 1) << "x";
        QTest::newRow("XML, a string") << QByteArray("<plist><array><string>a&amp;b</string></array></plist>") << "a&b";
        QTest::newRow("XML, a character reference to NUL") << QByteArray("<plist><array><string>&#0;</string></array></plist>")
                                                          << "refused";
        QTest::newRow("not a property list") << QByteArray("bplist00") << "refused";
    }
    void readsOrRefuses()
    {
        QFETCH(QByteArray, bytes);
        QTEST(reading(bytes), "reading");
    }

    // A root dictionary read flat from text: members in the document's order,
    // a repeated key as often as it came, keys as their UTF-8 bytes.
    void readsRootDictionaryFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        const QString longKey(70'000, 'k');
        QTest::newRow("white space before the declaration")
            << "\n  <?xml version=\"1.0\"?><plist><dict><key>a</key><true/></dict></plist>" << "a=true";
        QTest::newRow("a repeated key") << "<plist><dict><key>a</key><true/><key>b</key><string>x</string><key>a</key><false/></dict></plist>"
                                        << "a=true b=x a=false";
        QTest::newRow("keys of every width") << QString::fromUtf8("<dict><key>\u00E9</key><true/><key>\U0001F680</key><true/><key/><true/></dict>")
                                             << QString::fromUtf8("\u00E9=true \U0001F680=true =true");
        QTest::newRow("a key longer than a block of keys")
            << "<dict><key>a</key><true/><key>" + longKey + "</key><true/><key>b</key><true/></dict>"
            << "a=true " + longKey + "=true b=true";
        QTest::newRow("an array at the root") << "<plist><array><true/></array></plist>" << "refused";
        QTest::newRow("nested too deep inside the root")
            << "<plist><dict><key>a</key>" + QString::fromLatin1(nestedArrays(300)) + "</dict></plist>" << "refused";
        QTest::newRow("the binary form's mark") << "bplist00" << "refused";
    }
    void readsRootDictionaryFromText()
    {
        QFETCH(QString, text);
        QTEST(flatReading(text), "reading");
    }

    // Text read through the device in reads of any size is its UTF-8 bytes,
    // surrogate pairs included wherever the device's blocks end.
    void textDeviceGivesUtf8_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("readSize");
        const QString rockets = QString::fromUtf8("\U0001F680").repeated(30'000);
        for (const int size : {1, 7, 100'000}) {
            QTest::addRow("pairs at even places, reads of %d", size) << rockets << size;
            QTest::addRow("pairs at odd places, reads of %d", size) << "." + rockets << size;
        }
        QTest::newRow("a lone high surrogate at the end") << QString(40'000, 'a') + QChar(0xD83D) << 4096;
        QTest::newRow("nothing") << QString() << 16;
    }
    void textDeviceGivesUtf8()
    {
        QFETCH(QString, text);
        QFETCH(int, readSize);
        Utf8TextDevice device(text);
        QByteArray read;
        for (QByteArray piece = device.read(readSize); !piece.isEmpty(); piece = device.read(readSize))
            read += piece;
        QVERIFY(device.atEnd());
        QCOMPARE(read, text.toUtf8());
    }
};

QTEST_GUILESS_MAIN(ReadingRulesTest)
#include "reading_rules_test.moc"
