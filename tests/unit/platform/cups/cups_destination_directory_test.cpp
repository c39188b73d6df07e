#include "platform/cups/cups_destination_directory.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(CupsDestinationDirectory, NamesThePrinterState) {
    struct Case {
        const char* ipp;
        const char* name;
    };
    const Case cases[] = {{"3", "idle"}, {"4", "processing"}, {"5", "stopped"},
                          {"2", ""},     {"6", ""},           {"", ""},
                          {"idle", ""},  {"03", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(PrinterStateName(c.ipp), c.name) << c.ipp;
    }
}

TEST(CupsDestinationDirectory, SplitsTheStateReasons) {
    struct Case {
        const char* reasons;
        std::vector<std::string> split;
    };
    const Case cases[] = {
        {"", {}},
        {"none", {}},
        {"paused", {"paused"}},
        {"media-empty-error,toner-low-warning", {"media-empty-error", "toner-low-warning"}},
        {"a,,b,", {"a", "b"}},
        {"none,offline-report", {"offline-report"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitStateReasons(c.reasons), c.split) << c.reasons;
    }
}

}  // namespace
}  // namespace tessaline
