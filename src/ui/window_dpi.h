#pragma once

#include <windows.h>

namespace tessaline {

// The DPI the window is shown at: GetDpiForWindow where the system has it (looked up at run
// time, so the program still starts on systems without it), else the screen's LOGPIXELSY.
UINT WindowDpi(HWND window);

}  // namespace tessaline
