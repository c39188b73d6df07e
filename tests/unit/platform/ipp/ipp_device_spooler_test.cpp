#include "platform/ipp/ipp_device_spooler.h"

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

using Calls = std::vector<std::string>;

const std::string kPrinter = "ipp://10.0.0.5/ipp/print";
constexpr std::uint32_t kPiece = kWritePieceSize;
constexpr std::uint32_t kLength = 2 * kPiece + 100;  // two whole pieces and a short one
const std::string kWhole = "Write(" + std::to_string(kPiece) + ")";
const std::string kLast = "Write(100)";

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const Calls kOpen = {"Connect", "Formats"};
Calls Job(int id) {
    return {"CreateJob(My Document)",
            "StartDocument(" + std::to_string(id) + ",application/octet-stream)"};
}
const Calls kAllPieces = {kWhole, kWhole, kLast};
// A document cut in mid-request: a new connection carries the cancel, then the cut one is
// dropped.
const Calls kCancelAnew = {"Abandon", "Connect", "Cancel(7)", "Close", "Close"};
// A cancel the job's own idle connection could not carry goes over a new one.
const Calls kCancelAgain = {"Close", "Connect", "Cancel(7)", "Close"};

std::string Stopped(std::uint32_t done) {
    return "stopped after " + std::to_string(done) + " of " + std::to_string(kLength) +
           " bytes; the job is cancelled";
}

struct SweepCase {
    const char* name;
    std::function<void(FakeIppLinks&)> setup;
    RawJobStage stage;
    Calls calls;
    std::string note;
    bool answerLost = false;
};

