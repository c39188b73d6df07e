#pragma once

#include <cstdint>
#include <functional>

#include "platform/stop_signal.h"
#include "platform/write_progress.h"

namespace tessaline {

// The bytes go out in pieces of this size, so the write can be watched. A stop does not wait for
// a piece's end: a watched connection ends a write that waits on a slow link (HttpStopWatch).
// Smaller pieces cost a fast link's upload time.
inline constexpr std::uint32_t kWritePieceSize = 1u << 20;

struct PieceWrite {
    enum class Outcome { Whole, Stopped, BrokenOff };
    Outcome outcome = Outcome::Whole;
    std::uint32_t done = 0;  // bytes the connection took
};

// Takes one piece whole; false when the connection did not.
using PieceSink = std::function<bool(const char* bytes, std::uint32_t length)>;

// Writes the request data of an open document: asks stop (may be null) before each piece and
// once more after the last, and tells progress (may be null) after each piece. A piece the sink
// did not take is a stop when stop is requested by then (a watched connection ends its wait on
// one), else the printer's break.
PieceWrite WriteInPieces(const PieceSink& sink, const void* bytes, std::uint32_t length,
                         const StopSignal* stop, WriteProgress* progress);

}  // namespace tessaline
