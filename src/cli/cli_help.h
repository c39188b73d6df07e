#pragma once

#include <string>

namespace tessaline {

// Every command with an example, every option, and the exit codes.
std::string CliHelpText();

}  // namespace tessaline
