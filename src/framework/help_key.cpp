#include "framework/help_key.h"

namespace tessaline {

std::string HelpFilePath(const std::string& executablePath) {
    const std::size_t slash = executablePath.find_last_of("\\/:");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.rfind('.');
    std::string path = executablePath;
    if (dot != std::string::npos && dot >= nameStart) {
        path.erase(dot);
    }
    return path + ".HLP";
}

}  // namespace tessaline
