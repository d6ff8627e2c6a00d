#include "volume_removal.h"

#include <QStringDecoder>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The names in the working directory, read whole before anything is removed
// so that removing never disturbs the reading.
std::vector<std::string> namesHere()
{
    std::vector<std::string> names;
    DIR *folder = ::opendir(".");
    if (!folder)
        return names;
    while (const dirent *entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(folder);
    return names;
}

// Enters the folder `name` of the working directory, never through a link.
// To empty it, its owner gets full access first, so that a read-only folder
// can be emptied too.
bool enter(const char *name, bool toEmpty)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(name, flags);
    if (fd < 0 && errno == EACCES && toEmpty && ::chmod(name, 0700) == 0)
        fd = ::open(name, flags);
    if (fd < 0)
        return false;
    const bool entered = (!toEmpty || ::fchmod(fd, 0700) == 0) && ::fchdir(fd) == 0;
    ::close(fd);
    return entered;
}

// Empties the working directory, depth first; every folder entered is left
// again by "..", which leads back where it came from since nothing is
// entered through a link.
bool emptyHere(bool *lost)
{
    bool emptied = true;
    for (const std::string &name : namesHere()) {
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0)
            continue; // gone meanwhile
        if (!S_ISDIR(info.st_mode)) {
            emptied = ::unlink(name.c_str()) == 0 && emptied;
            continue;
        }
        if (!enter(name.c_str(), true)) {
            emptied = false;
            continue;
        }
        const bool inner = emptyHere(lost);
        if (*lost || ::chdir("..") != 0) {
            *lost = true;
            return false;
        }
        emptied = inner && ::rmdir(name.c_str()) == 0 && emptied;
    }
    return emptied;
}

bool isUtf8(const char *name)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(QByteArrayView(name));
    return !decoder.hasError();
}

std::optional<QByteArray> firstNotInUtf8(const QByteArray &prefix, bool *lost)
{
    for (const std::string &name : namesHere()) {
        if (!isUtf8(name.c_str()))
            return prefix + QByteArray::fromStdString(name);
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || !enter(name.c_str(), false))
            continue;
        const std::optional<QByteArray> found = firstNotInUtf8(prefix + QByteArray::fromStdString(name) + '/', lost);
        if (*lost || ::chdir("..") != 0) {
            *lost = true;
            return found;
        }
        if (found)
            return found;
    }
    return std::nullopt;
}

// Runs `work` inside the folder at `path`, and returns to the working
// directory it was called from.
template<typename Work>
bool insideFolder(const QByteArray &path, bool toEmpty, Work work)
{
    const int previous = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (previous < 0)
        return false;
    const bool entered = enter(path.constData(), toEmpty);
    if (entered)
        work();
    const bool back = ::fchdir(previous) == 0;
    ::close(previous);
    return entered && back;
}

} // namespace

bool removeTree(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlink(path.constData()) == 0;
    bool lost = false;
    bool emptied = false;
    const bool returned = insideFolder(path, true, [&] { emptied = emptyHere(&lost); });
    return returned && emptied && !lost && ::rmdir(path.constData()) == 0;
}

std::optional<QByteArray> nameNotInUtf8(const QByteArray &path)
{
    bool lost = false;
    std::optional<QByteArray> found;
    const bool returned = insideFolder(path, false, [&] { found = firstNotInUtf8(QByteArray(), &lost); });
    if (!returned || lost)
        return QByteArray(".");
    return found;
}
