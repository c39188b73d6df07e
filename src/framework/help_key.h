#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

// The framework's Help command, routed to the help key's handler.
inline constexpr std::uint32_t kHelpCommandId = 57670;

// Both names below split the executable's path the same way: the file name starts after the
// last backslash, slash or colon, and its extension is from the last "." inside the file name.

// The application's name: the executable's file name without folder and without extension.
// It captions the framework's boxes and keys the per-user settings.
std::string ApplicationNameFromPath(const std::string& executablePath);

// The help file: the executable's path with ".HLP" in place of its extension (added when the
// name has none).
std::string HelpFilePath(const std::string& executablePath);

// The help context of a dialog: 0x20000 plus its template number.
constexpr std::uint32_t HelpContextForTemplate(std::uint32_t templateId) {
    return 0x20000u + templateId;
}

inline constexpr char kHelpFailedText[] = "Failed to launch help.";

}  // namespace tessaline
