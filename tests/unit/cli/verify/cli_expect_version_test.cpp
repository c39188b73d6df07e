#include "cli/verify/cli_expect_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <string>
#include <vector>

#include "cli/cli_exit.h"
#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

using Args = std::vector<std::string>;

const std::string kFile = "m.bin";
const std::string kSent =
    "Successfully sent entire file to printer.  File size: 6, Bytes written: 6";

PrinterAnswer Runs(const std::string& version) {
    return FactsAnswer("ipp://10.0.0.2/ipp/print", {{"Main", version}});
}

// A printer restarting to apply the file: its address does not answer.
PrinterAnswer Refused() {
    PrinterAnswer answer;
    answer.askedAt = "ipp://10.0.0.2/ipp/print";
    answer.problem = "the printer did not answer: connection refused";
    return answer;
}

void Ready(CliRig& rig) {
    rig.platform.facts = &rig.facts;
    rig.files.files[kFile].content = std::string("UPG\0\xff\n", 6);
    for (std::uint32_t job = 1; job <= 3; ++job) {
        for (const char* printer : {"a", "b"}) {
            rig.jobs.scripts[{printer, job}] = {JobState::Completed};
        }
    }
}

Args Upgrade(const Args& more) {
    Args args = {"upgrade", kFile, "-p", "a", "-y", "--expect-version", "2.1.0"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// How the printer met the document's end.
enum class End { Answered, Refused, Unanswered };

// The route's word on a document's end that went unanswered.
class UnansweredEnd final : public PrinterNotes {
  public:
    std::string TakeNote(const std::string&) override {
        return "the printer at 10.0.0.2:631 did not answer the end of the document";
    }
    bool TakeAnswerLost(const std::string&) override { return true; }
};

struct Case {
    const char* name;
    std::vector<PrinterAnswer> script;  // a's answers, the last one standing
    Args more;
    int exitCode;
    std::string out;
    std::string err;
    bool sent;
    JobState seen = JobState::Completed;  // a's job, as last seen
    End end = End::Answered;
};

const Case kCases[] = {
    {"VerifiedAtOnce",
     {Runs("2.0.3"), Runs("2.1.0")},
     {},
     kExitOk,
     "a: " + kSent + "\na: job 1 completed\na: verified: Main reports 2.1.0 (before: 2.0.3)\n",
     "",
     true},
    {"VerifiedAfterARestart",
     {Runs("2.0.3"), Refused(), Refused(), Refused(), Runs("2.1.0")},
     {"--component", "MAIN"},
     kExitOk,
     "a: " + kSent + "\na: job 1 completed\na: verified: Main reports 2.1.0 (before: 2.0.3)\n",
     "",
     true},
    {"JobLostToTheRestartIsVerified",
     {Runs("2.0.3"), Refused(), Runs("2.1.0")},
     {},
     kExitOk,
     "a: " + kSent + "\na: verified: Main reports 2.1.0 (before: 2.0.3)\n",
     "a: the spooler cannot tell what became of job 1; it was handed over whole, but whether it "
     "printed is not known\n",
     true,
     JobState::Unknown},
    {"EndUnansweredIsVerified",
     {Runs("2.0.3"), Refused(), Runs("2.1.0")},
     {},
     kExitOk,
     "a: verified: Main reports 2.1.0 (before: 2.0.3)\n",
     "a: Printer Error: The printer failed when ending the document. The file was not sent "
     "completely to the printer.\n"
     "a: the printer at 10.0.0.2:631 did not answer the end of the document\n",
     true,
     JobState::Completed,
     End::Unanswered},
    {"EndUnansweredNotVerified",
     {Runs("2.0.3")},
     {"--verify-timeout", "5"},
     kExitNotVerified,
     "",
     "a: Printer Error: The printer failed when ending the document. The file was not sent "
     "completely to the printer.\n"
     "a: the printer at 10.0.0.2:631 did not answer the end of the document\n"
     "a: not verified: the printer reports 2.0.3 for Main, not 2.1.0, 5 s after the upgrade "
     "(before it: 2.0.3)\n",
     true,
     JobState::Completed,
     End::Unanswered},
    {"EndRefusedIsNotChecked",
     {Runs("2.0.3")},
     {},
     kExitStageRefused,
     "",
     "a: Printer Error: The printer failed when ending the document. The file was not sent "
     "completely to the printer.\n",
     true,
     JobState::Completed,
     End::Refused},
    {"NotVerifiedStillTheOldVersion",
     {Runs("2.0.3")},
     {"--verify-timeout", "5"},
     kExitNotVerified,
     "a: " + kSent + "\na: job 1 completed\n",
     "a: not verified: the printer reports 2.0.3 for Main, not 2.1.0, 5 s after the upgrade "
     "(before it: 2.0.3)\n",
     true},
    {"NeverCameBack",
     {Runs("2.0.3"), Refused()},
     {"--verify-timeout", "5"},
     kExitNotVerified,
     "a: " + kSent + "\na: job 1 completed\n",
     "a: not verified: the printer did not answer again within 5 s after the upgrade\n",
     true},
    {"AlreadyCurrentIsNotSent",
     {Runs("2.1.0")},
     {},
     kExitOk,
     "a: already runs 2.1.0 (Main): not sent\n",
     "",
     false},
    {"NotVerifiableIsNotSent",
     {Refused()},
     {},
     kExitNotVerifiable,
     "",
     "a: not sent: its version cannot be checked: the printer did not answer: connection "
     "refused\n",
     false},
    {"HostileVersionIsMadeSafe",
     {Runs("2.0\x1b[2J"), Runs("2.1.0")},
     {},
     kExitOk,
     "a: " + kSent +
         "\na: job 1 completed\na: verified: Main reports 2.1.0 (before: 2.0\\x1b[2J)\n",
     "",
     true},
    {"JsonVerified",
     {Runs("2.0.3"), Runs("2.1.0")},
     {"--json"},
     kExitOk,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Verified\",\"size\":6,\"written\":6,"
     "\"datatype\":\"XPS_PASS\",\"job\":1,\"state\":\"Completed\",\"state_reasons\":[],"
     "\"message\":null,\"seconds\":1.151,\"component\":\"Main\",\"version_before\":\"2.0.3\","
     "\"version_after\":\"2.1.0\"}\n",
     "",
     true},
    {"JsonAlreadyCurrent",
     {Runs("2.1.0")},
     {"--json"},
     kExitOk,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"AlreadyCurrent\",\"size\":6,\"written\":0,"
     "\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":null,"
     "\"seconds\":null,\"component\":\"Main\",\"version_before\":\"2.1.0\",\"version_after\":"
     "null}\n",
     "",
     false},
    {"JsonNotVerifiable",
     {Refused()},
     {"--json"},
     kExitNotVerifiable,
     "{\"printer\":\"a\",\"uri\":null,\"stage\":\"NotVerifiable\",\"size\":6,\"written\":0,"
     "\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,\"message\":\"the "
     "printer did not answer: connection refused\",\"seconds\":null,\"component\":null,"
     "\"version_before\":null,\"version_after\":null}\n",
     "",
     false},
};

TEST(CliExpectVersion, AsksBeforeAndAfterTheUpgrade) {
    for (const Case& c : kCases) {
        CliRig rig;
        Ready(rig);
        rig.facts.scripts["a"] = {c.script.begin(), c.script.end() - 1};
        rig.facts.answers["a"] = c.script.back();
        rig.jobs.scripts[{"a", 1}] = {c.seen};
        UnansweredEnd unanswered;
        rig.spooler.failEndDoc = c.end != End::Answered;
        if (c.end == End::Unanswered) {
            rig.platform.notes = &unanswered;
        }
        EXPECT_EQ(rig.Run(Upgrade(c.more)), c.exitCode) << c.name;
        EXPECT_EQ(rig.out.str(), c.out) << c.name;
        EXPECT_EQ(rig.err.str(), c.err) << c.name;
        // Never a job for a printer kept from the upgrade: not even an open.
        EXPECT_EQ(rig.spooler.calls.empty(), !c.sent) << c.name;
        EXPECT_EQ(rig.spooler.jobs.size(), c.sent ? 1u : 0u) << c.name;
        const std::size_t asks = rig.facts.Asked().size();
        EXPECT_GE(asks, c.sent ? c.script.size() : 1u) << c.name;
        EXPECT_TRUE((c.sent && c.end != End::Refused) || asks == 1) << c.name;
    }
}

struct UsageCase {
    const char* name;
    Args args;
    bool facts;
    std::string err;
};

const UsageCase kUsage[] = {
    {"ComponentAlone",
     {"upgrade", kFile, "-p", "a", "-y", "--component", "Main"},
     true,
     "--component needs --expect-version"},
    {"TimeoutAlone",
     {"upgrade", kFile, "-p", "a", "-y", "--verify-timeout", "5"},
     true,
     "--verify-timeout needs --expect-version"},
    {"TimeoutZero",
     {"upgrade", kFile, "-p", "a", "-y", "--expect-version", "2", "--verify-timeout", "0"},
     true,
     "--verify-timeout takes a number of seconds from 1 to 604800"},
    {"PrintersCannotBeAskedHere",
     {"upgrade", kFile, "-p", "a", "-y", "--expect-version", "2"},
     false,
     "the printers' versions are asked over IPP by the Linux command line; they cannot be asked "
     "here"},
};

TEST(CliExpectVersion, UsageErrors) {
    for (const UsageCase& c : kUsage) {
        CliRig rig;
        Ready(rig);
        rig.platform.facts = c.facts ? &rig.facts : nullptr;
        EXPECT_EQ(rig.Run(c.args), kExitUsage) << c.name;
        EXPECT_EQ(rig.err.str(), "tessaline-cli: " + c.err + "\nTry 'tessaline-cli --help'.\n")
            << c.name;
        EXPECT_TRUE(rig.spooler.calls.empty()) << c.name;
        EXPECT_TRUE(rig.facts.Asked().empty()) << c.name;
    }
}

// With --parallel 1, b is sent while a is still being asked after its restart, and the
// progress line counts a as verifying, not in flight.
TEST(CliExpectVersion, VerifyingHoldsNoSlot) {
    CliRig rig;
    Ready(rig);
    rig.platform.errIsTerminal = true;
    std::vector<std::string> log;
    rig.spooler.log = &log;
    rig.facts.onAsk = [&](const std::string& printer) { log.push_back("Ask(" + printer + ")"); };
    rig.facts.scripts["a"] = {Runs("2.0.3"), Refused(), Refused(), Refused(), Refused()};
    rig.facts.answers["a"] = Runs("2.1.0");
    rig.facts.scripts["b"] = {Runs("2.0.3")};
    rig.facts.answers["b"] = Runs("2.1.0");
    EXPECT_EQ(rig.Run(Upgrade({"-p", "b", "--parallel", "1"})), kExitOk);
    std::vector<std::string> seen;
    std::copy_if(log.begin(), log.end(), std::back_inserter(seen), [](const std::string& call) {
        return call.rfind("Ask(", 0) == 0 || call.rfind("Open(", 0) == 0;
    });
    seen.resize(std::min<std::size_t>(seen.size(), 5));
    EXPECT_EQ(seen, (Args{"Ask(a)", "Ask(b)", "Open(a)", "Open(b)", "Ask(a)"}));
    EXPECT_NE(rig.err.str().find("0/2 done, 0 failed, 1 in flight, 1 verifying"), std::string::npos)
        << rig.err.str();
}

class StopFlag : public StopSignal {
  public:
    bool stop = false;
    bool StopRequested() const override { return stop; }
};

struct StopCase {
    const char* name;
    std::size_t stopAtAsk;  // Ctrl-C comes as this ask (from 1) is made
    bool sent;
};

// Ctrl-C while printers are asked before the upgrade sends nothing; while one is asked after
// its job, it stops the run there. Either way the run gives 130.
TEST(CliExpectVersion, CtrlC) {
    for (const StopCase& c :
         {StopCase{"BeforeTheUpgrade", 1, false}, StopCase{"WhileVerifying", 3, true}}) {
        CliRig rig;
        Ready(rig);
        StopFlag stop;
        rig.platform.stop = &stop;
        std::size_t asks = 0;
        rig.facts.onAsk = [&](const std::string&) { stop.stop = ++asks >= c.stopAtAsk; };
        rig.facts.scripts["a"] = {Runs("2.0.3")};
        rig.facts.answers["a"] = Refused();
        rig.facts.answers["b"] = Runs("2.0.3");
        EXPECT_EQ(rig.Run(Upgrade({"-p", "b", "--parallel", "1"})), kExitInterrupted) << c.name;
        EXPECT_EQ(rig.spooler.jobs.size(), c.sent ? 2u : 0u) << c.name;
        EXPECT_EQ(asks, c.stopAtAsk) << c.name;
    }
}

class PreparedThreads : public ThreadSetup {
  public:
    std::atomic<int> prepared{0};
    void PrepareThisThread() override { ++prepared; }
};

// On threads, an ask that hangs holds up neither the caller nor the other printers' asks.
TEST(ChecksAfterJob, ASlowAskHoldsNothingUp) {
    FakePrinterFacts facts;
    facts.answers["slow"] = Runs("2.1.0");
    facts.answers["quick"] = Runs("2.1.0");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    facts.onAsk = [&](const std::string& printer) {
        if (printer == "slow") {
            released.wait();
        }
    };
    PreparedThreads threads;
    ChecksAfterJob checks(facts, "2.1.0", 600000, nullptr, &threads);
    VersionCheck before;
    before.component = "Main";
    before.version = "2.0.3";
    checks.Begin(0, "slow", before, 0);
    checks.Begin(1, "quick", before, 0);
    EXPECT_TRUE(checks.AskDue(kFirstAskMs - 1).empty());
    std::vector<std::pair<std::size_t, int>> ended;
    for (int round = 0; round < 2000 && ended.empty(); ++round) {
        ended = checks.AskDue(kFirstAskMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(ended, (std::vector<std::pair<std::size_t, int>>{{1, kExitOk}}));
    EXPECT_EQ(checks.Of(0)->Outcome(), VerifyOutcome::Asking);
    release.set_value();
    for (int round = 0; round < 2000 && ended.size() < 2; ++round) {
        const auto more = checks.AskDue(kFirstAskMs + 1);
        ended.insert(ended.end(), more.begin(), more.end());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(ended.back(), (std::pair<std::size_t, int>{0, kExitOk}));
    EXPECT_EQ(checks.Of(0)->Outcome(), VerifyOutcome::Verified);
    EXPECT_EQ(facts.Asked().size(), 2u);
    EXPECT_EQ(threads.prepared, 2);
}

TEST(CliExpectVersion, SummaryShowsTheVersionsAndCountsThoseAlreadyCurrent) {
    CliRig rig;
    Ready(rig);
    rig.facts.scripts["a"] = {Runs("2.0.3")};
    rig.facts.answers["a"] = Runs("2.1.0");
    rig.facts.answers["b"] = Runs("2.1.0");
    EXPECT_EQ(rig.Run(Upgrade({"-p", "b"})), kExitOk);
    const std::string out = rig.out.str();
    EXPECT_NE(out.find("PRINTER  STAGE           WRITTEN  JOB  STATE      VERSION         EXIT\n"
                       "a        Verified        6/6      1    Completed  2.0.3 -> 2.1.0  0\n"
                       "b        AlreadyCurrent  0/6      -    -          2.1.0           0\n"
                       "1 of 2 already ran 2.1.0: not sent\n"),
              std::string::npos)
        << out;
}

}  // namespace
}  // namespace tessaline
