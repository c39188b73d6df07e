#include "platform/ipp/piece_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_ipp_links.h"

namespace tessaline {
namespace {

constexpr std::uint32_t kPiece = kWritePieceSize;

class Progress final : public WriteProgress {
  public:
    std::vector<std::uint64_t> done;
    void OnWritten(std::uint64_t written, std::uint64_t) override { done.push_back(written); }
};

struct PieceCase {
    const char* name;
    std::uint32_t length;
    bool stopFirst;   // stop requested before the write
    int stopInPiece;  // the sink requests stop while taking this piece (-1: never)
    int refusePiece;  // the sink does not take this piece (-1: takes all)
    std::vector<std::uint32_t> pieces;  // what the sink was handed
    std::vector<std::uint64_t> progress;
    PieceWrite::Outcome outcome;
    std::uint32_t done;
};

const PieceCase kCases[] = {
    {"Whole",
     2 * kPiece + 5,
     false,
     -1,
     -1,
     {kPiece, kPiece, 5},
     {kPiece, 2 * kPiece, 2 * kPiece + 5},
     PieceWrite::Outcome::Whole,
     2 * kPiece + 5},
    {"Empty", 0, false, -1, -1, {}, {}, PieceWrite::Outcome::Whole, 0},
    {"StoppedBeforeAnyPiece", kPiece, true, -1, -1, {}, {}, PieceWrite::Outcome::Stopped, 0},
    {"BrokenInSecondPiece",
     2 * kPiece,
     false,
     -1,
     1,
     {kPiece, kPiece},
     {kPiece},
     PieceWrite::Outcome::BrokenOff,
     kPiece},
    {"StopEndsTheSecondPiece",
     2 * kPiece,
     false,
     1,
     1,
     {kPiece, kPiece},
     {kPiece},
     PieceWrite::Outcome::Stopped,
     kPiece},
    {"StopInFirstPieceTaken",
     2 * kPiece,
     false,
     0,
     -1,
     {kPiece},
     {kPiece},
     PieceWrite::Outcome::Stopped,
     kPiece},
    {"StopInLastPieceTaken",
     kPiece + 9,
     false,
     1,
     -1,
     {kPiece, 9},
     {kPiece, kPiece + 9},
     PieceWrite::Outcome::Stopped,
     kPiece + 9},
};

TEST(WriteInPieces, StopsAndBreaks) {
    for (const PieceCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::string bytes(c.length, 'x');
        FakeStop stop;
        stop.requested = c.stopFirst;
        Progress progress;
        std::vector<std::uint32_t> pieces;
        const PieceWrite write = WriteInPieces(
            [&](const char* piece, std::uint32_t size) {
                EXPECT_EQ(piece, bytes.data() + static_cast<std::size_t>(pieces.size()) * kPiece);
                const int index = static_cast<int>(pieces.size());
                pieces.push_back(size);
                stop.requested = stop.requested || index == c.stopInPiece;
                return index != c.refusePiece;
            },
            bytes.data(), c.length, &stop, &progress);
        EXPECT_EQ(pieces, c.pieces);
        EXPECT_EQ(progress.done, c.progress);
        EXPECT_EQ(write.outcome, c.outcome);
        EXPECT_EQ(write.done, c.done);
    }
}

TEST(WriteInPieces, NoStopNoProgress) {
    const std::string bytes(kPiece + 1, 'x');
    int calls = 0;
    const PieceWrite write = WriteInPieces([&](const char*, std::uint32_t) { return ++calls > 0; },
                                           bytes.data(), kPiece + 1, nullptr, nullptr);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(write.outcome, PieceWrite::Outcome::Whole);
}

}  // namespace
}  // namespace tessaline
