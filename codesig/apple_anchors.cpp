#include "codesig/apple_anchors.h"

#include "codesig/embedded_certificates.h"

namespace codesig {
namespace {

enum class Role { root, intermediate, timestampAuthority };

struct Pin {
    const char *sha256;
    Role role;
};

// The fingerprints published with the certificates (codesig/anchors/README.md).
// An embedded file whose digest is not listed here is not trusted at all.
constexpr Pin pins[] = {
    {"B0B1730ECBC7FF4505142C49F1295E6EDA6BCAED7E2C68C5BE91B5A11001F024", Role::root},
    {"C2B9B042DD57830E7D117DAC55AC8AE19407D38E41D88F3215BC3A890444A050", Role::root},
    {"63343ABFB89A6A03EBB57E9B3F5FA7BE7C4F5C756F3017B3A8C488C3653E9179", Role::root},
    {"66285E2E374D00A8BA3D8D3D04393A48BD16554B284BC88DABEC85B479ADCD6B", Role::timestampAuthority},
    {"CE057691D730F89CA25E916F7335F4C8A15713DCD273A658C024023F8EB809C2", Role::intermediate},
    {"9ED4B3B88C6A339CF1387895BDA9CA6EA31A6B5CE9EDF7511845923B0C8AC94C", Role::intermediate},
    {"DCF21878C77F4198E4B4614F03D696D89C66C66008D4244E1B99161AAC91601F", Role::intermediate},
    {"EA4757885538DD8CB59FF4556F676087D83C85E70902C122E42C0808B5BCE14C", Role::intermediate},
    {"53FD008278E5A595FE1E908AE9C5E5675F26243264A5A6438C023E3CE2870760", Role::intermediate},
    {"BDD4ED6E74691F0C2BFD01BE0296197AF1379E0418E2D300EFA9C3BEF642CA30", Role::intermediate},
    {"7AFC9D01A62F03A2DE9637936D4AFE68090D2DE18D03F29C88CFB0B1BA63587F", Role::intermediate},
    {"F16CD3C54C7F83CEA4BF1A3E6A0819C8AAA8E4A1528FD144715F350643D2DF3A", Role::intermediate},
};

const Pin *pinFor(X509 *certificate)
{
    const QByteArray hex = sha256Fingerprint(certificate).toHex().toUpper();
    for (const Pin &pin : pins)
        if (hex == pin.sha256)
            return &pin;
    return nullptr;
}

AppleAnchors loadAnchors()
{
    AppleAnchors anchors;
    for (std::size_t i = 0; i < embeddedCertificateCount; ++i) {
        const unsigned char *der = embeddedCertificates[i].der;
        X509 *parsed = d2i_X509(nullptr, &der, long(embeddedCertificates[i].size));
        if (!parsed)
            continue;
        X509Ptr certificate(parsed, X509Free{});
        const Pin *pin = pinFor(parsed);
        if (!pin)
            continue;
        switch (pin->role) {
        case Role::root: anchors.roots.push_back(certificate); break;
        case Role::intermediate: anchors.intermediates.push_back(certificate); break;
        // Kept apart from the intermediates: it issues timestamp servers, never code signers.
        case Role::timestampAuthority: anchors.timestampAuthority = certificate; break;
        }
    }
    return anchors;
}

} // namespace

const AppleAnchors &appleAnchors()
{
    static const AppleAnchors anchors = loadAnchors();
    return anchors;
}

} // namespace codesig
