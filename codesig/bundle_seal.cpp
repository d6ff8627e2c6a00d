#include "codesig/bundle_seal.h"

#include "codesig/bundle_layout.h"
#include "codesig/bundle_tree.h"
#include "codesig/seal_entries.h"
#include "codesig/seal_rules.h"

#include "proplist/property_list.h"

#include <QFile>
#include <QVariantMap>

#include <algorithm>
#include <utility>
#include <vector>

namespace codesig {

namespace {

// A seal lists one line per file; even a very large bundle's stays far below this.
constexpr qint64 kMaximumSealSize = 64 * 1024 * 1024;

QString headline()
{
    return QStringLiteral("a sealed resource is missing or invalid");
}

struct Seal {
    SealedEntries entries;
    SealRules rules;
};

// Only the second version of the seal (files2, rules2) covers every file;
// the first covers Resources/ alone, so a seal without it vouches for too little.
std::optional<Seal> readSeal(const QByteArray &bytes, QString &failure)
{
    const QStringList keys{QStringLiteral("files2"), QStringLiteral("rules2")};
    const std::optional<QVariant> root =
        bytes.size() > kMaximumSealSize ? std::nullopt : parsePropertyListKeepingKeys(bytes, keys);
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        failure = QStringLiteral("the resource seal is not a readable property list");
        return std::nullopt;
    }
    const QVariantMap map = root->toMap();
    if (!map.contains(keys[0]) || !map.contains(keys[1])) {
        failure = QStringLiteral("the resource seal is of the first version (no files2, rules2), which seals Resources/ alone");
        return std::nullopt;
    }
    std::optional<SealedEntries> entries = readSealedEntries(map.value(keys[0]), failure);
    if (!entries)
        return std::nullopt;
    std::optional<SealRules> rules = readSealRules(map.value(keys[1]), failure);
    if (!rules)
        return std::nullopt;
    return Seal{std::move(*entries), std::move(*rules)};
}

// Where the seal's paths start, and the files the signature itself covers
// there (the seal leaves them out: the CodeDirectory binds them).
struct ContentRoot {
    QString path;
    QStringList signatureCovered;
};

ContentRoot contentRoot(const BundleLayout &layout)
{
    // The stapled ticket (a top-level CodeResources file) is added after signing.
    return ContentRoot{layout.contentRoot,
                       {QStringLiteral("_CodeSignature"), QStringLiteral("CodeResources"), layout.infoPlistInRoot,
                        layout.executableInRoot}};
}

class SealComparison {
public:
    SealComparison(const Seal &seal, const ContentRoot &root, const NestedCodeCheck &checkNested)
        : m_seal(seal), m_root(root), m_checkNested(checkNested)
    {
    }

    void compare(const BundleTree &tree);
    void reportAdded(const QStringList &paths);
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
    QStringList m_nestedFailure; // the first invalid nested code's failures, its path placed
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

void SealComparison::reportAdded(const QStringList &paths)
{
    for (const QString &path : paths)
        report(QStringLiteral("file added: "), path);
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

// Invalid nested code answers for the whole bundle, as the platform reports
// it: the nested code's headline, where it lies (the innermost place when it
// is nested deeper), then what it found.
void SealComparison::checkNestedCode(const QString &path, const SealedEntry &entry, const TreeItem &item)
{
    const NestedCode nested = m_checkNested ? m_checkNested(QFile::decodeName(item.nativePath)) : NestedCode{};
    if (!nested.failures.isEmpty() && m_nestedFailure.isEmpty()) {
        m_nestedFailure = nested.failures;
        if (!m_nestedFailure.value(1).startsWith(QLatin1String("In subcomponent: ")))
            m_nestedFailure.insert(1, QStringLiteral("In subcomponent: ") + path);
    }
    if (!m_checkNested || !nested.cdHashes.contains(entry.cdHash))
        report(QStringLiteral("In subcomponent: "), path);
}

QStringList SealComparison::lines()
{
    if (!m_nestedFailure.isEmpty())
        return m_nestedFailure;
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

QStringList verifyBundleSeal(const BundleLayout &layout, const QByteArray &codeResources,
                             const NestedCodeCheck &checkNested)
{
    QString failure;
    const std::optional<Seal> seal = readSeal(codeResources, failure);
    if (!seal)
        return {headline(), failure};
    const ContentRoot root = contentRoot(layout);
    SealComparison comparison(*seal, root, checkNested);
    const BundleTree tree =
        readBundleTree(root.path, [&comparison](const QString &path) { return comparison.keepWhole(path); });
    const QStringList outside = unsealedOutsideContent(layout, failure);
    if (!tree.failure.isEmpty() || !failure.isEmpty())
        return {headline(), tree.failure.isEmpty() ? failure : tree.failure};
    comparison.compare(tree);
    comparison.reportAdded(outside);
    return comparison.lines();
}

} // namespace codesig
