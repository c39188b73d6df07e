// Commands that look at how a window draws its text, read inside the program by the probe
// library: a control's font, and whether each text control's text fits its room.
#include "commands.h"
#include "remote.h"

namespace driver {

namespace {

std::string Probe(HWND window, ProbeOp op, DWORD timeout_ms, int32_t value = 0) {
    ProbeRequest request = {};
    request.op = static_cast<uint32_t>(op);
    request.value = value;
    request.window = reinterpret_cast<uintptr_t>(window);
    RunProbe(window, request, timeout_ms);
    std::string lines = request.text;
    if (!lines.empty() && lines.back() == '\n') {
        lines.pop_back();
    }
    return lines;
}

}  // namespace

void CmdFont(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    Print(Probe(ControlOf(top, o.args.at(1)), ProbeOp::kFont, o.timeout_ms));
}

void CmdTextFit(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    Print(Probe(top, ProbeOp::kTextFit, o.timeout_ms));
}

void CmdDpiChanged(const Options& o) {
    HWND top = WaitTopLevel(o.args.at(0), o.timeout_ms);
    const long dpi = ParseNumber(o.args.at(1), "DPI");
    if (dpi < 1 || dpi > 0xFFFF) {
        throw DriverError("DPI out of range: " + o.args.at(1));
    }
    Probe(top, ProbeOp::kDpiChanged, o.timeout_ms, static_cast<int32_t>(dpi));
}

}  // namespace driver
