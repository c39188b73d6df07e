#pragma once

namespace tessaline {

// How long a connection to a scheduler or a printer may take to open: long enough for a busy
// scheduler or a printer waking up, short enough that a dead one does not hang a script.
inline constexpr int kConnectTimeoutMs = 30000;

}  // namespace tessaline
