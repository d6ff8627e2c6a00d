#include "report/evidence_records.h"

#include "engine/tree_digest.h"

Digest packageDigest(PackageKind kind, const QString &resolvedPath)
{
    return kind == PackageKind::diskImage ? fileDigest(resolvedPath) : treeDigest(resolvedPath);
}
