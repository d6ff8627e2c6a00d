#pragma once
// A bundle's resource seal (_CodeSignature/CodeResources, second version):
// every file the seal lists must be there with the digest it records, nothing
// unlisted may be added, in the content root or beside it, and nested code
// (frameworks, helpers, plug-ins, XPC services, dylibs) must carry the code
// hash the seal records for it and be valid in its own right.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace codesig {

// What checking one piece of nested code found.
struct NestedCode {
    QStringList failures;       // empty when it is valid; see CodeReading::failures
    QList<QByteArray> cdHashes; // its CodeDirectories' digests, truncated to 20 bytes
};

using NestedCodeCheck = std::function<NestedCode(const QString &nestedPath)>;

struct BundleLayout;

// Checks the seal of the bundle laid out as layout says against codeResources,
// the bytes of its CodeResources file (already bound by the signature's
// special slot). Returns the failures in CodeReading's form: empty when the
// seal holds; otherwise a headline ("a sealed resource is missing or
// invalid") then one line per difference naming the absolute path ("file
// modified: ...", "file added: ...", "file missing: ..."). checkNested is
// called for each nested code entry the seal lists; the first that is invalid
// answers instead: its headline, "In subcomponent: <its path>", its lines.
QStringList verifyBundleSeal(const BundleLayout &layout, const QByteArray &codeResources,
                             const NestedCodeCheck &checkNested);

} // namespace codesig
