#pragma once

#include "platform/digest.h"

namespace tessaline {

// Digests from the system's CNG provider (bcrypt.dll).
class Win32Digests final : public Digests {
  public:
    bool Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) override;
};

}  // namespace tessaline
