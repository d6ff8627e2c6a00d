#include "codesig/code_inventory.h"

#include "codesig/binary_facts.h"
#include "codesig/bundle_layout.h"
#include "codesig/bundle_seal.h"
#include "codesig/bundle_tree.h"
#include "codesig/code_inventory_parts.h"
#include "codesig/code_reading_parts.h"
#include "codesig/mapped_file.h"
#include "codesig/macho_file.h"

#include "proplist/property_list.h"
#include "contract/release_tool_contract.h"

#include <QDir>
#include <QFileInfo>

#include <map>
#include <set>

namespace codesig {
namespace {

constexpr qint64 maxSealBytes = 64 * 1024 * 1024;

// Folder extensions the platform treats as bundles of code.
bool isBundleName(const QString &name)
{
    static const QStringList extensions{"app", "framework", "xpc", "appex", "bundle", "plugin", "kext",
                                        "systemextension", "qlgenerator", "mdimporter", "saver", "prefPane"};
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 && extensions.contains(name.mid(dot + 1), Qt::CaseInsensitive);
}

// Bundles whose executable runs as a process of its own.
bool runsAlone(const QString &bundlePath)
{
    return bundlePath.endsWith(QLatin1String(".app"), Qt::CaseInsensitive)
        || bundlePath.endsWith(QLatin1String(".xpc"), Qt::CaseInsensitive)
        || bundlePath.endsWith(QLatin1String(".appex"), Qt::CaseInsensitive);
}

struct FoundBundle {
    BundleLayout layout;
    QByteArray infoPlist;
    std::optional<std::uint32_t> declaredMinimumOs;
};

std::optional<std::uint32_t> declaredMinimum(const QByteArray &infoPlist)
{
    const std::optional<QVariant> info = parsePropertyList(infoPlist);
    const QVariant value = info ? info->toMap().value(QStringLiteral("LSMinimumSystemVersion")) : QVariant();
    const std::optional<QString> text = textValue(value);
    return text ? parseVersion(*text) : std::nullopt;
}

class InventoryWalk {
public:
    InventoryWalk(const QString &root, const QString &displayName) : m_root(QDir::cleanPath(root)), m_name(displayName) {}

