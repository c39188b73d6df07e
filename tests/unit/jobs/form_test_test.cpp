#include "jobs/form_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"
#include "fakes/fake_spooler.h"

namespace tessaline {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
const char kSection[] = "software\\Korvane\\Tessaline\\Print Settings";

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char two[4];
        std::snprintf(two, sizeof two, "%02X", byte);
        hex += hex.empty() ? "" : " ";
        hex += two;
    }
    return hex;
}

TEST(TextValue, AtoiRuleSaturating) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    const Case cases[] = {
        {"", 0},
        {"7", 7},
        {" 12 ", 12},
        {"\t\n\v\f\r8", 8},
        {"+5", 5},
        {"-5", -5},
        {"  -42abc", -42},
        {"12abc", 12},
        {"abc", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"+", 0},
        {"\xa0"
         "5",
         0},
        {"0000000000000000000007", 7},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"99999999999", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"-99999999999999999999999", kMin},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextValue(c.text), c.value);
    }
}

TEST(ParseFormRange, Texts) {
    struct Case {
        const char* text;
        std::int32_t first;
        std::int32_t last;
    };
    const Case cases[] = {
        {"", 0, 0},
        {"7", 7, 7},
        {" 12 ", 12, 12},
        {"4-11", 4, 11},
        {"11-4", 4, 11},
        {"4-4", 4, 4},
        {"-5", 0, 5},
        {"4-", 0, 4},
        {"3-5-7", 3, 5},
        {"abc", 0, 0},
        {"+5", 5, 5},
        {" 2 - 9 ", 2, 9},
        {"99999999999", kMax, kMax},
        {"-99999999999", 0, kMax},
        {"2147483646-99999999999", 2147483646, kMax},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FormRange range = ParseFormRange(c.text);
        EXPECT_EQ(range.first, c.first);
        EXPECT_EQ(range.last, c.last);
    }
}

// Every page size position with orientation 0 and form 4.
TEST(FormTestJob, GoldenBytesPerPageSize) {
    const char* const expected[] = {
        "1B 45 1B 26 6C 31 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 33 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 36 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 32 36 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 32 37 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 38 30 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 38 31 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 39 30 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 39 31 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 31 30 30 61 30 4F 1B 26 66 34 79 33 58 0C",
        "1B 45 1B 26 6C 31 30 31 61 30 4F 1B 26 66 34 79 33 58 0C",
    };
    for (std::int32_t index = 0; index < 12; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(Hex(FormTestJob(PclPageSizeCode(index), 0, 4)), expected[index]);
    }
}

