#pragma once
// Text written to a device as it is made, through a small buffer, so a
// document as large as the tool output it quotes never exists in memory
// whole. Each string is escaped on the way, unit by unit; the escapers give
// the same bytes as Qt's own JSON and XML writers do for the same text.

#include <QIODevice>
#include <QStringView>

class TextStream {
public:
    explicit TextStream(QIODevice *device) : m_device(device) {}
    ~TextStream() { flush(); }
    TextStream(const TextStream &) = delete;
    TextStream &operator=(const TextStream &) = delete;

    void raw(const char *ascii);
    void raw(const QByteArray &bytes);
    // As a JSON string's content: quotes, backslashes and C0 controls escaped,
    // a lone surrogate as \uXXXX, the rest as UTF-8.
    void jsonText(QStringView text);
    // As XML 1.0 character data: & < > " escaped (in an attribute also tab,
    // line feed and carriage return), every character XML cannot carry as
    // U+FFFD, the rest as UTF-8.
    void xmlText(QStringView text, bool attribute);
    void flush();
    // False once the device refused a write.
    bool ok() const { return m_ok; }

private:
    QIODevice *m_device;
    QByteArray m_buffer;
    bool m_ok = true;

    void spill();
    void utf8(char32_t code);
};
