#include "cli/fleet/cli_progress.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tessaline {
namespace {

TEST(CliProgress, RedrawsInPlaceOnlyWhenThePercentChangesAndWipesAtTheEnd) {
    std::ostringstream err;
    ProgressLine line(err, "a");
    const std::uint64_t total = 4u * 1024u * 1024u;
    line.OnWritten(0, total);
    line.OnWritten(1, total);  // still 0 %: not redrawn
    line.OnWritten(total / 2, total);
    line.OnWritten(total, total);
    line.Finish();
    const std::string first = "a: sending 0% (0.0 of 4.0 MiB)";
    const std::string wipe = "\r" + std::string(first.size() + 2, ' ') + "\r";
    EXPECT_EQ(err.str(), "\r" + first + "\ra: sending 50% (2.0 of 4.0 MiB)\ra: sending 100% (4.0 " +
                             "of 4.0 MiB)" + wipe);
}

}  // namespace
}  // namespace tessaline
