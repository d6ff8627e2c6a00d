// The one property list reader that the engine, the signature reader and the
// stand-ins share: whatever the bytes, it answers with a value or a refusal,
// and a refusal comes before libplist's recursive code sees the bytes (a
// crash or an abort there would end the whole run).

#include "hostile_inputs.h"
#include "proplist/property_list.h"

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
};

QTEST_GUILESS_MAIN(PropertyListTest)
#include "property_list_test.moc"
