#include "engine/bundle_info.h"

#include "proplist/property_list.h"

#include <QFile>

std::optional<QVariantMap> bundleInfoDictionary(const QUrl &bundle)
{
    if (!bundle.isLocalFile())
        return std::nullopt;
    QFile file(bundle.toLocalFile() + QLatin1String("/Contents/Info.plist"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QVariant> root = parsePropertyList(file.readAll());
    if (!root || root->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return root->toMap();
}

std::optional<QString> infoText(const std::optional<QVariantMap> &info, const QString &key)
{
    if (!info)
        return std::nullopt;
    return textValue(info->value(key));
}
