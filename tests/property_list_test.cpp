// The one property list reader that the engine, the signature reader and the
// stand-ins share: whatever the bytes, it answers with a value or a refusal,
// and a refusal comes before libplist's recursive code sees the bytes (a
// crash or an abort there would end the whole run).

#include "hostile_inputs.h"
#include "proplist/property_list.h"
#include "proplist/utf8_text_device.h"

#include <QTest>

namespace {

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

class PropertyListTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(PropertyListTest)
#include "property_list_test.moc"
