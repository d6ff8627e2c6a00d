#include "codesig/code_reading.h"

#include "codesig/code_reading_parts.h"
#include "codesig/macho_file.h"
#include "codesig/mapped_file.h"
#include "contract/release_tool_contract.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace codesig {

CodeReading readCodeAtDepth(const QString &path, int depth)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        CodeReading missing;
        missing.failures << QStringLiteral("the code cannot be read: %1 does not exist").arg(path);
        return missing;
    }
    if (S_ISDIR(info.st_mode))
        return readBundleCode(path, depth);
    MappedFile file(path);
    if (!file.isOpen()) {
        CodeReading unreadable;
        unreadable.failures << QStringLiteral("the code cannot be read: %1 is not a regular file").arg(path);
        return unreadable;
    }
    if (looksLikeMachO(file.bytes()))
        return readMachOCode(path, file.bytes(), SlotSubjects{}).reading;
    if (auto image = readDiskImageCode(file.bytes()))
        return *image;
    CodeReading other;
    other.failures << QLatin1String(kNotSignedAtAll);
    return other;
}

CodeReading readCode(const QString &path)
{
    // The package itself may be reached through a link its owner named, as
    // the platform's tools allow; nothing inside it is followed.
    const QFileInfo given(path);
    return readCodeAtDepth(given.isSymLink() ? given.canonicalFilePath() : path, 0);
}

} // namespace codesig
