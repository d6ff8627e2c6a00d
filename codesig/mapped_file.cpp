#include "codesig/mapped_file.h"

#include <QFile>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace codesig {

MappedFile::MappedFile(const QString &path)
{
    // O_NOFOLLOW: the path was already resolved by the caller; a link swapped
    // in since then is not followed.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        m_size = static_cast<std::size_t>(info.st_size);
        if (m_size == 0) {
            m_open = true;
        } else {
            void *mapped = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped != MAP_FAILED) {
                m_data = mapped;
                m_open = true;
            } else {
                m_size = 0;
            }
        }
    }
    ::close(fd);
}

MappedFile::~MappedFile()
{
    if (m_data)
        ::munmap(m_data, m_size);
}

} // namespace codesig
