#pragma once

// The one place the version users see is written. CMake and scripts/release read the number
// from the TESSALINE_VERSION line; the resource script includes this file for its texts.
#define TESSALINE_VERSION 3.2

#define TESSALINE_STRINGIZE_(x) #x
#define TESSALINE_STRINGIZE(x) TESSALINE_STRINGIZE_(x)
#define TESSALINE_VERSION_TEXT TESSALINE_STRINGIZE(TESSALINE_VERSION)

#ifndef RC_INVOKED
namespace tessaline {

// The version users see: tessaline-cli --version and the release's file names.
inline constexpr char kVersion[] = TESSALINE_VERSION_TEXT;

}  // namespace tessaline
#endif
