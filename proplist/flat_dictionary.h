#pragma once
// A dictionary held flat: for one of hundreds of thousands of keys, a
// QVariantMap costs a tree node and a UTF-16 string per key, several times
// the key's own bytes. Here each key's UTF-8 bytes sit in blocks shared with
// the next keys, each value beside its key, in the order they were read, a
// repeated key as often as it came. Nothing here grows by copying itself
// whole, so a huge dictionary never needs its own size twice.

#include <QByteArrayView>
#include <QStringView>
#include <QVariant>

#include <deque>
#include <memory>
#include <vector>

class FlatDictionary {
public:
    struct Member {
        QByteArrayView key;
        qsizetype order = 0; // in the document
        QVariant value;
    };

    void append(QStringView key, QVariant value);
    std::deque<Member> &members() { return m_members; }
    const std::deque<Member> &members() const { return m_members; }

private:
    std::vector<std::unique_ptr<char[]>> m_keyBlocks;
    char *m_blockEnd = nullptr;
    qsizetype m_blockFree = 0;
    std::deque<Member> m_members;
};
