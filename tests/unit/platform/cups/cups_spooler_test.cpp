#include "platform/cups/cups_spooler.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(CupsSpoolerNames, QueueOfDestination) {
    EXPECT_EQ(QueueOfDestination("office"), "office");
    EXPECT_EQ(QueueOfDestination("office/duplex"), "office");
    EXPECT_EQ(QueueOfDestination(""), "");
}

}  // namespace
}  // namespace tessaline
