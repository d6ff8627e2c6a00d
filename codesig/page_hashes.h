#pragma once
// Checking a CodeDirectory's code slots against the code they hash: one
// digest per page up to the code limit, the last page short.

#include "codesig/byte_view.h"
#include "codesig/hash_kind.h"

#include <cstdint>
#include <optional>

namespace codesig {

struct PageLayout {
    std::uint64_t codeLimit = 0;
    unsigned pageShift = 12;  // log2 of the page size; 0: one digest over the whole code
    std::uint32_t pageCount = 0;
};

// Whether pageCount is the number of pages codeLimit spans: one per page,
// the last one short, or a single digest of the whole when pageShift is 0.
bool pageCountMatches(const PageLayout &layout);

// Index of the first page whose digest differs from expected (pageCount
// digests of kind.size bytes); nullopt when every page matches. A layout the
// code cannot hold (limit past the end, wrong page count) is page 0.
std::optional<std::uint32_t> firstMismatchedPage(ByteView code, const PageLayout &layout,
                                                 const HashKind &kind, ByteView expected);

} // namespace codesig
