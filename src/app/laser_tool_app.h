#pragma once

#include "framework/win32/application.h"

namespace tessaline {

// Builds the real platform services, runs the main window modally and ends the program.
class CLaserToolApp : public CApplication {
  protected:
    bool InitInstance() override;
};

}  // namespace tessaline
