#pragma once

#include <windows.h>

#include <string>

namespace tessaline {

// What every window of the program takes from the application: made once by the application
// before its InitInstance, and outliving every window.
struct ProgramContext {
    // The module whose resources the windows are made from.
    HINSTANCE instance = nullptr;
    // Captions the framework's own boxes.
    std::string appName;
    // The help file the help key opens.
    std::string helpFile;
};

}  // namespace tessaline
