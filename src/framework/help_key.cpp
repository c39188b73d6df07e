#include "framework/help_key.h"

namespace tessaline {
namespace {

struct PathSplit {
    std::size_t nameStart;
    std::size_t extensionDot;  // npos when the file name has no "."
};

PathSplit SplitExecutablePath(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind('.');
    // A "." in a folder name is not the file's extension.
    const bool inName = dot != std::string::npos && dot >= nameStart;
    return {nameStart, inName ? dot : std::string::npos};
}

}  // namespace

std::string ApplicationNameFromPath(const std::string& executablePath) {
    const PathSplit split = SplitExecutablePath(executablePath);
    const std::size_t end =
        split.extensionDot == std::string::npos ? executablePath.size() : split.extensionDot;
    return executablePath.substr(split.nameStart, end - split.nameStart);
}

std::string HelpFilePath(const std::string& executablePath) {
    const PathSplit split = SplitExecutablePath(executablePath);
    return executablePath.substr(0, split.extensionDot) + ".HLP";
}

}  // namespace tessaline
