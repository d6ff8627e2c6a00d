#pragma once
// A bundle's files as they lie on disk, read without following any link, so
// nothing outside the bundle is ever listed or opened: a link is an item of
// its own, known by the text it holds.

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <optional>

namespace codesig {

struct TreeItem {
    enum class Kind { file, link, folder, other };
    Kind kind = Kind::other;
    QByteArray nativePath; // absolute, to open the file
    QByteArray linkTarget; // a link's text, never resolved
};

struct BundleTree {
    std::map<QString, TreeItem> items; // by path below the root, '/'-separated
    QString failure;                   // empty when the whole tree was read
};

// Lists every file, link and other non-folder below root. A folder is entered
// unless keepWhole(its relative path) says it is one item (nested code, or a
// folder the seal does not look into), in which case it is listed as a folder.
BundleTree readBundleTree(const QString &root, const std::function<bool(const QString &)> &keepWhole);

// The bytes of a regular file, or nothing when it is missing, a link, not a
// regular file, or larger than maximumSize.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maximumSize);

} // namespace codesig
