#pragma once

namespace tessaline {

// Every command with an example, every option, and the exit codes.
const char* CliHelpText();

}  // namespace tessaline
