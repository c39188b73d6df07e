#include <windows.h>

#include "app/laser_tool_app.h"

namespace {

tessaline::CLaserToolApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The command line is not looked at.
    return theApp.Run(instance);
}
