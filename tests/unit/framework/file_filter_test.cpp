#include "framework/file_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

// ---- File dialog filter.

TEST(FileFilter, PipesBecomeNuls) {
    const std::string filter = DialogFilterFromPipes("All files (*.*)|*.*||");
    EXPECT_EQ(filter, std::string("All files (*.*)\0*.*\0\0", 21));
}

TEST(FileFilter, TwoFilters) {
    EXPECT_EQ(DialogFilterFromPipes("Upgrade (*.kmf)|*.kmf|All|*.*||"),
              std::string("Upgrade (*.kmf)\0*.kmf\0All\0*.*\0\0", 31));
}

}  // namespace
}  // namespace tessaline
