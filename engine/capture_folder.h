#pragma once
// The folder that holds the command runner's capture files: the user's
// temporary folder. A run whose capture files cannot be made fails every
// check alike, so a caller that can stop before inspecting asks here first
// and names the folder's fault instead of judging packages by it.

#include <QString>

#include <optional>

// The temporary folder as the system resolves it; empty when there is none
// (Qt's answer when TMPDIR names a missing folder or one too long to resolve).
QString captureFolder();

struct CaptureFolderProblem {
    QString folder; // as configured when it could not be resolved
    QString reason; // the system's error text
};

// Creates and removes one probe file the way the runner makes its capture
// files; nothing when that worked.
std::optional<CaptureFolderProblem> captureFolderProblem();
