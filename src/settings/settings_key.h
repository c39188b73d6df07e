#pragma once

#include <string>
#include <vector>

namespace tessaline {

// Where the print settings live: HKCU\software\<maker>\<application>\<section>, values by entry.
inline constexpr char kSoftwareKey[] = "software";
inline constexpr char kMakerKey[] = "Korvane";
inline constexpr char kPrintSettingsSection[] = "Print Settings";
inline constexpr char kPageSizeEntry[] = "Page Size";
inline constexpr char kPageOrientationEntry[] = "Page Orientation";

// The keys from HKEY_CURRENT_USER down to the section, in the order they are opened: "software"
// (only ever opened), then the maker's, the application's and the section's (created when
// missing).
std::vector<std::string> SettingsKeyPath(const std::string& maker, const std::string& application,
                                         const std::string& section);

}  // namespace tessaline
