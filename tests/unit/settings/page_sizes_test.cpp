#include "settings/page_sizes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tessaline {
namespace {

// The entries the resource script's Print Setup template fills a list with, in order.
std::vector<std::string> TemplateEntries(const char* control) {
    std::ifstream rc(std::string(TESSALINE_SOURCE_DIR) + "/src/ui/tessaline.rc");
    EXPECT_TRUE(rc.is_open());
    const std::string lead = std::string(control) + ", 0x0143, \"";
    std::vector<std::string> entries;
    for (std::string line; std::getline(rc, line);) {
        const auto at = line.find(lead);
        if (at == std::string::npos) {
            continue;
        }
        const auto start = at + lead.size();
        const auto end = line.find("\\000\"", start);
        EXPECT_NE(end, std::string::npos) << line;
        entries.push_back(line.substr(start, end - start));
    }
    return entries;
}

// The window's lists come from the template, the stored positions mean rows of the table: the
// two must be the same lists.
TEST(PageSizes, TheTemplateFillsTheListsWithTheTableRows) {
    std::vector<std::string> pageSizes;
    for (const PageSize& size : kPageSizes) {
        pageSizes.emplace_back(size.name);
    }
    EXPECT_EQ(TemplateEntries("IDC_SETUP_PAGE_SIZE"), pageSizes);
    EXPECT_EQ(TemplateEntries("IDC_SETUP_ORIENTATION"),
              std::vector<std::string>(std::begin(kOrientationNames), std::end(kOrientationNames)));
}

}  // namespace
}  // namespace tessaline
