#pragma once
// Whether a package named on the command line can be reached at all. A name
// that is a symbolic link stands for what it leads to, and keeps its own name
// and path; a link that leads nowhere is as missing as a missing path.

#include <QString>

#include <optional>

// Nothing when the path leads to something; else the reason in the system's
// words, e.g. "No such file or directory" or "File name too long".
std::optional<QString> packagePathProblem(const QString &path);
