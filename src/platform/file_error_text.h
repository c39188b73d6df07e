#pragma once

#include <string>

#include "platform/file.h"

namespace tessaline {

// What a failing read is told as, in the window's boxes and on the command line alike.

// The user's text for a file error's cause, with "an unnamed file" for the file.
std::string FileErrorText(FileErrorCause cause);

// A buffer for the file could not be had.
inline constexpr char kOutOfMemoryText[] = "Out of memory.";

}  // namespace tessaline
