#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "probe_protocol.h"

namespace driver {

// A Unix path (leading '/') as the Wine program sees it; anything else is returned unchanged.
std::string WindowsPath(const std::string& path);

// Writes a DROPFILES block with the `paths` (given in the ANSI code page) into the process of
// `window` and posts WM_DROPFILES to it. `wide` stores them as UTF-16, as the shell's own drops
// are; otherwise as ANSI. The block becomes the program's: DragFinish releases it there.
void PostDrop(HWND window, const std::vector<std::string>& paths, bool wide);

// Runs one probe request inside the process that owns `window`, loading the probe library
// (next to driver.exe) there first if needed. Throws DriverError when any step fails.
void RunProbe(HWND window, ProbeRequest& request, DWORD timeout_ms);

// Blocks until the thread that owns `window` has taken from its queue everything posted to it
// before this call (through a WH_GETMESSAGE hook in the probe library), or the process ended.
// A modal box opened by a handler counts as settled once its own loop runs.
void SettleAfterPost(HWND window, DWORD timeout_ms);

}  // namespace driver
