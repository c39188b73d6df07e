#include "platform/ipp/piece_writer.h"

namespace tessaline {
namespace {

bool Stopping(const StopSignal* stop) {
    return stop != nullptr && stop->StopRequested();
}

}  // namespace

PieceWrite WriteInPieces(const PieceSink& sink, const void* bytes, std::uint32_t length,
                         const StopSignal* stop, WriteProgress* progress) {
    const char* next = static_cast<const char*>(bytes);
    PieceWrite write;
    while (write.done < length) {
        if (Stopping(stop)) {
            write.outcome = PieceWrite::Outcome::Stopped;
            return write;
        }
        const std::uint32_t left = length - write.done;
        const std::uint32_t piece = left < kWritePieceSize ? left : kWritePieceSize;
        if (!sink(next + write.done, piece)) {
            // A watched connection ends its wait on a stop: that is no fault of the printer's.
            write.outcome =
                Stopping(stop) ? PieceWrite::Outcome::Stopped : PieceWrite::Outcome::BrokenOff;
            return write;
        }
        write.done += piece;
        if (progress != nullptr) {
            progress->OnWritten(write.done, length);
        }
    }
    // A stop during the last piece still keeps the document from its end.
    if (Stopping(stop)) {
        write.outcome = PieceWrite::Outcome::Stopped;
    }
    return write;
}

}  // namespace tessaline
