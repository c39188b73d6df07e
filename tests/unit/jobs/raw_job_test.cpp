#include "jobs/raw_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_spooler.h"

namespace tessaline {
namespace {

using Calls = std::vector<std::string>;

// Logs notices into the spooler's own call log, so one sequence shows both in order.
class LoggingReceiver : public NoticeReceiver {
  public:
    explicit LoggingReceiver(Calls& log) : m_log(log) {}
    void OnPrinterOpened() override { m_log.push_back("Opened"); }
    void OnNotice(Notice notice) override {
        switch (notice) {
            case Notice::XpsPassAccepted:
                m_log.push_back("XpsPassAccepted");
                break;
            case Notice::XpsPassRefused:
                m_log.push_back("XpsPassRefused");
                break;
            case Notice::RawRefused:
                m_log.push_back("RawRefused");
                break;
        }
    }

  private:
    Calls& m_log;
};

const std::string kJob = std::string(
    "\x1b"
    "E\0data\x0c",
    8);
const std::string kXps = "StartDoc(My Document,null,XPS_PASS)";
const std::string kRaw = "StartDoc(My Document,null,RAW)";

struct StageCase {
    const char* name;
    std::function<void(FakeSpooler&)> setup;
    RawJobStage stage;
    Calls calls;  // spooler calls and notices, interleaved
};

const StageCase kStageCases[] = {
    {"OpenFails",
     [](FakeSpooler& s) { s.failOpen = true; },
     RawJobStage::OpenFailed,
     {"Open(Laser 1)"}},
    {"AllSucceed",
     [](FakeSpooler&) {},
     RawJobStage::Completed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
    {"XpsRefusedRawAccepted",
     [](FakeSpooler& s) { s.refusedDatatypes = {"XPS_PASS"}; },
     RawJobStage::Completed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", kRaw, "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
    {"BothDatatypesRefused",
     [](FakeSpooler& s) {
         s.refusedDatatypes = {"XPS_PASS", "RAW"};
     },
     RawJobStage::StartDocFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", kRaw, "RawRefused", "Close"}},
    {"OnlyRawRefused",
     [](FakeSpooler& s) { s.refusedDatatypes = {"RAW"}; },
     RawJobStage::Completed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
    {"StartPageFails",
     [](FakeSpooler& s) { s.failStartPage = true; },
     RawJobStage::StartPageFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "EndDoc", "Close"}},
    {"StartPageFailsAfterRaw",
     [](FakeSpooler& s) {
         s.refusedDatatypes = {"XPS_PASS"};
         s.failStartPage = true;
     },
     RawJobStage::StartPageFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", kRaw, "StartPage", "EndDoc", "Close"}},
    {"WriteFails",
     [](FakeSpooler& s) { s.failWrite = true; },
     RawJobStage::WriteFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
    {"EndPageFails",
     [](FakeSpooler& s) { s.failEndPage = true; },
     RawJobStage::EndPageFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
    {"EndDocFails",
     [](FakeSpooler& s) { s.failEndDoc = true; },
     RawJobStage::EndDocFailed,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "Close"}},
};

Calls WithoutNotices(const Calls& calls) {
    Calls spoolerOnly;
    for (const std::string& call : calls) {
        if (call != "Opened" && call.find("Refused") == std::string::npos &&
            call != "XpsPassAccepted") {
            spoolerOnly.push_back(call);
        }
    }
    return spoolerOnly;
}

// Every stage failing, with and without a notice receiver: the calls that follow, the result,
// and each handle closed and each started document ended exactly once.
TEST(SubmitRawJob, EveryStage) {
    for (const StageCase& c : kStageCases) {
        for (bool withReceiver : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (withReceiver ? " with notices" : " silent"));
            FakeSpooler spooler;
            c.setup(spooler);
            LoggingReceiver receiver(spooler.calls);
            const RawJobResult result = SubmitRawJob(spooler, "Laser 1", kJob.data(),
                                                     static_cast<std::uint32_t>(kJob.size()),
                                                     withReceiver ? &receiver : nullptr);
            EXPECT_EQ(result.stage, c.stage);
            EXPECT_EQ(spooler.calls, withReceiver ? c.calls : WithoutNotices(c.calls));
            EXPECT_EQ(spooler.OpenCount(), c.stage == RawJobStage::OpenFailed ? 0 : 1);
            EXPECT_TRUE(spooler.AllHandlesClosedOnce());
            EXPECT_TRUE(spooler.AllDocsEndedOnce());
            EXPECT_TRUE(spooler.handleErrors.empty());
            const bool complete = c.stage == RawJobStage::Completed;
            EXPECT_EQ(result.IsComplete(static_cast<std::uint32_t>(kJob.size())), complete);
            if (complete) {
                EXPECT_EQ(result.written, kJob.size());
                ASSERT_EQ(spooler.jobs.size(), 1u);
                EXPECT_EQ(spooler.jobs[0].bytes, kJob);
                EXPECT_EQ(spooler.jobs[0].printer, "Laser 1");
            }
        }
    }
}

// ---- An exception inside the job: the unwinding ends what was started, once each

struct Thrown : std::exception {};

// Forwards to the recording fake, but throws on entry to one call: the call never reaches it.
class ThrowingSpooler : public Spooler {
  public:
    ThrowingSpooler(FakeSpooler& inner, std::string throwAt)
        : m_inner(inner), m_throwAt(std::move(throwAt)) {}

    bool OpenPrinter(const char* name, PrinterHandle* handle) override {
        Maybe("Open");
        return m_inner.OpenPrinter(name, handle);
    }
    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override {
        Maybe(std::string("StartDoc ") + doc.datatype);
        return m_inner.StartDocPrinter(handle, doc);
    }
    bool StartPagePrinter(PrinterHandle handle) override {
        Maybe("StartPage");
        return m_inner.StartPagePrinter(handle);
    }
    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override {
        Maybe("Write");
        return m_inner.WritePrinter(handle, bytes, length, written);
    }
    bool EndPagePrinter(PrinterHandle handle) override {
        Maybe("EndPage");
        return m_inner.EndPagePrinter(handle);
    }
    bool EndDocPrinter(PrinterHandle handle) override {
        Maybe("EndDoc");
        return m_inner.EndDocPrinter(handle);
    }
    void ClosePrinter(PrinterHandle handle) override {
        Maybe("Close");
        m_inner.ClosePrinter(handle);
    }

  private:
    void Maybe(const std::string& call) {
        if (call == m_throwAt) {
            m_inner.calls.push_back("threw in " + call);
            throw Thrown();
        }
    }

    FakeSpooler& m_inner;
    std::string m_throwAt;
};

// Logs like LoggingReceiver, and throws when told the named event.
class ThrowingReceiver : public LoggingReceiver {
  public:
    ThrowingReceiver(Calls& log, std::string throwAt)
        : LoggingReceiver(log), m_log(log), m_throwAt(std::move(throwAt)) {}
    void OnPrinterOpened() override {
        LoggingReceiver::OnPrinterOpened();
        MaybeThrow();
    }
    void OnNotice(Notice notice) override {
        LoggingReceiver::OnNotice(notice);
        MaybeThrow();
    }

  private:
    void MaybeThrow() {
        if (m_log.back() == m_throwAt) {
            throw Thrown();
        }
    }
    Calls& m_log;
    std::string m_throwAt;
};

struct ThrowCase {
    const char* name;
    std::function<void(FakeSpooler&)> setup;
    const char* spoolerThrowsAt;   // or null
    const char* receiverThrowsAt;  // or null
    Calls calls;
};

const ThrowCase kThrowCases[] = {
    {"ReceiverAtOpened",
     [](FakeSpooler&) {},
     nullptr,
     "Opened",
     {"Open(Laser 1)", "Opened", "Close"}},
    {"ReceiverAtXpsPassAccepted",
     [](FakeSpooler&) {},
     nullptr,
     "XpsPassAccepted",
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "EndDoc", "Close"}},
    {"ReceiverAtXpsPassRefused",
     [](FakeSpooler& s) { s.refusedDatatypes = {"XPS_PASS"}; },
     nullptr,
     "XpsPassRefused",
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", "Close"}},
    {"ReceiverAtRawRefused",
     [](FakeSpooler& s) {
         s.refusedDatatypes = {"XPS_PASS", "RAW"};
     },
     nullptr,
     "RawRefused",
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", kRaw, "RawRefused", "Close"}},
    {"SpoolerAtOpen", [](FakeSpooler&) {}, "Open", nullptr, {"threw in Open"}},
    {"SpoolerAtXpsPassStart",
     [](FakeSpooler&) {},
     "StartDoc XPS_PASS",
     nullptr,
     {"Open(Laser 1)", "Opened", "threw in StartDoc XPS_PASS", "Close"}},
    {"SpoolerAtRawStart",
     [](FakeSpooler& s) { s.refusedDatatypes = {"XPS_PASS"}; },
     "StartDoc RAW",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassRefused", "threw in StartDoc RAW", "Close"}},
    {"SpoolerAtStartPage",
     [](FakeSpooler&) {},
     "StartPage",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "threw in StartPage", "EndDoc", "Close"}},
    {"SpoolerAtWrite",
     [](FakeSpooler&) {},
     "Write",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "threw in Write", "EndPage",
      "EndDoc", "Close"}},
    {"SpoolerAtEndPage",
     [](FakeSpooler&) {},
     "EndPage",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)",
      "threw in EndPage", "EndDoc", "Close"}},
    {"SpoolerAtEndPageAfterAFailedWrite",
     [](FakeSpooler& s) { s.failWrite = true; },
     "EndPage",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)",
      "threw in EndPage", "EndDoc", "Close"}},
    {"SpoolerAtEndDoc",
     [](FakeSpooler&) {},
     "EndDoc",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "threw in EndDoc", "Close"}},
    {"SpoolerAtEndDocAfterAFailedStartPage",
     [](FakeSpooler& s) { s.failStartPage = true; },
     "EndDoc",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "threw in EndDoc", "Close"}},
    {"SpoolerAtClose",
     [](FakeSpooler&) {},
     "Close",
     nullptr,
     {"Open(Laser 1)", "Opened", kXps, "XpsPassAccepted", "StartPage", "Write(8)", "EndPage",
      "EndDoc", "threw in Close"}},
};

