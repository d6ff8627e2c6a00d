#pragma once
// A file's bytes mapped read-only for the life of the object, so that a
// 100 MB executable is hashed page by page without being copied.

#include "codesig/byte_view.h"

#include <QString>

namespace codesig {

class MappedFile {
public:
    explicit MappedFile(const QString &path);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    bool isOpen() const { return m_open; }
    ByteView bytes() const { return ByteView(static_cast<const unsigned char *>(m_data), m_size); }

private:
    void *m_data = nullptr;
    std::size_t m_size = 0;
    bool m_open = false;
};

} // namespace codesig
