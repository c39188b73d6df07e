#include "jobs/printer_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/fake_printer_list_source.h"

namespace tessaline {
namespace {

// Names each taking `width` bytes with their NUL, padded with one shorter name so the section
// (without the list's final NUL) is exactly `total` bytes.
std::vector<std::string> NamesFilling(std::size_t total, std::size_t width) {
    std::vector<std::string> names;
    std::size_t used = 0;
    while (total - used > width + 1) {
        std::string name = "Printer " + std::to_string(names.size());
        name.resize(width - 1, '.');
        names.push_back(name);
        used += width;
    }
    names.push_back(std::string(total - used - 1, 'z'));
    return names;
}

TEST(ListPrinters, Sections) {
    struct Case {
        const char* name;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"Empty", {}},
        {"Several in order", {"Laser 2", "A Printer", "Korvane 9000,PCL", "\\\\server\\queue"}},
        {"Larger than the buffer", NamesFilling(40000, 37)},
        {"Exactly fills the buffer", NamesFilling(kDevicesBufferSize - 1, 100)},
        {"One byte less", NamesFilling(kDevicesBufferSize - 2, 100)},
        {"One byte over", NamesFilling(kDevicesBufferSize, 100)},
        {"Two bytes over", NamesFilling(kDevicesBufferSize + 1, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePrinterListSource source(c.names);
        EXPECT_EQ(ListPrinters(source), c.names);
        ASSERT_FALSE(source.sizesAsked.empty());
        EXPECT_EQ(source.sizesAsked[0], kDevicesBufferSize);
        // A list that needs more than the first buffer is read again, larger.
        if (source.section.size() + 1 > kDevicesBufferSize) {
            ASSERT_GE(source.sizesAsked.size(), 2u);
            EXPECT_GT(source.sizesAsked.back(), source.section.size());
        }
        if (source.section.size() + 2 < kDevicesBufferSize) {
            EXPECT_EQ(source.sizesAsked.size(), 1u);
        }
    }
}

// The largest buffer the list grows to: 15000 doubled ten times.
constexpr std::uint32_t kLargestDevicesBuffer = 15360000;

// A section too long for the largest buffer comes back cut to it, the last name cut short:
// only the names that ended inside the buffer are printers.
TEST(ListPrinters, PastTheLargestBufferKeepsOnlyWholeNames) {
    struct Case {
        const char* name;
        std::size_t nameWidth;  // bytes per name with its NUL
        std::size_t total;      // the section's length
        std::size_t whole;      // names that fit whole before the cut
    };
    const Case cases[] = {
        // 15359998 bytes survive the cut: 415135 names of 37 and 3 bytes of the next one.
        {"Cut inside a name", 37, 15500000, 415135},
        // 153599 names of 100 end at byte 15359900, the next one would end past the cut.
        {"Cut inside the name after a hundred-byte run", 100, 15500000, 153599},
        // 2 names of 7679999 bytes end exactly where the cut falls.
        {"Cut right after a name", 7679999, 15500000, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> names = NamesFilling(c.total, c.nameWidth);
        FakePrinterListSource source(names);
        const PrinterList printers = ListPrinters(source);
        EXPECT_EQ(source.sizesAsked.back(), kLargestDevicesBuffer);
        ASSERT_EQ(printers.size(), c.whole);
        EXPECT_TRUE(std::equal(printers.begin(), printers.end(), names.begin()));
        EXPECT_EQ(printers.back().size(), c.nameWidth - 1);
    }
}

// A source that leaves no terminators and garbage after its count.
class UnterminatedSource : public PrinterListSource {
  public:
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        std::fill(buffer, buffer + size, 'Z');
        buffer[0] = 'A';
        buffer[1] = '\0';
        buffer[2] = 'B';
        return 3;
    }
};

TEST(ListPrinters, NeverReadsPastTheCount) {
    UnterminatedSource source;
    EXPECT_EQ(ListPrinters(source), (PrinterList{"A", "B"}));
}

// A source that always claims to be cut must not make the list grow for ever.
class AlwaysCutSource : public PrinterListSource {
  public:
    std::vector<std::uint32_t> sizesAsked;
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override {
        sizesAsked.push_back(size);
        std::fill(buffer, buffer + size, '\0');
        buffer[0] = 'A';
        return size - 2;
    }
};

// The buffer doubles from 15000 up to 15360000 bytes and no further: a list of 15 to 31 MB is
// not read whole, and the program never asks for more than about 15 MB.
TEST(ListPrinters, GivesUpGrowingAtALimit) {
    AlwaysCutSource source;
    EXPECT_EQ(ListPrinters(source), (PrinterList{"A"}));
    const std::vector<std::uint32_t> doubling = {15000,
                                                 30000,
                                                 60000,
                                                 120000,
                                                 240000,
                                                 480000,
                                                 960000,
                                                 1920000,
                                                 3840000,
                                                 7680000,
                                                 kLargestDevicesBuffer};
    EXPECT_EQ(source.sizesAsked, doubling);
}

}  // namespace
}  // namespace tessaline
