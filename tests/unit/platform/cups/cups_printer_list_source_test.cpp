#include "platform/cups/cups_printer_list_source.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "jobs/printer_list.h"

namespace tessaline {
namespace {

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

}  // namespace
}  // namespace tessaline