    CodeInventory run()
    {
        const BundleTree tree = readBundleTree(m_root, [](const QString &) { return false; });
        m_inventory.root = m_root;
        m_inventory.name = m_name;
        m_inventory.failure = tree.failure;
        findBundles(tree);
        for (const auto &[relative, item] : tree.items) {
            if (item.kind != TreeItem::Kind::file)
                continue;
            const QString path = QFile::decodeName(item.nativePath);
            if (relative.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
                readZip(relative, path);
            else
                analysed(path);
        }
        for (auto &[path, item] : m_items)
            if (item)
                m_inventory.items.push_back(std::move(*item));
        return std::move(m_inventory);
    }

private:
    QString m_root;
    QString m_name;
    std::map<QString, FoundBundle> m_bundles;          // by bundle folder
    std::map<QString, QString> m_bundleOfExecutable;   // executable path -> bundle folder
    std::map<QString, std::optional<CodeItem>> m_items; // by path on disk; nullopt: not code, or in progress
    std::set<QString> m_inProgress;
    CodeInventory m_inventory;

    void findBundles(const BundleTree &tree)
    {
        std::set<QString> candidates{m_root};
        for (const auto &entry : tree.items) {
            const QStringList parts = entry.first.split(u'/');
            for (qsizetype i = 0; i + 1 < parts.size(); ++i)
                if (isBundleName(parts[i]))
                    candidates.insert(m_root + u'/' + parts.mid(0, i + 1).join(u'/'));
        }
        for (const QString &candidate : candidates) {
            BundleLayoutReading reading = readBundleLayout(candidate);
            if (!reading.layout)
                continue;
            m_bundleOfExecutable[reading.layout->executablePath] = candidate;
            m_bundles[candidate] = FoundBundle{*reading.layout, reading.infoPlist, declaredMinimum(reading.infoPlist)};
        }
    }

    const FoundBundle *enclosing(const QString &path, const std::function<bool(const FoundBundle &)> &wanted) const
    {
        for (QString folder = QFileInfo(path).path(); folder.size() >= m_root.size(); folder = QFileInfo(folder).path()) {
            const auto found = m_bundles.find(folder);
            if (found != m_bundles.end() && wanted(found->second))
                return &found->second;
            if (folder == m_root)
                break;
        }
        return nullptr;
    }

    QString notaryPath(const QString &path) const
    {
        return path == m_root ? m_name : m_name + u'/' + QDir(m_root).relativeFilePath(path);
    }

    void placeItem(CodeItem &item, const QString &path, bool isExecutable) const
    {
        item.path = notaryPath(path);
        item.filePath = path;
        const FoundBundle *process = isExecutable ? nullptr
            : enclosing(path, [](const FoundBundle &bundle) { return runsAlone(bundle.layout.bundlePath); });
        item.executableFolder = QFileInfo(process ? process->layout.executablePath : path).path();
        if (const FoundBundle *declaring = enclosing(path, [](const FoundBundle &bundle) { return bundle.declaredMinimumOs.has_value(); }))
            item.declaredMinimumOs = declaring->declaredMinimumOs;
    }

    // The item at path, read once; nullptr when it is not Mach-O code.
    const CodeItem *analysed(const QString &path)
    {
        if (const auto known = m_items.find(path); known != m_items.end())
            return known->second ? &*known->second : nullptr;
        if (!m_inProgress.insert(path).second)
            return nullptr;
        std::optional<CodeItem> item = readItem(path);
        m_inProgress.erase(path);
        std::optional<CodeItem> &slot = m_items[path];
        slot = std::move(item);
        return slot ? &*slot : nullptr;
    }

    std::optional<CodeItem> readItem(const QString &path)
    {
        MappedFile file(path);
        if (!file.isOpen() || !looksLikeMachO(file.bytes()))
            return std::nullopt;
        CodeItem item;
        SlotSubjects subjects;
        const auto owner = m_bundleOfExecutable.find(path);
        const FoundBundle *bundle = owner == m_bundleOfExecutable.end() ? nullptr : &m_bundles.at(owner->second);
        if (bundle) {
            subjects.infoPlist = bundle->infoPlist;
            subjects.inBundle = true;
            subjects.resourceSeal = readRegularFile(bundle->layout.sealPath, maxSealBytes);
            item.mainExecutable = bundle->layout.bundlePath == m_root
                || (QFileInfo(bundle->layout.bundlePath).path() == m_root && runsAlone(bundle->layout.bundlePath));
        }
        bool sealBound = false;
        readItemSlices(item, file.bytes(), subjects, sealBound);
        const bool isExecutable = !item.slices.empty() && item.slices.front().fileType == machOType::executable;
        placeItem(item, path, isExecutable);
        if (bundle && sealBound && subjects.resourceSeal)
            item.sealFailures = ownSealFailures(bundle->layout, *subjects.resourceSeal);
        return item;
    }

    // The seal's failures, unless they are those of nested code that fails in
    // its own right: that code answers for itself. Valid nested code the seal
    // does not name (re-signed after the bundle was) is the bundle's fault.
    QStringList ownSealFailures(const BundleLayout &layout, const QByteArray &seal)
    {
        bool nestedFailed = false;
        const QStringList failures = verifyBundleSeal(layout, seal, [&](const QString &path) {
            NestedCode nested = nestedCode(path);
            nestedFailed = nestedFailed || !nested.failures.isEmpty();
            return nested;
        });
        return nestedFailed ? QStringList() : failures;
    }

    NestedCode nestedCode(const QString &nestedPath)
    {
        const auto bundle = m_bundles.find(QDir::cleanPath(nestedPath));
        const CodeItem *item = analysed(bundle == m_bundles.end() ? nestedPath : bundle->second.layout.executablePath);
        NestedCode nested;
        if (!item) {
            nested.failures = readCodeAtDepth(nestedPath, 1).failures;
            return nested;
        }
        for (const SliceInventory &slice : item->slices) {
            if (slice.kind == SignatureKind::none)
                nested.failures = QStringList{QLatin1String(kNotSignedAtAll)};
            else if (nested.failures.isEmpty())
                nested.failures = slice.failures;
        }
        if (nested.failures.isEmpty())
            nested.failures = item->sealFailures;
        if (!item->damage.isEmpty())
            nested.failures = QStringList{QStringLiteral("main executable failed strict validation"), item->damage};
        for (const SliceInventory &slice : item->slices)
            nested.cdHashes << slice.cdHashes;
        return nested;
    }

    void readZip(const QString &relative, const QString &path)
    {
        const QString failure = forEachMachOInZip(path, [&](const QString &member, ByteView bytes) {
            CodeItem item;
            bool sealBound = false;
            readItemSlices(item, bytes, SlotSubjects{}, sealBound);
            item.path = m_name + u'/' + relative + u'/' + member;
            item.executableFolder = QString();
            m_items[path + u'/' + member] = std::move(item);
        });
        if (!failure.isEmpty() && m_inventory.failure.isEmpty())
            m_inventory.failure = QStringLiteral("%1: %2").arg(notaryPath(path), failure);
    }
};

} // namespace

std::optional<std::uint32_t> parseVersion(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.isEmpty() || parts.size() > 3)
        return std::nullopt;
    std::uint32_t packed = 0;
    for (qsizetype i = 0; i < 3; ++i) {
        bool ok = true;
        const uint value = i < parts.size() ? parts[i].toUInt(&ok) : 0;
        if (!ok || value > (i == 0 ? 0xffffu : 0xffu))
            return std::nullopt;
        packed = (packed << (i == 0 ? 0 : 8)) | value;
    }
    return packed;
}

CodeInventory inventoryOf(const QString &root, const QString &displayName)
{
    return InventoryWalk(root, displayName).run();
}

} // namespace codesig
