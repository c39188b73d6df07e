#pragma once

namespace tessaline {

// The version users see: tessaline-cli --version and the release's file names.
inline constexpr char kVersion[] = "3.2";

}  // namespace tessaline
