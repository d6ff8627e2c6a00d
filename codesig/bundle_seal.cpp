#include "codesig/bundle_seal.h"

namespace codesig {

QStringList verifyBundleSeal(const QString &, const QByteArray &, const NestedCodeCheck &)
{
    return {QStringLiteral("a sealed resource is missing or invalid"),
            QStringLiteral("the resource seal is not read yet")};
}

} // namespace codesig
