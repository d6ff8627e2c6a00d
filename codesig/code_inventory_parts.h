#pragma once
// The pieces the inventory is made of: one Mach-O file's architectures read
// from its bytes, and the Mach-O members of a zip archive.

#include "codesig/code_inventory.h"
#include "codesig/signature_check.h"

#include <functional>

namespace codesig {

// Fills item.slices (or item.damage) from the file's bytes; subjects are what
// a bundle's executable binds. sealBound tells whether every architecture
// binds the seal given, so the seal itself is worth checking.
void readItemSlices(CodeItem &item, ByteView file, const SlotSubjects &subjects, bool &sealBound);

// Calls found for each member of the zip archive that is a Mach-O file, with
// its path inside the archive and its bytes. Returns why the archive could
// not be read to its end; empty when it could.
QString forEachMachOInZip(const QString &zipPath, const std::function<void(const QString &, ByteView)> &found);

} // namespace codesig
