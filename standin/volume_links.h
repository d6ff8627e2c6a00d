#pragma once
// The symbolic links of a volume that 7zz unpacked. 7zz guards its output
// folder by writing an absolute link's target below that folder
// ("/Applications" becomes "<folder>/Applications"); a mounted volume keeps
// the target as stored, so the stand-in puts it back. A relative link must
// stay inside the volume even when followed through the volume's other links.

#include <QByteArray>
#include <QString>

// Puts back every absolute target 7zz rewrote below `rewrittenUnder`, then
// checks every relative link. Returns why the volume must not be kept, or
// nothing. Never follows a link while walking.
QByteArray settleVolumeLinks(const QString &volume, const QString &rewrittenUnder);
