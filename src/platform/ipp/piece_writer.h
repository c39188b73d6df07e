#pragma once

#include <cstdint>

#include <cups/cups.h>

#include "platform/stop_signal.h"
#include "platform/write_progress.h"

namespace tessaline {

// The bytes go out in pieces of this size, so the write can be watched and stopped.
inline constexpr std::uint32_t kWritePieceSize = 1u << 20;

struct PieceWrite {
    enum class Outcome { Whole, Stopped, BrokenOff };
    Outcome outcome = Outcome::Whole;
    std::uint32_t done = 0;  // bytes the connection took
};

// Writes the request data of an open document: asks stop (may be null) before each piece and
// tells progress (may be null) after each.
PieceWrite WriteInPieces(http_t* http, const void* bytes, std::uint32_t length,
                         const StopSignal* stop, WriteProgress* progress);

}  // namespace tessaline
