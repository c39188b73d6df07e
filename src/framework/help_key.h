#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

// The framework's Help command, routed to the help key's handler.
inline constexpr std::uint32_t kHelpCommandId = 57670;

// The help file: the executable's path with ".HLP" in place of its extension (added when the
// name has none).
std::string HelpFilePath(const std::string& executablePath);

// The help context of a dialog: 0x20000 plus its template number.
constexpr std::uint32_t HelpContextForTemplate(std::uint32_t templateId) {
    return 0x20000u + templateId;
}

inline constexpr char kHelpFailedText[] = "Failed to launch help.";

}  // namespace tessaline
