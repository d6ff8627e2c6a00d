#pragma once
// JSON written as it is made, laid out byte for byte as QJsonDocument's
// indented form (four spaces a level, "key": value, an empty container as
// "{", a line break and the closing brace). Object members must come in the
// order QJsonObject keeps them, sorted by key; writeObject sorts them.

#include "report/text_stream.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class JsonStream {
public:
    explicit JsonStream(QIODevice *device) : m_out(device) {}

    void beginObject() { begin('{'); }
    void endObject() { end('}'); }
    void beginArray() { begin('['); }
    void endArray() { end(']'); }
    // The next member's key; its value follows.
    void key(QStringView name);
    void string(QStringView text);
    void null();
    void boolean(bool value);
    void integer(qint64 value);
    void number(double value); // not finite: null
    void optionalString(const std::optional<QString> &text);
    void flush() { m_out.flush(); }
    bool ok() const { return m_out.ok(); }

private:
    struct Level {
        bool array;
        qsizetype count = 0;
    };
    TextStream m_out;
    QList<Level> m_levels;
    bool m_keyWritten = false;

    void begin(char bracket);
    void end(char bracket);
    void beforeValue();
    void indent(qsizetype level);
};

// QJsonObject's key order: by code point (not by UTF-16 unit, as QString's <
// and so QVariantMap order them; the two differ past U+D7FF).
bool jsonKeyLess(const QString &a, const QString &b);

// An object's members, written in key order whatever order they are given in.
struct JsonMember {
    QString key;
    std::function<void(JsonStream &)> value;
};
void writeObject(JsonStream &json, QList<JsonMember> members);
