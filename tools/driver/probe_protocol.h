#pragma once

#include <cstdint>

namespace driver {

// One request to the helper library loaded into the program under test. The driver writes it
// into the program's memory, runs kProbeEntry on it in a new thread there and reads it back.
enum class ProbeOp : uint32_t {
    kIconStyle = 1,   // window: a static icon control; value: the MB_ICON* bits it shows
    kSystemMenu = 2,  // window: a top-level window; text: its system menu, one item a line
    kFont = 3,        // window: a control; text: its font and DPI, "name: value" lines
    kTextFit = 4,     // window: a top-level window; text: one line per text control (see README)
    kDpiChanged = 5,  // window: a top-level window; value: the DPI it is told it now has
};

constexpr int32_t kProbeUnknownIcon = -1;

struct ProbeRequest {
    uint32_t op;
    int32_t status;  // 0 when done; otherwise a GetLastError-style code
    uint64_t window;
    int32_t value;
    char text[16384];
};

constexpr char kProbeDll[] = "driver_probe.dll";
constexpr char kProbeEntry[] = "driver_probe_run";

// The settle marker: a thread message WM_NULL with this wParam and a cookie as lParam. The
// library's WH_GETMESSAGE hook sets the event named kSettleEventPrefix + cookie in hex when the
// program's thread takes it from its queue, so everything posted before it has been handled.
constexpr uintptr_t kSettleMagic = 0x44525652;
constexpr char kSettleHook[] = "driver_probe_getmsg";
constexpr char kSettleEventPrefix[] = "driver_settle_";

}  // namespace driver
