#include "codesig/bundle_tree.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace codesig {

namespace {

// Bounds against a crafted bundle: a tree this deep or this large is not
// a release a person ships, and reading on would only cost time and memory.
constexpr int kMaximumDepth = 64;
constexpr std::size_t kMaximumItems = 200000;

struct Folder {
    DIR *stream = nullptr;
    ~Folder()
    {
        if (stream)
            ::closedir(stream);
    }
};

class TreeReader {
public:
    TreeReader(BundleTree &tree, const std::function<bool(const QString &)> &keepWhole)
        : m_tree(tree), m_keepWhole(keepWhole)
    {
    }

    void read(int fd, const QByteArray &nativePath, const QString &relativePath, int depth);

private:
    void add(int parent, const char *name, const QByteArray &nativePath, const QString &relativePath, int depth);
    void fail(const QString &why)
    {
        if (m_tree.failure.isEmpty())
            m_tree.failure = why;
    }

    BundleTree &m_tree;
    const std::function<bool(const QString &)> &m_keepWhole;
};

// Takes ownership of fd.
void TreeReader::read(int fd, const QByteArray &nativePath, const QString &relativePath, int depth)
{
    Folder folder;
    folder.stream = ::fdopendir(fd);
    if (!folder.stream) {
        ::close(fd);
        fail(QStringLiteral("a folder cannot be read: %1").arg(QFile::decodeName(nativePath)));
        return;
    }
    while (const dirent *entry = ::readdir(folder.stream)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (m_tree.items.size() >= kMaximumItems) {
            fail(QStringLiteral("the bundle holds too many files to check"));
            return;
        }
        const QString relative = relativePath.isEmpty() ? QString::fromUtf8(name)
                                                        : relativePath + u'/' + QString::fromUtf8(name);
        add(::dirfd(folder.stream), entry->d_name, nativePath + '/' + name, relative, depth);
        if (!m_tree.failure.isEmpty())
            return;
    }
}

void TreeReader::add(int parent, const char *name, const QByteArray &nativePath, const QString &relativePath, int depth)
{
    struct stat status {};
    if (::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
        fail(QStringLiteral("a file cannot be read: %1").arg(QFile::decodeName(nativePath)));
        return;
    }
    TreeItem item;
    item.nativePath = nativePath;
    if (S_ISLNK(status.st_mode)) {
        char target[PATH_MAX];
        const ssize_t size = ::readlinkat(parent, name, target, sizeof target);
        item.kind = TreeItem::Kind::link;
        item.linkTarget = size > 0 ? QByteArray(target, int(size)) : QByteArray();
    } else if (S_ISDIR(status.st_mode) && !m_keepWhole(relativePath)) {
        if (depth >= kMaximumDepth) {
            fail(QStringLiteral("the bundle's folders nest too deeply to check"));
            return;
        }
        const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            fail(QStringLiteral("a folder cannot be read: %1").arg(QFile::decodeName(nativePath)));
            return;
        }
        read(fd, nativePath, relativePath, depth + 1);
        return;
    } else {
        item.kind = S_ISDIR(status.st_mode) ? TreeItem::Kind::folder
                  : S_ISREG(status.st_mode) ? TreeItem::Kind::file
                                            : TreeItem::Kind::other;
    }
    m_tree.items.emplace(relativePath, item);
}

} // namespace

BundleTree readBundleTree(const QString &root, const std::function<bool(const QString &)> &keepWhole)
{
    BundleTree tree;
    const QByteArray nativeRoot = QFile::encodeName(root);
    const int fd = ::open(nativeRoot.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        tree.failure = QStringLiteral("a folder cannot be read: %1").arg(root);
        return tree;
    }
    TreeReader(tree, keepWhole).read(fd, nativeRoot, QString(), 0);
    return tree;
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maximumSize)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > maximumSize
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.read(maximumSize + 1);
    if (bytes.size() > maximumSize)
        return std::nullopt;
    return bytes;
}

} // namespace codesig
