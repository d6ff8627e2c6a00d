#include "engine/byte_size.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A package is measured the way the platform's file manager shows a
// package's size on disk: the blocks allocated to every item inside it,
// directories included. A package named through a symbolic link is measured
// where the link points; inside it, links are measured as links, never
// followed, so a link out of the bundle adds only itself. A file reached
// through several hard links is counted once.
//
// The walk keeps one folder open at a time and climbs back through "..", so
// neither the stack nor the open descriptors grow with the depth of a bundle,
// and no path longer than the system allows is ever formed.

namespace {

constexpr std::int64_t kMaximum = std::numeric_limits<std::int64_t>::max();

using Identity = std::pair<dev_t, ino_t>;

std::int64_t saturatingAdd(std::int64_t total, std::int64_t more)
{
    return more > kMaximum - total ? kMaximum : total + more;
}

std::int64_t allocatedSize(const struct stat &info)
{
    const std::int64_t blocks = std::int64_t(info.st_blocks);
    return blocks > kMaximum / 512 ? kMaximum : blocks * 512;
}

Identity identityOf(const struct stat &info)
{
    return {info.st_dev, info.st_ino};
}

bool sameFolder(int folder, const Identity &expected)
{
    struct stat info {};
    return ::fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) && identityOf(info) == expected;
}

// A folder whose own entry is counted and whose subfolders are still to visit.
struct Visit {
    Identity identity;
    std::vector<std::pair<std::string, Identity>> subfolders;
    std::size_t next = 0;
};

class Walk {
public:
    std::int64_t total() const { return m_total; }

    // Counts an item once; true when it is a folder seen for the first time.
    bool count(const struct stat &info)
    {
        const bool isFolder = S_ISDIR(info.st_mode);
        if ((isFolder || info.st_nlink > 1) && !m_seen.insert(identityOf(info)).second)
            return false;
        m_total = saturatingAdd(m_total, allocatedSize(info));
        return isFolder;
    }

    // Counts every entry of an open folder; a folder that cannot be listed adds nothing more.
    Visit list(int folder, const Identity &identity)
    {
        Visit visit{identity, {}, 0};
        // The listing gets its own descriptor, which closedir closes.
        const int listingFd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR *listing = listingFd < 0 ? nullptr : ::fdopendir(listingFd);
        if (!listing) {
            if (listingFd >= 0)
                ::close(listingFd);
            return visit;
        }
        while (const dirent *entry = ::readdir(listing)) {
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                continue;
            struct stat info {};
            if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && count(info))
                visit.subfolders.emplace_back(name, identityOf(info));
        }
        ::closedir(listing);
        return visit;
    }

    // Walks the folder open as `folder` depth first; takes over the descriptor.
    void walk(int folder, const Identity &identity)
    {
        std::vector<Visit> path{list(folder, identity)};
        while (!path.empty()) {
            Visit &visit = path.back();
            if (visit.next < visit.subfolders.size()) {
                const auto [name, expected] = visit.subfolders[visit.next++];
                const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                // A folder swapped since it was listed is not entered.
                if (inner < 0 || !sameFolder(inner, expected)) {
                    if (inner >= 0)
                        ::close(inner);
                    continue;
                }
                ::close(folder);
                folder = inner;
                path.push_back(list(folder, expected));
                continue;
            }
            path.pop_back();
            if (path.empty())
                break;
            const int outer = ::openat(folder, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(folder);
            folder = outer;
            // A folder moved away under the walk ends it with what was counted.
            if (folder < 0 || !sameFolder(folder, path.back().identity))
                break;
        }
        if (folder >= 0)
            ::close(folder);
    }

private:
    std::int64_t m_total = 0;
    std::set<Identity> m_seen;
};

} // namespace

std::int64_t measureByteSize(const QUrl &location)
{
    if (!location.isLocalFile())
        return 0;
    QByteArray path = QFile::encodeName(location.toLocalFile());
    // A dropped folder's URL may end in a slash, which a plain file would refuse.
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    if (path.isEmpty())
        return 0;
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return 0;
    Walk walk;
    if (walk.count(info)) {
        const int folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0 && sameFolder(folder, identityOf(info)))
            walk.walk(folder, identityOf(info));
        else if (folder >= 0)
            ::close(folder);
    }
    return walk.total();
}
