#pragma once

#include <string>

namespace driver {

// Backslash escapes for \, LF, CR, tab and other control bytes, so a value fits on one line.
// Shared by the driver and the probe it loads into the program, whose reports it prints.
std::string Escape(const std::string& text);

}  // namespace driver