// The exception still reaches the caller (the handler guard reports it), and on its way out
// every started page and document is ended and the printer closed, each exactly once.
TEST(SubmitRawJob, AnExceptionEndsWhatWasStartedOnce) {
    for (const ThrowCase& c : kThrowCases) {
        SCOPED_TRACE(c.name);
        FakeSpooler fake;
        c.setup(fake);
        ThrowingSpooler spooler(fake, c.spoolerThrowsAt != nullptr ? c.spoolerThrowsAt : "");
        ThrowingReceiver receiver(fake.calls,
                                  c.receiverThrowsAt != nullptr ? c.receiverThrowsAt : "");
        EXPECT_THROW(SubmitRawJob(spooler, "Laser 1", kJob.data(),
                                  static_cast<std::uint32_t>(kJob.size()), &receiver),
                     Thrown);
        EXPECT_EQ(fake.calls, c.calls);
        // A release call that threw was that call's one try: it is not made again, so the fake
        // never saw it.
        const std::string threwIn = c.spoolerThrowsAt != nullptr ? c.spoolerThrowsAt : "";
        EXPECT_EQ(fake.AllHandlesClosedOnce(), threwIn != "Close");
        EXPECT_EQ(fake.AllDocsEndedOnce(), threwIn != "EndDoc");
        EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(), "Close") +
                      (threwIn == "Close" ? 1 : 0),
                  fake.OpenCount());
        EXPECT_TRUE(fake.handleErrors.empty());
    }
}

