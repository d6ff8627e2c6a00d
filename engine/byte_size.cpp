#include "engine/byte_size.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <set>
#include <utility>

// A package is measured the way the platform's file manager shows a
// package's size on disk: the blocks allocated to every item inside it,
// directories included. Symbolic links are measured as links, never
// followed, so a link out of the bundle adds only itself. A file reached
// through several hard links is counted once.

namespace {

constexpr std::int64_t kMaximum = std::numeric_limits<std::int64_t>::max();

struct Item {
    bool known = false;
    bool isDirectory = false;
    std::int64_t size = 0;
    std::pair<std::uint64_t, std::uint64_t> identity; // device, inode
    bool mayBeShared = false; // reachable through another name as well
};

// statx tells which fields the file system actually filled in, so a file
// system that reports no allocation falls back to the logical size.
Item examine(int directory, const char *name)
{
    struct statx info {};
    const unsigned wanted = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_SIZE | STATX_BLOCKS;
    if (::statx(directory, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, wanted, &info) != 0)
        return {};
    Item item;
    item.known = true;
    item.isDirectory = (info.stx_mask & STATX_TYPE) && S_ISDIR(info.stx_mode);
    if (info.stx_mask & STATX_BLOCKS)
        item.size = info.stx_blocks > std::uint64_t(kMaximum) / 512 ? kMaximum : std::int64_t(info.stx_blocks * 512);
    else if (info.stx_mask & STATX_SIZE)
        item.size = info.stx_size > std::uint64_t(kMaximum) ? kMaximum : std::int64_t(info.stx_size);
    item.identity = {(std::uint64_t(info.stx_dev_major) << 32) | info.stx_dev_minor, info.stx_ino};
    item.mayBeShared = item.isDirectory || !(info.stx_mask & STATX_NLINK) || info.stx_nlink > 1;
    return item;
}

std::int64_t saturatingAdd(std::int64_t total, std::int64_t more)
{
    return more > kMaximum - total ? kMaximum : total + more;
}

class Walk {
public:
    std::int64_t measure(int directory, const char *name)
    {
        const Item item = examine(directory, name);
        if (!item.known || (item.mayBeShared && !m_seen.insert(item.identity).second))
            return 0;
        std::int64_t total = item.size;
        if (item.isDirectory)
            total = saturatingAdd(total, contents(directory, name));
        return total;
    }

private:
    // A folder that cannot be opened or listed adds nothing beyond its own entry.
    std::int64_t contents(int parent, const char *name)
    {
        const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return 0;
        DIR *listing = ::fdopendir(fd);
        if (!listing) {
            ::close(fd);
            return 0;
        }
        std::int64_t total = 0;
        while (const dirent *entry = ::readdir(listing)) {
            const char *child = entry->d_name;
            if (child[0] == '.' && (child[1] == '\0' || (child[1] == '.' && child[2] == '\0')))
                continue;
            total = saturatingAdd(total, measure(::dirfd(listing), child));
        }
        ::closedir(listing);
        return total;
    }

    std::set<std::pair<std::uint64_t, std::uint64_t>> m_seen;
};

} // namespace

std::int64_t measureByteSize(const QUrl &location)
{
    if (!location.isLocalFile())
        return 0;
    QByteArray path = QFile::encodeName(location.toLocalFile());
    // A trailing slash would make the kernel follow a link named by the path.
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty())
        return 0;
    return Walk().measure(AT_FDCWD, path.constData());
}
