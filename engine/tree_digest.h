#pragma once
// The digest of a folder (an .app bundle), the same for the same bundle on
// any machine and after any faithful copy. Every entry below the folder
// (hidden ones included, symbolic links never followed) becomes one record
//     path NUL type NUL mode NUL size NUL content NUL
// path: relative, "/"-joined, the bytes of the names as stored;
// type: "d" folder, "f" regular file, "l" symbolic link, "o" anything else;
// mode: the permission bits (07777) as four octal digits, empty for a link;
// size: the file's byte count, the link target's length, else "0";
// content: the file's SHA-256 in lower-case hex, the link's target text, else empty.
// The records, sorted by path byte by byte, are hashed with SHA-256.
// Owners, times and extended attributes change on copy and are left out.

#include "engine/file_digest.h"

Digest treeDigest(const QString &folder);
