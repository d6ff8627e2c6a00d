#include "engine/tree_digest.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Entry {
    QByteArray path;
    char type = 'o';
    QByteArray mode;
    std::int64_t size = 0;
    QByteArray content;
};

QByteArray octalMode(mode_t mode)
{
    return QByteArray::number(unsigned(mode & 07777), 8).rightJustified(4, '0');
}

// The names in an open folder, without "." and "..". The folder's own
// descriptor stays open for the caller; the listing uses a duplicate.
std::optional<QList<QByteArray>> folderNames(int folder)
{
    const int listingFd = ::dup(folder);
    DIR *listing = listingFd < 0 ? nullptr : ::fdopendir(listingFd);
    if (!listing) {
        if (listingFd >= 0)
            ::close(listingFd);
        return std::nullopt;
    }
    QList<QByteArray> names;
    errno = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    const int error = errno;
    ::closedir(listing);
    errno = error;
    if (error != 0)
        return std::nullopt;
    return names;
}

// Depth first without recursion: a bundle nested thousands of folders deep
// costs heap, not stack. Each open folder on the way down keeps its
// descriptor, so an entry is always reached from the folder it was listed in.
class TreeWalk {
public:
    std::vector<Entry> entries;
    QString failure; // "<path>: <reason>" once the walk stopped

    ~TreeWalk()
    {
        for (const Folder &folder : m_folders)
            ::close(folder.fd);
    }

    // Takes the descriptor of the root folder and closes it.
    bool walk(int root)
    {
        if (!enter(root, QByteArray()))
            return false;
        while (!m_folders.empty()) {
            Folder &folder = m_folders.back();
            if (folder.next == folder.names.size()) {
                ::close(folder.fd);
                m_folders.pop_back();
                continue;
            }
            const QByteArray name = folder.names.at(folder.next++);
            if (!walkEntry(folder.fd, name, folder.prefix + name))
                return false;
        }
        return true;
    }

private:
    struct Folder {
        int fd;
        QByteArray prefix; // "" for the root, else its path and "/"
        QList<QByteArray> names;
        qsizetype next = 0;
    };
    std::vector<Folder> m_folders;
    std::vector<char> m_buffer = std::vector<char>(kDigestBufferSize);

    bool enter(int fd, const QByteArray &prefix)
    {
        std::optional<QList<QByteArray>> names = folderNames(fd);
        if (!names) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return fail(prefix.isEmpty() ? QByteArray(".") : prefix.chopped(1));
        }
        m_folders.push_back(Folder{fd, prefix, std::move(*names)});
        return true;
    }

    bool fail(const QByteArray &path, const QString &reason = systemErrorText(errno))
    {
        failure = QFile::decodeName(path) + QStringLiteral(": ") + reason;
        return false;
    }

    bool walkEntry(int folder, const QByteArray &name, const QByteArray &path)
    {
        struct stat info {};
        if (::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            return fail(path);
        Entry entry{path, 'o', octalMode(info.st_mode), 0, {}};
        if (S_ISDIR(info.st_mode)) {
            entry.type = 'd';
            entries.push_back(entry);
            const int child = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0)
                return fail(path);
            return enter(child, path + '/');
        }
        if (S_ISLNK(info.st_mode) && !readLink(folder, name, entry))
            return fail(path);
        if (S_ISREG(info.st_mode)) {
            if (const std::optional<QString> problem = readFile(folder, name, entry))
                return fail(path, *problem);
        }
        entries.push_back(entry);
        return true;
    }

    static bool readLink(int folder, const QByteArray &name, Entry &entry)
    {
        QByteArray target(4096, Qt::Uninitialized);
        for (;;) {
            const ssize_t length = ::readlinkat(folder, name.constData(), target.data(), size_t(target.size()));
            if (length < 0)
                return false;
            if (length < target.size()) {
                target.truncate(length);
                break;
            }
            target.resize(target.size() * 2);
        }
        entry.type = 'l';
        entry.mode.clear();
        entry.size = target.size();
        entry.content = target;
        return true;
    }

    // Opened without following links and without blocking, then checked again:
    // an entry swapped for a link or a FIFO after it was listed is not read.
    // Nothing on success, else why the file could not be read.
    std::optional<QString> readFile(int folder, const QByteArray &name, Entry &entry)
    {
        const int fd = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return systemErrorText(errno);
        struct stat info {};
        Sha256 hash;
        std::optional<QString> problem;
        std::optional<std::int64_t> size;
        if (::fstat(fd, &info) != 0)
            problem = systemErrorText(errno);
        else if (!S_ISREG(info.st_mode))
            problem = QStringLiteral("replaced while it was read");
        else if (!(size = hashDescriptor(fd, hash, m_buffer)))
            problem = systemErrorText(errno);
        ::close(fd);
        if (problem)
            return problem;
        const std::optional<QString> hex = hexDigest(hash);
        if (!hex)
            return QStringLiteral("SHA-256 is not available");
        entry.type = 'f';
        entry.mode = octalMode(info.st_mode);
        entry.size = *size;
        entry.content = hex->toLatin1();
        return std::nullopt;
    }
};

} // namespace

Digest treeDigest(const QString &folder)
{
    const int root = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        return {std::nullopt, errno == ENOTDIR ? QStringLiteral("not a folder") : systemErrorText(errno)};
    TreeWalk walk;
    if (!walk.walk(root))
        return {std::nullopt, walk.failure};

    std::sort(walk.entries.begin(), walk.entries.end(),
              [](const Entry &a, const Entry &b) { return a.path < b.path; });
    Sha256 hash;
    const char nul = '\0';
    for (const Entry &entry : walk.entries) {
        for (const QByteArray &field : {entry.path, QByteArray(1, entry.type), entry.mode,
                                        QByteArray::number(qint64(entry.size)), entry.content}) {
            hash.add(field);
            hash.add(&nul, 1);
        }
    }
    const std::optional<QString> hex = hexDigest(hash);
    return hex ? Digest{hex, {}} : Digest{std::nullopt, QStringLiteral("SHA-256 is not available")};
}
