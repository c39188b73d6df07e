#include "platform/cups/cups_destination_router.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_job_monitor.h"
#include "fakes/fake_spooler.h"

namespace tessaline {
namespace {

class FakeNotes : public PrinterNotes, public DocumentFormatChoice, public WriteProgressSource {
  public:
    std::map<std::string, std::string> notes;
    std::vector<std::string> formats;
    std::vector<WriteProgress*> sinks;
    std::string TakeNote(const std::string& printer) override {
        std::string note = notes[printer];
        notes.erase(printer);
        return note;
    }
    std::set<std::string> answersLost;
    bool TakeAnswerLost(const std::string& printer) override {
        return answersLost.erase(printer) != 0;
    }
    void UseDocumentFormat(const std::string& mimeType) override { formats.push_back(mimeType); }
    void SetWriteProgress(WriteProgress* sink) override { sinks.push_back(sink); }
};

class FakeRefusals : public PasswordRefusals {
  public:
    std::string refusal;
    std::string TakeRefusal() override {
        std::string taken = refusal;
        refusal.clear();
        return taken;
    }
};

class RouterTest : public ::testing::Test {
  protected:
    FakeSpooler queueSpooler;
    FakeSpooler deviceSpooler;
    FakeJobMonitor queueJobs;
    FakeJobMonitor deviceJobs;
    FakeNotes deviceExtras;
    FakeRefusals refusals;
    CupsDestinationRouter router{
        PrinterRoute{queueSpooler, queueJobs},
        PrinterRoute{deviceSpooler, deviceJobs, &deviceExtras, &deviceExtras, &deviceExtras},
        &refusals};

