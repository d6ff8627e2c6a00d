#pragma once
// Whether a package named on the command line can be reached at all, and how
// it is reached. A name that is a symbolic link stands for what it leads to,
// and keeps its own name and path; a link that leads nowhere is as missing as
// a missing path. Names are bytes: a name that is not valid UTF-8 (Latin-1
// from an old archive, say) is reached by its bytes, not by the text shown
// for it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// Nothing when the path leads to something; else the reason in the system's
// words, e.g. "No such file or directory" or "File name too long".
std::optional<QString> packagePathProblem(const QByteArray &path);

// The command line's bytes for each of `packages` (as decoded from it), in order.
QList<QByteArray> packageArgumentBytes(int argc, const char *const *argv, const QStringList &packages);

// Paths the inspection can take as text for names that are bytes: a name
// text cannot carry is reached through a symbolic link, named as the name is
// shown, in a private folder of the temporary folder that goes with this object.
class ReachablePaths {
public:
    // `path` itself when its text gives back its bytes; else the link to it,
    // or nothing when the link cannot be made.
    std::optional<QString> reachable(const QString &path, const QByteArray &bytes);

private:
    std::unique_ptr<QTemporaryDir> m_links;
    int m_made = 0;
};
