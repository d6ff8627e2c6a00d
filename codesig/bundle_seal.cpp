#include "codesig/bundle_seal.h"

#include "codesig/bundle_tree.h"
#include "codesig/seal_entries.h"
#include "codesig/seal_rules.h"

#include "proplist/property_list.h"

#include <QDir>
#include <QFileInfo>
#include <QVariantMap>

#include <algorithm>
#include <utility>
#include <vector>

namespace codesig {

namespace {

// A seal lists one line per file; even a very large bundle's stays far below
// this. Info.plist is a few kilobytes.
constexpr qint64 kMaximumSealSize = 64 * 1024 * 1024;
constexpr qint64 kMaximumInfoSize = 4 * 1024 * 1024;

QString headline()
{
    return QStringLiteral("a sealed resource is missing or invalid");
}

struct Seal {
    SealedEntries entries;
    SealRules rules;
};

// The second version of the seal (files2, rules2) when the seal has it: it
// covers every file, the first version only resources.
std::optional<Seal> readSeal(const QByteArray &bytes, QString &failure)
{
    const QStringList keys{QStringLiteral("files"), QStringLiteral("files2"), QStringLiteral("rules"),
                           QStringLiteral("rules2")};
    const std::optional<QVariant> root =
        bytes.size() > kMaximumSealSize ? std::nullopt : parsePropertyListKeepingKeys(bytes, keys);
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        failure = QStringLiteral("the resource seal is not a readable property list");
        return std::nullopt;
    }
    const QVariantMap map = root->toMap();
    const bool second = map.contains(QStringLiteral("files2"));
    std::optional<SealedEntries> entries =
        readSealedEntries(map.value(second ? QStringLiteral("files2") : QStringLiteral("files")), failure);
    if (!entries)
        return std::nullopt;
    std::optional<SealRules> rules =
        readSealRules(map.value(second ? QStringLiteral("rules2") : QStringLiteral("rules")), failure);
    if (!rules)
        return std::nullopt;
    return Seal{std::move(*entries), std::move(*rules)};
}

// Where the seal's paths start, and the files the signature itself covers
// there (the seal leaves them out: the CodeDirectory binds them).
struct ContentRoot {
    QString path;
    bool underContents = false;
    QStringList signatureCovered;
};

QString executableName(const QString &infoPlistPath)
{
    const std::optional<QByteArray> bytes = readRegularFile(infoPlistPath, kMaximumInfoSize);
    const std::optional<QVariant> info = bytes ? parsePropertyList(*bytes) : std::nullopt;
    if (!info || info->typeId() != QMetaType::QVariantMap)
        return QString();
    const QString name = textValue(info->toMap().value(QStringLiteral("CFBundleExecutable"))).value_or(QString());
    return name.contains(u'/') || name == u".." ? QString() : name;
}

ContentRoot contentRoot(const QString &bundlePath)
{
    const QFileInfo contents(bundlePath + QStringLiteral("/Contents"));
    ContentRoot root;
    root.underContents = contents.isDir() && !contents.isSymLink();
    root.path = root.underContents ? contents.filePath() : bundlePath;
    // The stapled ticket (a top-level CodeResources file) is added after signing.
    root.signatureCovered = {QStringLiteral("_CodeSignature"), QStringLiteral("CodeResources"),
                             QStringLiteral("Info.plist")};
    const QString executable = executableName(root.path + QStringLiteral("/Info.plist"));
    if (!executable.isEmpty())
        root.signatureCovered << (root.underContents ? QStringLiteral("MacOS/") + executable : executable);
    return root;
}

class SealComparison {
public:
    SealComparison(const Seal &seal, const ContentRoot &root, const NestedCodeCheck &checkNested)
        : m_seal(seal), m_root(root), m_checkNested(checkNested)
    {
    }

    void compare(const BundleTree &tree);
    void reportAddedOutsideContents(const BundleTree &bundleTop);
    bool keepWhole(const QString &relativePath) const;
    QStringList lines();

private:
    void checkEntry(const QString &relativePath, const SealedEntry &entry, const TreeItem *item);
    void checkNestedCode(const QString &path, const SealedEntry &entry, const TreeItem &item);
    void report(const QString &what, const QString &path) { m_lines.emplace_back(path, what + path); }
    QString absolute(const QString &relativePath) const { return m_root.path + u'/' + relativePath; }