    // One whole job through the router, as the core sends it.
    bool Print(const char* printer) {
        PrinterHandle handle = 0;
        if (!router.OpenPrinter(printer, &handle)) {
            return false;
        }
        const DocInfo1 doc{"doc", nullptr, "RAW"};
        std::uint32_t written = 0;
        const bool ok = router.StartDocPrinter(handle, doc) != 0 &&
                        router.StartPagePrinter(handle) &&
                        router.WritePrinter(handle, "abc", 3, &written) &&
                        router.EndPagePrinter(handle) && router.EndDocPrinter(handle);
        router.ClosePrinter(handle);
        return ok;
    }
};

TEST_F(RouterTest, SendsEachNameToItsSpooler) {
    struct Case {
        const char* printer;
        bool device;
    };
    const Case cases[] = {
        {"laser1", false},
        {"ipp://10.0.0.5/ipp/print", true},
        {"ipps://printer.example:8443/ipp/print", true},
        {"laser1/duplex", false},
        {"IPP://upper/case", false},
        {"ippx://other", false},
        {"", false},
    };
    for (const Case& c : cases) {
        queueSpooler.calls.clear();
        deviceSpooler.calls.clear();
        EXPECT_TRUE(Print(c.printer)) << c.printer;
        const std::vector<std::string> whole{"Open(" + std::string(c.printer) + ")",
                                             "StartDoc(doc,null,RAW)",
                                             "StartPage",
                                             "Write(3)",
                                             "EndPage",
                                             "EndDoc",
                                             "Close"};
        EXPECT_EQ(c.device ? deviceSpooler.calls : queueSpooler.calls, whole) << c.printer;
        EXPECT_TRUE((c.device ? queueSpooler.calls : deviceSpooler.calls).empty()) << c.printer;
    }
    EXPECT_TRUE(queueSpooler.AllHandlesClosedOnce());
    EXPECT_TRUE(deviceSpooler.AllHandlesClosedOnce());
    EXPECT_TRUE(queueSpooler.handleErrors.empty());
    EXPECT_TRUE(deviceSpooler.handleErrors.empty());
}

// Both fakes hand out the same first handle; the router's own handles keep them apart.
TEST_F(RouterTest, HandlesOfBothSpoolersStayDistinct) {
    PrinterHandle queue = 0;
    PrinterHandle device = 0;
    ASSERT_TRUE(router.OpenPrinter("laser1", &queue));
    ASSERT_TRUE(router.OpenPrinter("ipp://p/ipp/print", &device));
    EXPECT_NE(queue, device);
    router.ClosePrinter(device);
    EXPECT_EQ(deviceSpooler.calls.back(), "Close");
    EXPECT_EQ(queueSpooler.calls, std::vector<std::string>{"Open(laser1)"});
    router.ClosePrinter(queue);
    router.ClosePrinter(queue);  // a second close reaches no spooler
    EXPECT_TRUE(queueSpooler.AllHandlesClosedOnce());
    EXPECT_TRUE(deviceSpooler.AllHandlesClosedOnce());
    EXPECT_TRUE(queueSpooler.handleErrors.empty());
    EXPECT_EQ(router.StartDocPrinter(queue, DocInfo1{"d", nullptr, "RAW"}), 0u);
}

TEST_F(RouterTest, FailedOpenGivesNoHandle) {
    deviceSpooler.failOpen = true;
    PrinterHandle handle = 0;
    EXPECT_FALSE(router.OpenPrinter("ipp://p/ipp/print", &handle));
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(deviceSpooler.closeCounts.empty());
}

TEST_F(RouterTest, JobsNotesAndFormatsFollowTheRoute) {
    queueJobs.scripts[{"laser1", 7}] = {JobState::Completed};
    deviceJobs.scripts[{"ipp://p/x", 7}] = {JobState::Aborted};
    EXPECT_EQ(router.State("laser1", 7), JobState::Completed);
    EXPECT_EQ(router.Status("ipp://p/x", 7).state, JobState::Aborted);
    EXPECT_EQ(queueJobs.calls, std::vector<std::string>{"State(laser1,7)"});
    EXPECT_EQ(deviceJobs.calls, std::vector<std::string>{"State(ipp://p/x,7)"});

    deviceExtras.notes["ipp://p/x"] = "the printer at p:631 could not be reached";
    EXPECT_EQ(router.TakeNote("laser1"), "");
    EXPECT_EQ(router.TakeNote("ipp://p/x"), "the printer at p:631 could not be reached");
    EXPECT_EQ(router.TakeNote("ipp://p/x"), "");
    deviceExtras.answersLost.insert("ipp://p/x");
    EXPECT_FALSE(router.TakeAnswerLost("laser1"));
    EXPECT_TRUE(router.TakeAnswerLost("ipp://p/x"));
    EXPECT_FALSE(router.TakeAnswerLost("ipp://p/x"));

    router.UseDocumentFormat("application/vnd.hp-PCL");
    EXPECT_EQ(deviceExtras.formats, std::vector<std::string>{"application/vnd.hp-PCL"});
    router.SetWriteProgress(nullptr);
    EXPECT_EQ(deviceExtras.sinks.size(), 1u);
}

// A password refused over a plain connection is why the next failing call failed, on either
// route; a call that succeeds leaves it for the one it belongs to.
TEST_F(RouterTest, RefusedPasswordBecomesTheFailingPrintersNote) {
    const std::string refusal =
        "refused to send a password over a plain connection to p:631; use --encrypt or ipps://";
    refusals.refusal = refusal;
    EXPECT_TRUE(Print("laser2"));
    EXPECT_EQ(router.TakeNote("laser2"), "");

    deviceSpooler.refusedDatatypes = {"RAW"};
    deviceExtras.notes["ipp://p/x"] = "the printer refused the job: Unauthorized";
    EXPECT_FALSE(Print("ipp://p/x"));
    EXPECT_EQ(router.TakeNote("ipp://p/x"), refusal);
    EXPECT_EQ(router.TakeNote("ipp://p/x"), "");
    EXPECT_EQ(refusals.refusal, "");

    refusals.refusal = refusal;
    queueSpooler.failOpen = true;
    EXPECT_FALSE(Print("laser1"));
    EXPECT_EQ(router.TakeNote("laser1"), refusal);
}

}  // namespace
}  // namespace tessaline
