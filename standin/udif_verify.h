#pragma once
// verify on a UDIF image made on a Mac: the trailer's layout and every chunk
// table must be sound, and 7zz must find every chunk's data intact (it decompresses
// each one and checks the checksums the image stores). The output has the
// platform's shape: one pair of lines per partition, the image's own
// checksum, then the verdict.

#include "outcome.h"
#include "codesig/udif_trailer.h"

Outcome verifyUdifImage(const QString &imagePath, const codesig::UdifTrailer &trailer);

// The verdict line for a damaged image, with a short reason.
Outcome invalidImage(const QString &imagePath, const QByteArray &reason);