    const Seal &m_seal;
    const ContentRoot &m_root;
    const NestedCodeCheck &m_checkNested;
    std::vector<std::pair<QString, QString>> m_lines; // (path, line)
};

// A folder is one item when the seal lists it or when it is a bundle where
// nested code lives: what is inside belongs to that code's own seal.
bool SealComparison::keepWhole(const QString &relativePath) const
{
    if (m_root.signatureCovered.contains(relativePath) || m_seal.entries.count(relativePath))
        return true;
    const SealRule *rule = m_seal.rules.match(relativePath);
    return rule && rule->nested && relativePath.section(u'/', -1).contains(u'.');
}

void SealComparison::compare(const BundleTree &tree)
{
    for (const auto &[path, entry] : m_seal.entries) {
        const auto found = tree.items.find(path);
        checkEntry(path, entry, found == tree.items.end() ? nullptr : &found->second);
    }
    for (const auto &[path, item] : tree.items) {
        if (m_seal.entries.count(path) || m_root.signatureCovered.contains(path))
            continue;
        const SealRule *rule = m_seal.rules.match(path);
        if (rule && !rule->omit)
            report(QStringLiteral("file added: "), absolute(path));
    }
}

// Beside Contents a bundle holds nothing: whatever is there is unsealed.
void SealComparison::reportAddedOutsideContents(const BundleTree &bundleTop)
{
    for (const auto &[path, item] : bundleTop.items) {
        if (path != u"Contents")
            report(QStringLiteral("file added: "), QFile::decodeName(item.nativePath));
    }
}

void SealComparison::checkEntry(const QString &relativePath, const SealedEntry &entry, const TreeItem *item)
{
    const QString path = absolute(relativePath);
    if (!item) {
        const SealRule *rule = m_seal.rules.match(relativePath);
        if (!entry.optional && !(rule && rule->optional))
            report(QStringLiteral("file missing: "), path);
        return;
    }
    bool same = false;
    switch (entry.kind) {
    case SealedEntry::Kind::link:
        same = item->kind == TreeItem::Kind::link && item->linkTarget == entry.linkTarget;
        break;
    case SealedEntry::Kind::file:
        same = item->kind == TreeItem::Kind::file
            && digestSealedFile(item->nativePath, entry.digestKind) == std::optional<QByteArray>(entry.digest);
        break;
    case SealedEntry::Kind::nestedCode:
        if (item->kind == TreeItem::Kind::file || item->kind == TreeItem::Kind::folder)
            return checkNestedCode(path, entry, *item);
        break;
    }
    if (!same)
        report(QStringLiteral("file modified: "), path);
}

void SealComparison::checkNestedCode(const QString &path, const SealedEntry &entry, const TreeItem &item)
{
    const NestedCode nested = m_checkNested ? m_checkNested(QFile::decodeName(item.nativePath)) : NestedCode{};
    if (!m_checkNested || !nested.failures.isEmpty() || !nested.cdHashes.contains(entry.cdHash))
        report(QStringLiteral("In subcomponent: "), path);
}

QStringList SealComparison::lines()
{
    if (m_lines.empty())
        return {};
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList result{headline()};
    for (const auto &line : m_lines)
        result << line.second;
    return result;
}

} // namespace

QStringList verifyBundleSeal(const QString &givenPath, const QByteArray &codeResources,
                             const NestedCodeCheck &checkNested)
{
    const QString bundlePath = QDir::cleanPath(givenPath);
    QString failure;
    const std::optional<Seal> seal = readSeal(codeResources, failure);
    if (!seal)
        return {headline(), failure};
    const ContentRoot root = contentRoot(bundlePath);
    SealComparison comparison(*seal, root, checkNested);
    const BundleTree tree =
        readBundleTree(root.path, [&comparison](const QString &path) { return comparison.keepWhole(path); });
    if (!tree.failure.isEmpty())
        return {headline(), tree.failure};
    comparison.compare(tree);
    if (root.underContents)
        comparison.reportAddedOutsideContents(readBundleTree(bundlePath, [](const QString &) { return true; }));
    return comparison.lines();
}

} // namespace codesig
