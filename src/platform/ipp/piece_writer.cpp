#include "platform/ipp/piece_writer.h"

namespace tessaline {

PieceWrite WriteInPieces(http_t* http, const void* bytes, std::uint32_t length,
                         const StopSignal* stop, WriteProgress* progress) {
    const char* next = static_cast<const char*>(bytes);
    PieceWrite write;
    while (write.done < length) {
        if (stop != nullptr && stop->StopRequested()) {
            write.outcome = PieceWrite::Outcome::Stopped;
            return write;
        }
        const std::uint32_t left = length - write.done;
        const std::uint32_t piece = left < kWritePieceSize ? left : kWritePieceSize;
        if (cupsWriteRequestData(http, next + write.done, piece) != HTTP_STATUS_CONTINUE) {
            write.outcome = PieceWrite::Outcome::BrokenOff;
            return write;
        }
        write.done += piece;
        if (progress != nullptr) {
            progress->OnWritten(write.done, length);
        }
    }
    return write;
}

}  // namespace tessaline
