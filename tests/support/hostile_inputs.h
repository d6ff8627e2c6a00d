#pragma once
// Property lists built to hurt a reader: nested far deeper than any real one,
// in XML and in the binary form.

#include <QByteArray>
#include <QList>

inline QByteArray nestedArrays(int levels)
{
    return QByteArray("<array>").repeated(levels) + QByteArray("</array>").repeated(levels);
}

inline QByteArray bigEndian(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(value >> (8 * i));
    return out;
}

// A binary property list whose root is objects[0]; the objects carry their
// references refSize bytes wide.
inline QByteArray binaryPlist(const QList<QByteArray> &objects, int refSize)
{
    QByteArray out = "bplist00";
    QByteArray offsets;
    for (const QByteArray &object : objects) {
        offsets += bigEndian(quint64(out.size()), 4);
        out += object;
    }
    return out + offsets + QByteArray(6, '\0') + char(4) + char(refSize) + bigEndian(quint64(objects.size()), 8)
        + bigEndian(0, 8) + bigEndian(quint64(out.size()), 8);
}

// Arrays, each holding the next, the last one empty.
inline QByteArray binaryNestedArrays(int levels)
{
    QList<QByteArray> objects;
    for (int i = 1; i < levels; ++i)
        objects << '\xA1' + bigEndian(quint64(i), 4);
    objects << QByteArray("\xA0");
    return binaryPlist(objects, 4);
}
