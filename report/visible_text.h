#pragma once
// What Veristamp shows of text it did not write itself: package names, paths
// and tool output. A control character in such text could forge lines of a
// report or drive the terminal that shows it, so each one is shown as U+FFFD
// instead, the same way in the report, on the terminal and in file names.
// Tab is ordinary text; a line feed is kept only inside a block that is
// shown as lines of its own (the entitlements).

#include <QString>

enum class LineFeeds { replace, keep };

// C0 controls except tab, DEL, and the C1 controls (which some terminals obey as well).
bool isHiddenControl(QChar character);

// The text with every hidden control replaced by U+FFFD; the same string,
// shared, when it holds none.
QString visibleText(const QString &text, LineFeeds lineFeeds = LineFeeds::replace);
