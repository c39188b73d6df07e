#include "cli/cli_forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/cli_rig.h"

namespace tessaline {
namespace {

const char kSection[] = "software\\Korvane\\Tessaline\\Print Settings";

struct Case {
    const char* name;
    std::function<void(CliRig&)> setup;
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> jobs;  // every job's bytes, in order
    std::string out;
    std::string err;
};

const Case kCases[] = {
    {"DefaultsLetterPortrait",
     nullptr,
     {"forms", "2", "-p", "a"},
     0,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f2y3X\f"},
     "a: forms 2 to 2: 1 of 1 jobs complete\n",
     ""},
    // The window's key, whatever this program is called.
    {"StoredA4Landscape",
     [](CliRig& r) {
         r.registry.SetDword(kSection, "Page Size", 4);
         r.registry.SetDword(kSection, "Page Orientation", 1);
     },
     {"forms", "11-10", "-p", "a"},
     0,
     {"\x1b"
      "E\x1b&l26a1O\x1b&f10y3X\f",
      "\x1b"
      "E\x1b&l26a1O\x1b&f11y3X\f"},
     "a: forms 10 to 11: 2 of 2 jobs complete\n",
     ""},
    {"LeadingDashRange",
     nullptr,
     {"forms", "-1", "-p", "a"},
     0,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f0y3X\f",
      "\x1b"
      "E\x1b&l2a0O\x1b&f1y3X\f"},
     "a: forms 0 to 1: 2 of 2 jobs complete\n",
     ""},
    {"PrinterNotOpened",
     [](CliRig& r) { r.spooler.unknownPrinters = {"a"}; },
     {"forms", "1-2", "-p", "a"},
     4,
     {},
     "a: forms 1 to 2: 0 of 2 jobs complete\n",
     "a: form 1: the printer could not be opened\na: form 2: the printer could not be opened\n"},
    {"ShortWrite",
     [](CliRig& r) {
         r.spooler.shortWrite = true;
         r.spooler.shortWriteCount = 3;
     },
     {"forms", "5", "-p", "a"},
     6,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f5y3X\f"},
     "a: forms 5 to 5: 0 of 1 jobs complete\n",
     "a: form 5: only 3 of 17 bytes were written\n"},
    {"JsonPerForm",
     [](CliRig& r) { r.spooler.refusedDatatypes = {"XPS_PASS"}; },
     {"forms", "3-4", "-p", "a", "--json"},
     0,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f3y3X\f",
      "\x1b"
      "E\x1b&l2a0O\x1b&f4y3X\f"},
     "{\"printer\":\"a\",\"uri\":null,\"form\":3,\"stage\":\"Completed\",\"size\":17,"
     "\"written\":17,\"datatype\":\"RAW\",\"job\":1,\"state\":null,\"state_reasons\":null,"
     "\"message\":null,\"seconds\":0.000}\n"
     "{\"printer\":\"a\",\"uri\":null,\"form\":4,\"stage\":\"Completed\",\"size\":17,"
     "\"written\":17,\"datatype\":\"RAW\",\"job\":2,\"state\":null,\"state_reasons\":null,"
     "\"message\":null,\"seconds\":0.000}\n",
     ""},
    {"JsonRefused",
     [](CliRig& r) {
         r.spooler.refusedDatatypes = {"XPS_PASS", "RAW"};
     },
     {"forms", "7", "-p", "a", "--json"},
     5,
     {},
     "{\"printer\":\"a\",\"uri\":null,\"form\":7,\"stage\":\"StartDocFailed\",\"size\":17,"
     "\"written\":0,\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,"
     "\"message\":null,\"seconds\":0.000}\n",
     ""},
    // A later good form does not wipe out an earlier failure of the same printer.
    {"EarlyFailureThenGoodForms",
     [](CliRig& r) { r.spooler.failOpenAt = {0}; },
     {"forms", "1-3", "-p", "a"},
     4,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f2y3X\f",
      "\x1b"
      "E\x1b&l2a0O\x1b&f3y3X\f"},
     "a: forms 1 to 3: 2 of 3 jobs complete\n",
     "a: form 1: the printer could not be opened\n"},
    {"TwoPrintersHighestWins",
     [](CliRig& r) { r.spooler.unknownPrinters = {"b"}; },
     {"forms", "1", "-p", "a", "-p", "b"},
     4,
     {"\x1b"
      "E\x1b&l2a0O\x1b&f1y3X\f"},
     "a: forms 1 to 1: 1 of 1 jobs complete\nb: forms 1 to 1: 0 of 1 jobs complete\n",
     "b: form 1: the printer could not be opened\n"},
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class CliFormsTest : public ::testing::TestWithParam<Case> {};

TEST_P(CliFormsTest, SendsTheWindowsBytesAndReportsIncompleteJobs) {
    const Case& c = GetParam();
    CliRig rig;
    if (c.setup) {
        c.setup(rig);
    }
    EXPECT_EQ(rig.Run(c.args), c.exitCode);
    std::vector<std::string> jobs;
    for (const FakeSpoolJob& job : rig.spooler.jobs) {
        jobs.push_back(job.bytes);
    }
    EXPECT_EQ(jobs, c.jobs);
    EXPECT_EQ(rig.out.str(), c.out);
    EXPECT_EQ(rig.err.str(), c.err);
    EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
}

INSTANTIATE_TEST_SUITE_P(Cases, CliFormsTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

// The settings are read afresh for every form, as the window does.
TEST(CliForms, ReadsTheSettingsForEveryForm) {
    CliRig rig;
    rig.Run({"forms", "1-3", "-p", "a"});
    int pageSizeReads = 0;
    for (const std::string& call : rig.registry.calls) {
        pageSizeReads += call == "Query(Page Size)" ? 1 : 0;
    }
    EXPECT_EQ(pageSizeReads, 3);
}

}  // namespace
}  // namespace tessaline