// The datatype the spooler took and the job id it gave, so a caller can follow the job.
TEST(SubmitRawJob, ReportsTheAcceptedDatatypeAndJobId) {
    struct Case {
        const char* name;
        std::function<void(FakeSpooler&)> setup;
        const char* datatype;  // null: no document was started
        std::uint32_t jobId;
    };
    const Case cases[] = {
        {"OpenFails", [](FakeSpooler& s) { s.failOpen = true; }, nullptr, 0},
        {"XpsPassAccepted", [](FakeSpooler&) {}, "XPS_PASS", 41},
        {"RawAfterXpsPassRefused", [](FakeSpooler& s) { s.refusedDatatypes = {"XPS_PASS"}; }, "RAW",
         41},
        {"BothRefused",
         [](FakeSpooler& s) {
             s.refusedDatatypes = {"XPS_PASS", "RAW"};
         },
         nullptr, 0},
        {"WriteFailsAfterTheStart", [](FakeSpooler& s) { s.failWrite = true; }, "XPS_PASS", 41},
        {"EndDocFailsAfterRaw",
         [](FakeSpooler& s) {
             s.refusedDatatypes = {"XPS_PASS"};
             s.failEndDoc = true;
         },
         "RAW", 41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSpooler spooler;
        spooler.firstJobId = 41;
        c.setup(spooler);
        const RawJobResult result = SubmitRawJob(spooler, "Laser 1", kJob.data(),
                                                 static_cast<std::uint32_t>(kJob.size()), nullptr);
        EXPECT_EQ(result.datatype == nullptr ? std::string("null") : std::string(result.datatype),
                  c.datatype == nullptr ? std::string("null") : std::string(c.datatype));
        EXPECT_EQ(result.jobId, c.jobId);
    }
}

TEST(SubmitRawJob, EmptyByteStringIsAFullJob) {
    FakeSpooler spooler;
    const RawJobResult result = SubmitRawJob(spooler, "Laser 1", "", 0, nullptr);
    EXPECT_EQ(spooler.calls, (Calls{"Open(Laser 1)", kXps, "StartPage", "Write(0)", "EndPage",
                                    "EndDoc", "Close"}));
    EXPECT_EQ(result.stage, RawJobStage::Completed);
    EXPECT_EQ(result.written, 0u);
    EXPECT_TRUE(result.IsComplete(0));
}

TEST(SubmitRawJob, ShortWriteCompletesButIsNotComplete) {
    FakeSpooler spooler;
    spooler.shortWrite = true;
    spooler.shortWriteCount = 5;
    const RawJobResult result = SubmitRawJob(spooler, "Laser 1", kJob.data(), 8, nullptr);
    EXPECT_EQ(result.stage, RawJobStage::Completed);
    EXPECT_EQ(result.written, 5u);
    EXPECT_FALSE(result.IsComplete(8));
    EXPECT_TRUE(spooler.AllHandlesClosedOnce());
}

TEST(SubmitRawJob, PrinterNamePassedWhole) {
    for (const std::string& name : {std::string(200, 'p'), std::string()}) {
        FakeSpooler spooler;
        SubmitRawJob(spooler, name, "x", 1, nullptr);
        ASSERT_FALSE(spooler.calls.empty());
        EXPECT_EQ(spooler.calls[0], "Open(" + name + ")");
        ASSERT_EQ(spooler.jobs.size(), 1u);
        EXPECT_EQ(spooler.jobs[0].printer, name);
    }
}

// Nothing is remembered between jobs: a refused XPS_PASS is offered again next time.
TEST(SubmitRawJob, NoDatatypeRemembered) {
    FakeSpooler spooler;
    spooler.refusedDatatypes = {"XPS_PASS"};
    SubmitRawJob(spooler, "Laser 1", "a", 1, nullptr);
    SubmitRawJob(spooler, "Laser 1", "b", 1, nullptr);
    const Calls job = {"Open(Laser 1)", kXps,      kRaw,     "StartPage",
                       "Write(1)",      "EndPage", "EndDoc", "Close"};
    Calls both = job;
    both.insert(both.end(), job.begin(), job.end());
    EXPECT_EQ(spooler.calls, both);
    ASSERT_EQ(spooler.jobs.size(), 2u);
    EXPECT_EQ(spooler.jobs[1].datatype, "RAW");
    EXPECT_EQ(spooler.jobs[1].bytes, "b");
    EXPECT_EQ(spooler.OpenCount(), 2);
    EXPECT_TRUE(spooler.AllHandlesClosedOnce());
}

}  // namespace
}  // namespace tessaline
