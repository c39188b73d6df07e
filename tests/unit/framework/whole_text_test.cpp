#include "framework/whole_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace tessaline {
namespace {

// How a platform call behaves when the buffer is too small for the text.
enum class Cut {
    WithNul,      // GetWindowTextA: size-1 bytes and a NUL
    WithoutNul,   // GetModuleFileNameA on old systems: size bytes, no NUL
    AtCharacter,  // a code-page conversion: never splits a double-byte character, then a NUL
    Refuses,      // WideCharToMultiByte into a short buffer: nothing usable
};

bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A text behind a length query and a copy, recording the buffer sizes it was given.
struct Source {
    std::string text;
    long long reported;
    Cut cut;
    std::vector<std::size_t> sizes;

    void Copy(char* buffer, std::size_t size) {
        sizes.push_back(size);
        if (text.size() + 1 <= size) {
            std::memcpy(buffer, text.c_str(), text.size() + 1);
            return;
        }
        switch (cut) {
            case Cut::WithNul:
                std::memcpy(buffer, text.data(), size - 1);
                buffer[size - 1] = '\0';
                break;
            case Cut::WithoutNul:
                std::memcpy(buffer, text.data(), size);
                break;
            case Cut::AtCharacter: {
                std::size_t n = 0;
                while (n < text.size()) {
                    const std::size_t width = IsLeadByte(text[n]) ? 2 : 1;
                    if (n + width > size - 1) {
                        break;
                    }
                    n += width;
                }
                std::memcpy(buffer, text.data(), n);
                buffer[n] = '\0';
                break;
            }
            case Cut::Refuses:
                break;
        }
    }

    std::string Fetch() {
        return FetchWholeText([this] { return reported; },
                              [this](char* buffer, std::size_t size) { Copy(buffer, size); });
    }
};

// A path in code page 932: "Z:\files\" then 71 times "表" (0x95 0x5C: the second byte is a
// backslash) and ".bin": 84 characters, 155 bytes. Told 84, a copy that never splits a
// character stops two bytes short of the first buffer's end.
std::string Cp932Path() {
    std::string path = "Z:\\files\\";
    for (int i = 0; i < 71; ++i) {
        path += "\x95\x5C";
    }
    return path + ".bin";
}
constexpr long long kCp932Characters = 9 + 71 + 4;

std::string Ascii(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    return text;
}

// ---- Every way a length or a copy can fall short still gives the whole text.

struct WholeCase {
    const char* name;
    std::string text;
    long long reported;
    Cut cut;
};

// Named, so a failure (and valgrind) never prints the case's padding bytes.
void PrintTo(const WholeCase& c, std::ostream* out) {
    *out << c.name;
}

class WholeText : public testing::TestWithParam<WholeCase> {};

TEST_P(WholeText, ArrivesWhole) {
    const WholeCase& c = GetParam();
    Source source{c.text, c.reported, c.cut, {}};
    EXPECT_EQ(source.Fetch(), c.text);
    // The copy that was taken had room to spare, so nothing was cut.
    ASSERT_FALSE(source.sizes.empty());
    EXPECT_LT(c.text.size() + kWidestCharacterBytes, source.sizes.back());
}

const std::string kPath = Cp932Path();

INSTANTIATE_TEST_SUITE_P(
    Fetch, WholeText,
    testing::Values(
        WholeCase{"CharactersCountedCutWithNul", kPath, kCp932Characters, Cut::WithNul},
        WholeCase{"CharactersCountedCutWithoutNul", kPath, kCp932Characters, Cut::WithoutNul},
        WholeCase{"CharactersCountedCutAtCharacter", kPath, kCp932Characters, Cut::AtCharacter},
        WholeCase{"CharactersCountedRefused", kPath, kCp932Characters, Cut::Refuses},
        WholeCase{"QueryFailedZero", kPath, 0, Cut::WithNul},
        WholeCase{"QueryFailedNegative", kPath, -1, Cut::WithoutNul},
        WholeCase{"QueryOverReports", kPath, 1000, Cut::WithNul},
        WholeCase{"BytesCountedExactly", kPath, static_cast<long long>(kPath.size()), Cut::Refuses},
        WholeCase{"LongPathNoQuery", Ascii(40000), 0, Cut::WithoutNul},
        WholeCase{"LongPathHalfCounted", Ascii(40000), 20000, Cut::Refuses}),
    [](const testing::TestParamInfo<WholeCase>& row) { return std::string(row.param.name); });

// ---- How often it copies.

TEST(WholeTextCopies, ExactLengthTakesOneCopy) {
    Source source{kPath, static_cast<long long>(kPath.size()), Cut::WithNul, {}};
    EXPECT_EQ(source.Fetch(), kPath);
    EXPECT_EQ(source.sizes.size(), 1u);
}

TEST(WholeTextCopies, CopyFillingTheBufferExactlyIsTakenAgainLarger) {
    // The text and its NUL fill the first buffer to the last byte: it may have been cut there.
    const std::string text = Ascii(100);
    Source source{text, 100 - static_cast<long long>(kWidestCharacterBytes), Cut::WithNul, {}};
    EXPECT_EQ(source.Fetch(), text);
    EXPECT_EQ(source.sizes, (std::vector<std::size_t>{101, 202}));
}

TEST(WholeTextCopies, EmptyTextTakesOneCopy) {
    Source source{"", 0, Cut::WithNul, {}};
    EXPECT_EQ(source.Fetch(), "");
    EXPECT_EQ(source.sizes.size(), 1u);
}

TEST(WholeTextCopies, EmptyTextWithAPromiseStopsOnceThePromiseFits) {
    // A query may over-report; an empty copy is believed once the buffer holds 10 characters
    // of the widest kind.
    Source source{"", 10, Cut::Refuses, {}};
    EXPECT_EQ(source.Fetch(), "");
    EXPECT_EQ(source.sizes.size(), 1u);
    EXPECT_GE(source.sizes.back(), 10 * kWidestCharacterBytes + 1);
}

TEST(WholeTextCopies, CopyThatNeverEndsStopsAtTheLimit) {
    std::vector<std::size_t> sizes;
    const std::string text = FetchWholeText([] { return 0LL; },
                                            [&sizes](char* buffer, std::size_t size) {
                                                sizes.push_back(size);
                                                std::memset(buffer, 'x', size);
                                            });
    EXPECT_EQ(text.size(), kMaxWholeTextBytes);
    EXPECT_EQ(sizes.back(), kMaxWholeTextBytes);
    EXPECT_LE(sizes.size(), 20u);
}

}  // namespace
}  // namespace tessaline