TEST(FormTestJob, GoldenBytesEdges) {
    struct Case {
        const char* name;
        std::int32_t pageSizeIndex;
        std::int32_t orientation;
        std::int32_t form;
        const char* hex;
    };
    const Case cases[] = {
        {"Letter form 2", 1, 0, 2, "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 32 79 33 58 0C"},
        {"Index -1 is Letter", -1, 0, 4, "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 34 79 33 58 0C"},
        {"Index 12 is Letter", 12, 0, 4, "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 34 79 33 58 0C"},
        {"Index min is Letter", kMin, 0, 4, "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 34 79 33 58 0C"},
        {"Orientation -1", 1, -1, 4, "1B 45 1B 26 6C 32 61 2D 31 4F 1B 26 66 34 79 33 58 0C"},
        {"Landscape A4 form 0", 4, 1, 0, "1B 45 1B 26 6C 32 36 61 31 4F 1B 26 66 30 79 33 58 0C"},
        {"Largest form", 1, 3, kMax,
         "1B 45 1B 26 6C 32 61 33 4F 1B 26 66 32 31 34 37 34 38 33 36 34 37 79 33 58 0C"},
        {"Smallest form", 1, 0, kMin,
         "1B 45 1B 26 6C 32 61 30 4F 1B 26 66 2D 32 31 34 37 34 38 33 36 34 38 79 33 58 0C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(FormTestJob(PclPageSizeCode(c.pageSizeIndex), c.orientation, c.form)), c.hex);
    }
}

// Logs what the window is asked for, with how far the settings and the spooler had got.
class FakeHost : public FormTestHost {
  public:
    FakeHost(FakeRegistry& registry, FakeSpooler& spooler)
        : m_registry(registry), m_spooler(spooler) {}

    std::string printer = "Laser 1";
    std::vector<std::string> events;
    std::function<void(int)> onTakeFields;  // given how many times TakeFields ran before

    PrinterName SelectedPrinter() override {
        events.push_back("SelectedPrinter " + Progress());
        return printer;
    }
    void TakeFields() override {
        events.push_back("TakeFields " + Progress());
        if (onTakeFields) {
            onTakeFields(m_takes);
        }
        ++m_takes;
    }

  private:
    std::string Progress() const {
        int queries = 0;
        for (const std::string& call : m_registry.calls) {
            queries += call.rfind("Query(", 0) == 0 ? 1 : 0;
        }
        return "queries=" + std::to_string(queries) +
               " spooler=" + std::to_string(m_spooler.calls.size());
    }

    FakeRegistry& m_registry;
    FakeSpooler& m_spooler;
    int m_takes = 0;
};

struct Rig {
    FakeSpooler spooler;
    FakeRegistry registry;
    ProfileStore profile{registry, kMakerKey, "Tessaline"};
    FakeHost host{registry, spooler};
    FormTestContext context{spooler, profile, host};

    std::vector<std::string> JobHex() const {
        std::vector<std::string> hex;
        for (const FakeSpoolJob& job : spooler.jobs) {
            hex.push_back(Hex(job.bytes));
        }
        return hex;
    }
};

std::vector<std::string> ExpectedJobs(std::int32_t first, std::int32_t last) {
    std::vector<std::string> hex;
    for (std::int32_t form = first; form <= last; ++form) {
        hex.push_back(Hex(FormTestJob(2, 0, form)));
    }
    return hex;
}

TEST(SendFormTest, FreshAccountSendsLetterPortrait) {
    Rig rig;
    EXPECT_TRUE(SendFormTest(rig.context, 2));
    EXPECT_EQ(rig.JobHex(),
              std::vector<std::string>{"1B 45 1B 26 6C 32 61 30 4F 1B 26 66 32 79 33 58 0C"});
    EXPECT_EQ(rig.spooler.jobs[0].printer, "Laser 1");
    EXPECT_EQ(rig.spooler.jobs[0].datatype, "XPS_PASS");
    // Printer first, both settings read before the fields are taken, and nothing sent before.
    EXPECT_EQ(rig.host.events, (std::vector<std::string>{"SelectedPrinter queries=0 spooler=0",
                                                         "TakeFields queries=2 spooler=0"}));
    EXPECT_EQ(rig.registry.ValueCount(), 0u);
    EXPECT_EQ(rig.registry.OpenHandleCount(), 0);
}

TEST(SendFormTest, StoredSettings) {
    struct Case {
        const char* name;
        std::int32_t pageSize;
        std::int32_t orientation;
        const char* hex;
    };
    const Case cases[] = {
        {"A4 landscape", 4, 1, "1B 45 1B 26 6C 32 36 61 31 4F 1B 26 66 37 79 33 58 0C"},
        {"Nothing chosen", -1, -1, "1B 45 1B 26 6C 32 61 2D 31 4F 1B 26 66 37 79 33 58 0C"},
        {"Maximum reverse landscape", 11, 3,
         "1B 45 1B 26 6C 31 30 31 61 33 4F 1B 26 66 37 79 33 58 0C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.registry.SetDword(kSection, "Page Size", static_cast<std::uint32_t>(c.pageSize));
        rig.registry.SetDword(kSection, "Page Orientation",
                              static_cast<std::uint32_t>(c.orientation));
        EXPECT_TRUE(SendFormTest(rig.context, 7));
        EXPECT_EQ(rig.JobHex(), std::vector<std::string>{c.hex});
    }
}

TEST(SendFormTest, ResultIsWhetherTheJobReachedTheSpoolerWhole) {
    struct Case {
        const char* name;
        std::function<void(FakeSpooler&)> setup;
        bool complete;
    };
    const Case cases[] = {
        {"Open fails", [](FakeSpooler& s) { s.failOpen = true; }, false},
        {"Write fails", [](FakeSpooler& s) { s.failWrite = true; }, false},
        {"Short write",
         [](FakeSpooler& s) {
             s.shortWrite = true;
             s.shortWriteCount = 16;
         },
         false},
        {"Raw fallback", [](FakeSpooler& s) { s.refusedDatatypes = {"XPS_PASS"}; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        c.setup(rig.spooler);
        EXPECT_EQ(SendFormTest(rig.context, 4), c.complete);
        EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
    }
}

TEST(PrintForms, Ranges) {
    struct Case {
        const char* text;
        std::int32_t first;
        std::int32_t last;
    };
    const Case cases[] = {
        {"4-11", 4, 11}, {"11-4", 4, 11}, {"", 0, 0},   {"abc", 0, 0},
        {"-5", 0, 5},    {"4-4", 4, 4},   {"4-", 0, 4}, {"3-5-7", 3, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Rig rig;
        PrintForms(rig.context, c.text);
        EXPECT_EQ(rig.JobHex(), ExpectedJobs(c.first, c.last));
        EXPECT_EQ(rig.spooler.OpenCount(), c.last - c.first + 1);
        EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
    }
}

// Counting past the largest value wraps where no sanitizer stops it, and the run would go on
// for four billion jobs: a job beyond those expected ends it here with an exception.
void StopAfterJobs(Rig& rig, int jobs) {
    rig.host.onTakeFields = [jobs](int take) {
        if (take >= jobs) {
            throw std::runtime_error("a job after the last form");
        }
    };
}

TEST(PrintForms, EndsAfterTheLargestForm) {
    Rig rig;
    StopAfterJobs(rig, 2);
    EXPECT_NO_THROW(PrintForms(rig.context, "2147483646-2147483647"));
    EXPECT_EQ(rig.JobHex(), (std::vector<std::string>{Hex(FormTestJob(2, 0, kMax - 1)),
                                                      Hex(FormTestJob(2, 0, kMax))}));
}

TEST(PrintForms, LargestFormAloneIsOneJob) {
    Rig rig;
    StopAfterJobs(rig, 1);
    EXPECT_NO_THROW(PrintForms(rig.context, "2147483647"));
    EXPECT_EQ(rig.JobHex(), std::vector<std::string>{Hex(FormTestJob(2, 0, kMax))});
}

TEST(PrintForms, AFailedJobDoesNotStopTheRest) {
    Rig rig;
    // The job for form 5 fails at its write; the fault is lifted for form 6.
    rig.host.onTakeFields = [&rig](int take) { rig.spooler.failWrite = take == 1; };
    PrintForms(rig.context, "4-7");
    std::vector<std::string> expected = ExpectedJobs(4, 7);
    expected[1].clear();  // the spooler took nothing of the failed write
    EXPECT_EQ(rig.JobHex(), expected);
    EXPECT_EQ(rig.spooler.OpenCount(), 4);
    EXPECT_EQ(std::count(rig.spooler.calls.begin(), rig.spooler.calls.end(), "Write(17)"), 4);
    EXPECT_TRUE(rig.spooler.AllHandlesClosedOnce());
    EXPECT_TRUE(rig.spooler.AllDocsEndedOnce());
}

// The window passes its forms member, and every form's TakeFields assigns that member anew:
// the run must go on with the text it was given, not with whatever the member now holds.
TEST(PrintForms, KeepsItsTextWhileTheFieldsAreTaken) {
    Rig rig;
    // Longer than any short-string buffer, so the text lives on the heap.
    std::string forms = "4-6" + std::string(40, ' ');
    rig.host.onTakeFields = [&forms](int) {
        // Longer than the capacity: the old characters are freed.
        forms = "1-2" + std::string(forms.capacity() + 100, ' ');
    };
    PrintForms(rig.context, forms);
    EXPECT_EQ(rig.JobHex(), ExpectedJobs(4, 6));
}

TEST(PrintForms, SettingsReadAfreshForEveryForm) {
    Rig rig;
    // Changed while the first form's job is already built: the second form must see it.
    rig.host.onTakeFields = [&rig](int take) {
        if (take == 0) {
            rig.registry.SetDword(kSection, "Page Size", 4);
            rig.registry.SetDword(kSection, "Page Orientation", 1);
        }
    };
    PrintForms(rig.context, "1-2");
    EXPECT_EQ(rig.JobHex(),
              (std::vector<std::string>{"1B 45 1B 26 6C 32 61 30 4F 1B 26 66 31 79 33 58 0C",
                                        "1B 45 1B 26 6C 32 36 61 31 4F 1B 26 66 32 79 33 58 0C"}));
    EXPECT_EQ(rig.host.events.size(), 4u);
}

}  // namespace
}  // namespace tessaline
