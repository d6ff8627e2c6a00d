#include "codesig/page_hashes.h"

#include <openssl/evp.h>

#include <cstring>
#include <memory>

namespace codesig {
namespace {

struct ContextFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

bool layoutFits(ByteView code, const PageLayout &layout, const HashKind &kind, ByteView expected)
{
    const std::uint64_t expectedBytes = std::uint64_t(layout.pageCount) * std::uint64_t(kind.size);
    return layout.codeLimit <= code.size() && expected.size() == expectedBytes && pageCountMatches(layout);
}

} // namespace

bool pageCountMatches(const PageLayout &layout)
{
    if (layout.pageShift > 30)
        return false;
    if (layout.pageShift == 0)
        return layout.pageCount == (layout.codeLimit ? 1u : 0u);
    const std::uint64_t pageSize = std::uint64_t(1) << layout.pageShift;
    return layout.pageCount == (layout.codeLimit + pageSize - 1) / pageSize;
}

std::optional<std::uint32_t> firstMismatchedPage(ByteView code, const PageLayout &layout,
                                                 const HashKind &kind, ByteView expected)
{
    if (!kind.digest || !layoutFits(code, layout, kind, expected))
        return 0;
    const std::uint64_t pageSize = layout.pageShift ? std::uint64_t(1) << layout.pageShift : layout.codeLimit;
    std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    for (std::uint32_t page = 0; page < layout.pageCount; ++page) {
        const std::uint64_t start = std::uint64_t(page) * pageSize;
        const std::uint64_t length = std::min(pageSize, layout.codeLimit - start);
        unsigned int digestLength = 0;
        if (!context || EVP_DigestInit_ex2(context.get(), kind.digest, nullptr) != 1
            || EVP_DigestUpdate(context.get(), code.data() + start, length) != 1
            || EVP_DigestFinal_ex(context.get(), digest, &digestLength) != 1
            || digestLength < unsigned(kind.size)
            || std::memcmp(digest, expected.data() + std::uint64_t(page) * kind.size, kind.size) != 0)
            return page;
    }
    return std::nullopt;
}

} // namespace codesig
