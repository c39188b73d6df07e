#pragma once

#include "platform/digest.h"

namespace tessaline {

// Digests from GnuTLS, which libcups already links for its TLS.
class GnutlsDigests final : public Digests {
  public:
    bool Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) override;
};

}  // namespace tessaline
