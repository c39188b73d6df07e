#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/digest.h"

namespace tessaline {

// 64 hexadecimal digits, either case, nothing else (sha256sum's first column).
std::optional<Sha256Digest> ParseSha256Hex(std::string_view text);
// 64 lower-case hexadecimal digits, as sha256sum prints them.
std::string Sha256Hex(const Sha256Digest& digest);

}  // namespace tessaline
