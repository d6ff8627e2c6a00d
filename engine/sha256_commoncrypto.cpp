#include "engine/sha256.h"

#include <CommonCrypto/CommonDigest.h>

#include <algorithm>

struct Sha256::State {
    CC_SHA256_CTX context;
    bool usable = false;
};

Sha256::Sha256() : m_state(std::make_unique<State>())
{
    m_state->usable = CC_SHA256_Init(&m_state->context) == 1;
}

Sha256::~Sha256() = default;

void Sha256::add(const char *data, std::size_t size)
{
    // CC_LONG is 32 bits wide: larger pieces go in slices.
    while (m_state->usable && size > 0) {
        const std::size_t slice = std::min<std::size_t>(size, 1u << 30);
        m_state->usable = CC_SHA256_Update(&m_state->context, data, CC_LONG(slice)) == 1;
        data += slice;
        size -= slice;
    }
}

QByteArray Sha256::finish()
{
    unsigned char digest[CC_SHA256_DIGEST_LENGTH];
    if (!m_state->usable || CC_SHA256_Final(digest, &m_state->context) != 1)
        return {};
    m_state->usable = false;
    return QByteArray(reinterpret_cast<const char *>(digest), CC_SHA256_DIGEST_LENGTH);
}
