#pragma once

#include <array>
#include <cstdint>

namespace tessaline {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The platform's own cryptographic digests: a file copied to many sites is checked against the
// digest its publisher gave before any of it goes to a printer.
class Digests {
  public:
    virtual ~Digests() = default;
    // False when the platform could not compute it; *digest is then unchanged.
    virtual bool Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) = 0;
};

}  // namespace tessaline
