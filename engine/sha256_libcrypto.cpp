#include "engine/sha256.h"

#include <openssl/evp.h>

struct Sha256::State {
    EVP_MD_CTX *context = nullptr;
    bool usable = false;
};

Sha256::Sha256() : m_state(std::make_unique<State>())
{
    m_state->context = EVP_MD_CTX_new();
    m_state->usable = m_state->context && EVP_DigestInit_ex(m_state->context, EVP_sha256(), nullptr) == 1;
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(m_state->context);
}

void Sha256::add(const char *data, std::size_t size)
{
    if (m_state->usable && size > 0)
        m_state->usable = EVP_DigestUpdate(m_state->context, data, size) == 1;
}

QByteArray Sha256::finish()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!m_state->usable || EVP_DigestFinal_ex(m_state->context, digest, &length) != 1)
        return {};
    m_state->usable = false;
    return QByteArray(reinterpret_cast<const char *>(digest), int(length));
}
