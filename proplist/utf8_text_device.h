#pragma once
// Text read as its UTF-8 bytes, encoded a block at a time as they are read,
// so that a reader of bytes can take text of many megabytes without a whole
// encoded copy. The bytes are those of QString::toUtf8: a block never ends
// between the two halves of a surrogate pair.

#include <QByteArray>
#include <QIODevice>
#include <QStringView>

class Utf8TextDevice : public QIODevice {
public:
    explicit Utf8TextDevice(QStringView text);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QStringView m_text;
    qsizetype m_encoded = 0; // units of the text already in a block
    QByteArray m_block;
    qsizetype m_blockRead = 0;

    void encodeNextBlock();
};
