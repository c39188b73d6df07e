#include "platform/ipp/ipp_device_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaline {
namespace {

// A printer is named to the user by host and port, the scheme's port when the URI has none.
TEST(IppDeviceRules, NamesThePrinterByHostAndPort) {
    struct Case {
        const char* uri;
        const char* address;
    };
    const Case cases[] = {
        {"ipp://printer.example/ipp/print", "printer.example:631"},
        {"ipp://localhost:18601/ipp/print", "localhost:18601"},
        {"ipps://10.0.0.7:8443/ipp/print", "10.0.0.7:8443"},
        {"ipps://printer.example/ipp/print", "printer.example:631"},
        {"ipp://[::1]:18601/ipp/print", "[::1]:18601"},
        {"ipp://[fe80::2]/x", "[fe80::2]:631"},
        {"ipp://", "ipp://"},
        {"not a uri", "not a uri"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrinterAddressOfUri(c.uri), c.address) << c.uri;
    }
}

TEST(IppDeviceRules, FindsTheFormatWhateverItsCase) {
    const std::vector<std::string> accepted{"application/octet-stream", "application/vnd.hp-PCL"};
    struct Case {
        const char* format;
        bool accepted;
    };
    const Case cases[] = {
        {"application/vnd.hp-PCL", true},   {"application/VND.HP-pcl", true},
        {"application/octet-stream", true}, {"application/pdf", false},
        {"application/vnd.hp", false},      {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatAccepted(accepted, c.format), c.accepted) << c.format;
    }
    EXPECT_FALSE(FormatAccepted({}, "application/octet-stream"));
}

TEST(IppDeviceRules, RefusedFormatNoteListsWhatThePrinterTakes) {
    EXPECT_EQ(FormatRefusedNote("application/vnd.hp-PCL",
                                {"application/octet-stream", "image/pwg-raster", "image/urf"}),
              "the printer does not accept application/vnd.hp-PCL; it accepts: "
              "application/octet-stream, image/pwg-raster, image/urf");
    EXPECT_EQ(FormatRefusedNote("application/pdf", {"image/urf"}),
              "the printer does not accept application/pdf; it accepts: image/urf");
    EXPECT_EQ(FormatRefusedNote("application/pdf", {}),
              "the printer does not accept application/pdf; it names no format it accepts");
}

TEST(IppDeviceRules, NotesNameTheAddress) {
    EXPECT_EQ(UnreachableNote("localhost:18699"),
              "the printer at localhost:18699 could not be reached");
    EXPECT_EQ(StayedBusyNote(), "the printer stayed busy: 4 tries over 7 s");
}

// The busy schedule: which answers lead to which waits and how many tries.
TEST(IppDeviceRules, RetriesOnlyWhileBusyWithTheSchedulesWaits) {
    EXPECT_EQ(BusyRetryDelaysMs(), (std::vector<std::uint32_t>{1000, 2000, 4000}));
    struct Case {
        const char* name;
        std::vector<ipp_status_t> answers;
        bool stopAfterFirstWait;
        int tries;
        std::vector<std::uint32_t> waits;
        ipp_status_t result;
    };
    const ipp_status_t busy = IPP_STATUS_ERROR_BUSY;
    const ipp_status_t ok = IPP_STATUS_OK;
    const Case cases[] = {
        {"ok at once", {ok}, false, 1, {}, ok},
        {"refused at once",
         {IPP_STATUS_ERROR_NOT_POSSIBLE},
         false,
         1,
         {},
         IPP_STATUS_ERROR_NOT_POSSIBLE},
        {"busy then ok", {busy, ok}, false, 2, {1000}, ok},
        {"busy twice then refused",
         {busy, busy, IPP_STATUS_ERROR_FORBIDDEN},
         false,
         3,
         {1000, 2000},
         IPP_STATUS_ERROR_FORBIDDEN},
        {"busy to the end", {busy, busy, busy, busy, ok}, false, 4, {1000, 2000, 4000}, busy},
        {"stopped while busy", {busy, busy, busy, busy}, true, 2, {1000}, busy},
    };
    for (const Case& c : cases) {
        int tries = 0;
        std::vector<std::uint32_t> waits;
        const ipp_status_t result =
            RetryWhileBusy([&] { return c.answers.at(static_cast<std::size_t>(tries++)); },
                           [&](std::uint32_t ms) { waits.push_back(ms); },
                           [&] { return c.stopAfterFirstWait && !waits.empty(); });
        EXPECT_EQ(tries, c.tries) << c.name;
        EXPECT_EQ(waits, c.waits) << c.name;
        EXPECT_EQ(result, c.result) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
