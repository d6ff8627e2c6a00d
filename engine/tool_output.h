#pragma once
// The reading rules that turn a release tool's output into check text.

#include "engine/program_run.h"

#include <QString>
#include <QStringList>

// Standard output, then standard error, each only when not empty, joined by one line feed.
QString combinedOutput(const Program::TextResult &result);
// The same, taking the streams over instead of copying them.
QString combinedOutput(Program::TextResult &&result);

// Lines split at every newline character: LF, CR, VT, FF, U+0085, U+2028,
// U+2029 (CR LF therefore yields an empty line between them; lines are not
// trimmed), as views into `text`, which must outlive them: a tool's output
// can be large, and most lines are only looked at.
QList<QStringView> lineViews(const QString &text);

// The output folded into one line: lines trimmed, empty ones dropped, joined by
// one space; the fallback sentence when nothing remains. Folded in place when
// the text is handed over (moved), so a large output is never held twice.
QString condensedDetail(QString text, const QString &fallback);

// The rest of every line that begins with "Authority=" (first character, exact case), in order.
QStringList signingAuthorities(const QString &text);

// Whether the leaf, the first authority, is a Developer ID Application
// identity. Only the leaf signs: a Developer ID name further up the list, or
// anywhere else in the output, is not the signer's.
bool isDeveloperIdLeaf(const QStringList &authorities);

// The text with every occurrence of the package's path taken out, as given and
// as resolved through symbolic links: the display call echoes the path, and a
// folder named like a signing identity must not read as one.
QString withoutPackagePath(QString text, const QString &packagePath);
