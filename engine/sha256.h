#pragma once
// SHA-256 fed in pieces, through the platform's accelerated implementation:
// CommonCrypto on macOS, OpenSSL's libcrypto elsewhere. Qt 6.4's
// QCryptographicHash has no hardware path and hashes at about half the speed
// of sha256sum, too slow for the gigabyte images a release pipeline checks.

#include <QByteArray>

#include <cstddef>
#include <memory>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void add(const char *data, std::size_t size);
    void add(const QByteArray &bytes) { add(bytes.constData(), std::size_t(bytes.size())); }
    // The 32-byte digest, or empty when the library could not compute one.
    QByteArray finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
