#include "platform/cups/cups_spooler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "fakes/fake_ipp_links.h"
#include "jobs/raw_job.h"
#include "platform/ipp/piece_writer.h"

namespace tessaline {
namespace {

TEST(CupsSpoolerNames, QueueOfDestination) {
    EXPECT_EQ(QueueOfDestination("office"), "office");
    EXPECT_EQ(QueueOfDestination("office/duplex"), "office");
    EXPECT_EQ(QueueOfDestination(""), "");
}

// ---- The queue route over the links' fake: every call failing, and Ctrl-C at every piece

using Calls = std::vector<std::string>;

constexpr std::uint32_t kPiece = kWritePieceSize;
constexpr std::uint32_t kLength = kPiece + 10;
const Calls kJob = {"Connect", "CreateJob(My Document)",
                    "StartDocument(7,application/vnd.cups-raw)"};
const Calls kPieces = {"Write(" + std::to_string(kPiece) + ")", "Write(10)"};
const Calls kCancelAnew = {"Abandon", "Connect", "Cancel(7)", "Close", "Close"};
// A cancel the job's own idle connection could not carry goes over a new one.
const Calls kCancelAgain = {"Close", "Connect", "Cancel(7)", "Close"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

struct QueueCase {
    const char* name;
    std::function<void(FakeIppLinks&)> setup;
    RawJobStage stage;
    Calls calls;
};

const QueueCase kSweep[] = {
    {"AllSucceed", [](FakeIppLinks&) {}, RawJobStage::Completed,
     Join({kJob, kPieces, {"Finish", "Close"}})},
    {"NoSuchQueue",
     [](FakeIppLinks& f) { f.failAt["Connect"] = {0}; },
     RawJobStage::OpenFailed,
     {"Connect"}},
    {"CreateJobRefused",
     [](FakeIppLinks& f) { f.failAt["CreateJob"] = {0}; },
     RawJobStage::StartDocFailed,
     {"Connect", "CreateJob(My Document)", "Close"}},
    {"StartDocumentRefused", [](FakeIppLinks& f) { f.failAt["StartDocument"] = {0}; },
     RawJobStage::StartDocFailed, Join({kJob, {"Cancel(7)", "Close"}})},
    {"WriteBreaks", [](FakeIppLinks& f) { f.failAt["Write"] = {1}; }, RawJobStage::WriteFailed,
     Join({kJob, kPieces, kCancelAnew})},
    {"FinishRefused", [](FakeIppLinks& f) { f.failAt["Finish"] = {0}; }, RawJobStage::EndDocFailed,
     Join({kJob, kPieces, {"Finish", "Cancel(7)", "Close"}})},
    {"FinishRefusedCancelRefused",
     [](FakeIppLinks& f) {
         f.failAt["Finish"] = {0};
         f.failAt["Cancel"] = {0};
     },
     RawJobStage::EndDocFailed, Join({kJob, kPieces, {"Finish", "Cancel(7)"}, kCancelAgain})},
    {"StopBeforeFirstPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"StartDocument", 0};
     },
     RawJobStage::WriteFailed, Join({kJob, kCancelAnew})},
    {"StopInLastPiece", [](FakeIppLinks& f) { f.stopDuringWrite = 1; }, RawJobStage::WriteFailed,
     Join({kJob, kPieces, kCancelAnew})},
    {"StopAfterLastPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"Write", 1};
     },
     RawJobStage::WriteFailed, Join({kJob, kPieces, kCancelAnew})},
    {"StopWhileTheEndWaits", [](FakeIppLinks& f) { f.stopDuringFinish = true; },
     RawJobStage::EndDocFailed, Join({kJob, kPieces, {"Finish"}, kCancelAnew})},
};

TEST(CupsSpooler, FaultSweep) {
    const std::string bytes(kLength, 'x');
    for (const QueueCase& c : kSweep) {
        SCOPED_TRACE(c.name);
        FakeIppLinks links;
        FakeStop stop;
        links.stop = &stop;
        c.setup(links);
        CupsSpooler spooler(links, &stop);
        const RawJobResult result = SubmitRawJob(spooler, "office", bytes.data(), kLength, nullptr);
        EXPECT_EQ(result.stage, c.stage);
        EXPECT_EQ(links.calls, c.calls);
        EXPECT_EQ(std::count(links.calls.begin(), links.calls.end(), "Close"),
                  std::count(links.calls.begin(), links.calls.end(), "Connect") -
                      static_cast<long>(links.failAt["Connect"].size()));
        EXPECT_EQ(links.misuse, Calls());
    }
}

}  // namespace
}  // namespace tessaline
