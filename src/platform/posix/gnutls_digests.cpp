#include "platform/posix/gnutls_digests.h"

#include <gnutls/crypto.h>

namespace tessaline {

bool GnutlsDigests::Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) {
    Sha256Digest result{};
    if (gnutls_hash_fast(GNUTLS_DIG_SHA256, bytes, length, result.data()) != 0) {
        return false;
    }
    *digest = result;
    return true;
}

}  // namespace tessaline