const SweepCase kSweep[] = {
    // ---- Opening
    {"AllSucceed", [](FakeIppLinks&) {}, RawJobStage::Completed,
     Join({kOpen, Job(7), kAllPieces, {"Finish", "Close"}}), ""},
    {"ConnectFails",
     [](FakeIppLinks& f) { f.failAt["Connect"] = {0}; },
     RawJobStage::OpenFailed,
     {"Connect"},
     "the printer at 10.0.0.5:631 could not be reached"},
    {"FormatsNotSaid", [](FakeIppLinks& f) { f.failAt["Formats"] = {0}; }, RawJobStage::OpenFailed,
     Join({kOpen, {"Close"}}),
     "the printer at 10.0.0.5:631 did not say what it supports: Formats failed"},
    // ---- The document format, checked before any job is made
    {"NoFormatListed", [](FakeIppLinks& f) { f.formats.clear(); }, RawJobStage::StartDocFailed,
     Join({kOpen, {"Close"}}),
     "the printer does not accept application/octet-stream; it names no format it accepts"},
    {"FormatNotListed",
     [](FakeIppLinks& f) {
         f.formats = {"application/pdf", "image/pwg-raster"};
     },
     RawJobStage::StartDocFailed, Join({kOpen, {"Close"}}),
     "the printer does not accept application/octet-stream; it accepts: application/pdf, "
     "image/pwg-raster"},
    {"FormatListedInOtherCase", [](FakeIppLinks& f) { f.formats = {"Application/Octet-Stream"}; },
     RawJobStage::Completed, Join({kOpen, Job(7), kAllPieces, {"Finish", "Close"}}), ""},
    // ---- Create-Job and Send-Document, with the busy retries
    {"CreateJobRefused", [](FakeIppLinks& f) { f.failAt["CreateJob"] = {-1}; },
     RawJobStage::StartDocFailed, Join({kOpen, {"CreateJob(My Document)", "Close"}}),
     "the printer refused the job: CreateJob failed"},
    {"CreateJobBusyTwice", [](FakeIppLinks& f) { f.busyFirst["CreateJob"] = 2; },
     RawJobStage::Completed,
     Join({kOpen,
           {"CreateJob(My Document)", "CreateJob(My Document)"},
           Job(7),
           kAllPieces,
           {"Finish", "Close"}}),
     ""},
    {"CreateJobBusyToTheEnd", [](FakeIppLinks& f) { f.busyFirst["CreateJob"] = 99; },
     RawJobStage::StartDocFailed, Join({kOpen, Calls(4, "CreateJob(My Document)"), {"Close"}}),
     "the printer stayed busy: 4 tries over 7 s"},
    {"StartDocumentRefused", [](FakeIppLinks& f) { f.failAt["StartDocument"] = {-1}; },
     RawJobStage::StartDocFailed, Join({kOpen, Job(7), {"Cancel(7)", "Close"}}),
     "the printer refused the job: StartDocument failed"},
    {"StartDocumentRefusedCancelRefused",
     [](FakeIppLinks& f) {
         f.failAt["StartDocument"] = {-1};
         f.failAt["Cancel"] = {0};
     },
     RawJobStage::StartDocFailed, Join({kOpen, Job(7), {"Cancel(7)"}, kCancelAgain}),
     "the printer refused the job: StartDocument failed"},
    {"StartDocumentBusyOnce", [](FakeIppLinks& f) { f.busyFirst["StartDocument"] = 1; },
     RawJobStage::Completed,
     Join({kOpen, Job(7), {"Cancel(7)"}, Job(8), kAllPieces, {"Finish", "Close"}}), ""},
    {"StartDocumentBusyToTheEnd", [](FakeIppLinks& f) { f.busyFirst["StartDocument"] = 99; },
     RawJobStage::StartDocFailed,
     Join({kOpen,
           Job(7),
           {"Cancel(7)"},
           Job(8),
           {"Cancel(8)"},
           Job(9),
           {"Cancel(9)"},
           Job(10),
           {"Cancel(10)", "Close"}}),
     "the printer stayed busy: 4 tries over 7 s"},
    {"StartDocumentBusyPrinterGoneForCancel",
     [](FakeIppLinks& f) {
         f.busyFirst["StartDocument"] = 1;
         f.failAt["Cancel"] = {0};
         f.failAt["Connect"] = {1};
     },
     RawJobStage::StartDocFailed, Join({kOpen, Job(7), {"Cancel(7)", "Close", "Connect"}}),
     "the printer refused the job: the printer at 10.0.0.5:631 could not be reached"},
    // ---- The write, broken off: no end, and a cancel over a new connection
    {"WriteBreaksInFirstPiece", [](FakeIppLinks& f) { f.breakAfterBytes = 1000; },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), {kWhole}, kCancelAnew}),
     "the printer at 10.0.0.5:631 broke off the transfer after 0 bytes"},
    {"WriteFailsInLastPiece", [](FakeIppLinks& f) { f.failAt["Write"] = {2}; },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), kAllPieces, kCancelAnew}),
     "the printer at 10.0.0.5:631 broke off the transfer after " + std::to_string(2 * kPiece) +
         " bytes"},
    {"WriteBreaksPrinterGoneForCancel",
     [](FakeIppLinks& f) {
         f.breakAfterBytes = 1000;
         f.failAt["Connect"] = {1};
     },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), {kWhole, "Abandon", "Connect", "Close"}}),
     "the printer at 10.0.0.5:631 broke off the transfer after 0 bytes"},
    // ---- The document's end
    {"FinishRefusesFormat", [](FakeIppLinks& f) { f.refuseAtFinish = true; },
     RawJobStage::EndDocFailed, Join({kOpen, Job(7), kAllPieces, {"Finish", "Cancel(7)", "Close"}}),
     "Unsupported format"},
    {"FinishFails", [](FakeIppLinks& f) { f.failAt["Finish"] = {0}; }, RawJobStage::EndDocFailed,
     Join({kOpen, Job(7), kAllPieces, {"Finish", "Cancel(7)", "Close"}}), "Finish failed"},
    {"FinishFailsCancelRefused",
     [](FakeIppLinks& f) {
         f.failAt["Finish"] = {0};
         f.failAt["Cancel"] = {0};
     },
     RawJobStage::EndDocFailed,
     Join({kOpen, Job(7), kAllPieces, {"Finish", "Cancel(7)"}, kCancelAgain}), "Finish failed"},
    // A printer that restarts to apply the file may drop the connection unanswered: libcups
    // then reports success.
    {"FinishUnanswered", [](FakeIppLinks& f) { f.dropAtFinish = true; }, RawJobStage::EndDocFailed,
     Join({kOpen, Job(7), kAllPieces, {"Finish"}, kCancelAnew}),
     "the printer at 10.0.0.5:631 did not answer the end of the document", true},
    // ---- Ctrl-C before each piece, inside each piece, and after the last one
    {"StopBeforeFirstPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"StartDocument", 0};
     },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), kCancelAnew}), Stopped(0)},
    {"StopBeforeSecondPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"Write", 0};
     },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), {kWhole}, kCancelAnew}), Stopped(kPiece)},
    {"StopBeforeLastPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"Write", 1};
     },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), {kWhole, kWhole}, kCancelAnew}),
     Stopped(2 * kPiece)},
    {"StopAfterLastPiece",
     [](FakeIppLinks& f) {
         f.stopAfter = {"Write", 2};
     },
     RawJobStage::WriteFailed, Join({kOpen, Job(7), kAllPieces, kCancelAnew}), Stopped(kLength)},
    {"StopInFirstPiece", [](FakeIppLinks& f) { f.stopDuringWrite = 0; }, RawJobStage::WriteFailed,
     Join({kOpen, Job(7), {kWhole}, kCancelAnew}), Stopped(0)},
    {"StopInSecondPiece", [](FakeIppLinks& f) { f.stopDuringWrite = 1; }, RawJobStage::WriteFailed,
     Join({kOpen, Job(7), {kWhole, kWhole}, kCancelAnew}), Stopped(kPiece)},
    {"StopInLastPiece", [](FakeIppLinks& f) { f.stopDuringWrite = 2; }, RawJobStage::WriteFailed,
     Join({kOpen, Job(7), kAllPieces, kCancelAnew}), Stopped(2 * kPiece)},
    {"StopWhileTheEndWaits", [](FakeIppLinks& f) { f.stopDuringFinish = true; },
     RawJobStage::EndDocFailed, Join({kOpen, Job(7), kAllPieces, {"Finish"}, kCancelAnew}),
     Stopped(kLength)},
};

