#pragma once

#include "../probe_protocol.h"

namespace driver {

// Inside the program: the font a control draws with, and whether each text control's text fits
// the room its window gives it, measured with that control's own font.
void ProbeFont(ProbeRequest& req);
void ProbeTextFit(ProbeRequest& req);
// Sends WM_DPICHANGED as a move to a monitor of req.value DPI would, suggesting the window's
// present rectangle (a pointer that only means something inside the program).
void ProbeDpiChanged(ProbeRequest& req);

}  // namespace driver
