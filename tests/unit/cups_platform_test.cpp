#include <cstring>

#include <gtest/gtest.h>

#include "jobs/raw_job.h"
#include "platform/cups/cups_job_monitor.h"
#include "platform/cups/cups_printer_list_source.h"
#include "platform/cups/cups_server_selector.h"
#include "platform/cups/cups_spooler.h"

namespace tessaline {
namespace {

// ---- The destination list in the "devices" form ----

struct ListCase {
    const char* name;
    std::vector<std::string> names;
    std::uint32_t size;
    std::string bytes;  // the whole buffer after the call
    std::uint32_t returned;
};

const ListCase kListCases[] = {
    {"empty", {}, 4, std::string("\0\x7f\x7f\x7f", 4), 0},
    {"two fit", {"ab", "c"}, 8, std::string("ab\0c\0\0\x7f\x7f", 8), 5},
    {"fits with one spare", {"ab", "c"}, 7, std::string("ab\0c\0\0\x7f", 7), 5},
    {"one byte short is cut", {"ab", "c"}, 6, std::string("ab\0c\0\0", 6), 4},
    {"name cut", {"abcdef"}, 5, std::string("abc\0\0", 5), 3},
    {"smallest buffer", {"a"}, 2, std::string("\0\0", 2), 0},
    {"instance", {"q/inst"}, 10, std::string("q/inst\0\0\x7f\x7f", 10), 7},
};

TEST(CupsPrinterList, NulSeparatedWithTheCutRule) {
    for (const ListCase& c : kListCases) {
        std::string buffer(c.size, '\x7f');
        EXPECT_EQ(WriteNulSeparated(c.names, buffer.data(), c.size), c.returned) << c.name;
        EXPECT_EQ(buffer, c.bytes) << c.name;
    }
}

// The core reads a cut list again into a larger buffer: nothing is lost.
class ManyNames final : public PrinterListSource {
  public:
    std::vector<std::string> names;
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        return WriteNulSeparated(names, buffer, size);
    }
};

TEST(CupsPrinterList, CoreListsEveryNameOfALongList) {
    ManyNames source;
    for (int i = 0; i < 2000; ++i) {
        source.names.push_back("Queue_" + std::to_string(i) + std::string(20, 'x'));
    }
    EXPECT_EQ(ListPrinters(source), source.names);
}

TEST(CupsSpoolerNames, QueueOfDestination) {
    EXPECT_EQ(QueueOfDestination("office"), "office");
    EXPECT_EQ(QueueOfDestination("office/duplex"), "office");
    EXPECT_EQ(QueueOfDestination(""), "");
}

// ---- --server ----

struct ServerCase {
    const char* text;
    const char* problem;  // empty when accepted
};

const ServerCase kServerCases[] = {
    {"printhost", ""},
    {"printhost:631", ""},
    {"127.0.0.1:20631", ""},
    {"[::1]:631", ""},
    {"[::1]", ""},
    {"/run/cups/cups.sock", ""},
    {"", "the server name is empty"},
    {"print host", "the server name contains white space"},
    {":631", "the host name is missing before ':'"},
    {"printhost:", "the port is missing after ':'"},
    {"printhost:0", "the port must be a number from 1 to 65535"},
    {"printhost:65536", "the port must be a number from 1 to 65535"},
    {"printhost:ipp", "the port must be a number from 1 to 65535"},
    {"printhost:9999999999", "the port must be a number from 1 to 65535"},
    {"[]", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1]631", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1]:", "the port is missing after ':'"},
};

TEST(CupsServer, NamesCheckedBeforeUse) {
    for (const ServerCase& c : kServerCases) {
        EXPECT_EQ(CheckServerName(c.text), c.problem) << "'" << c.text << "'";
    }
    CupsServerSelector selector;
    std::string err;
    EXPECT_FALSE(selector.UseServer("host:x", &err));
    EXPECT_EQ(err, "the port must be a number from 1 to 65535");
}

// ---- Job states ----

TEST(CupsJobMonitor, StatesFromIpp) {
    const std::pair<int, JobState> cases[] = {
        {3, JobState::Pending},   {4, JobState::Pending},   {5, JobState::Printing},
        {6, JobState::Stopped},   {7, JobState::Cancelled}, {8, JobState::Aborted},
        {9, JobState::Completed}, {0, JobState::Unknown},   {10, JobState::Unknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobStateFromIpp(c.first), c.second) << c.first;
    }
}

}  // namespace
}  // namespace tessaline