int Count(const Calls& calls, const std::string& call) {
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

// Every call that can fail, and a stop at every piece: what follows, what the user is told, a
// cancel exactly for each job whose document did not end, each connection closed once.
TEST(IppDeviceSpooler, FaultSweep) {
    const std::string bytes(kLength, 'x');
    for (const SweepCase& c : kSweep) {
        SCOPED_TRACE(c.name);
        FakeIppLinks links;
        FakeStop stop;
        links.stop = &stop;
        c.setup(links);
        std::vector<std::uint32_t> slept;
        IppDeviceSpooler spooler(links, &stop, [&](std::uint32_t ms) { slept.push_back(ms); });
        const RawJobResult result = SubmitRawJob(spooler, kPrinter, bytes.data(), kLength, nullptr);
        EXPECT_EQ(result.stage, c.stage);
        EXPECT_EQ(links.calls, c.calls);
        EXPECT_EQ(spooler.TakeNote(kPrinter), c.note);
        EXPECT_EQ(spooler.TakeNote(kPrinter), "");
        EXPECT_EQ(spooler.TakeAnswerLost(kPrinter), c.answerLost);
        EXPECT_FALSE(spooler.TakeAnswerLost(kPrinter));
        EXPECT_EQ(Count(links.calls, "Close"),
                  Count(links.calls, "Connect") - static_cast<int>(links.failAt["Connect"].size()));
        EXPECT_EQ(links.misuse, Calls());
        EXPECT_EQ(result.IsComplete(kLength), c.stage == RawJobStage::Completed);
    }
}

}  // namespace
}  // namespace tessaline
