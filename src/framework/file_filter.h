#pragma once

#include <string>
#include <string_view>

namespace tessaline {

// Turns "Name|pattern|Name|pattern||" into the NUL-separated list the file dialogs take: each
// "|" becomes a NUL, so the trailing "||" ends the list with two NULs.
std::string DialogFilterFromPipes(std::string_view pipes);

}  // namespace tessaline
