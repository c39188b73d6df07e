#include "base/untrusted_text.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

struct TextCase {
    const char* name;
    std::string in;
    std::string out;
};

TEST(UntrustedText, TerminalSafeEscapesWhatCouldDriveATerminal) {
    const TextCase cases[] = {
        {"plain", "Module 2.1.0", "Module 2.1.0"},
        {"escape sequence", "\x1b[2J\x1b]0;x\x07", "\\x1b[2J\\x1b]0;x\\x07"},
        {"newline and CR", "a\nb\rc", "a\\x0ab\\x0dc"},
        {"DEL", std::string("a\x7f"), "a\\x7f"},
        {"backslash", "a\\x1b", "a\\\\x1b"},
        {"C1 CSI in UTF-8",
         "a\xc2\x9b"
         "31m",
         "a\\xc2\\x9b31m"},
        {"printable UTF-8 kept", "caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},
        {"lone continuation byte", "a\x80z", "a\\x80z"},
        {"overlong NUL", "\xc0\x80", "\\xc0\\x80"},
        {"cut sequence at the end", "a\xe2\x82", "a\\xe2\\x82"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"NUL", std::string("a\0b", 3), "a\\x00b"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(TerminalSafe(c.in), c.out) << c.name;
    }
}

TEST(UntrustedText, CutNeverSplitsACharacterAndIsMarked) {
    const struct {
        const char* name;
        std::string in;
        std::size_t max;
        std::string out;
    } cases[] = {
        {"fits", "abc", 3, "abc"},
        {"cut", "abcd", 3, "abc[cut]"},
        {"before a two-byte character", "ab\xc3\xa9", 3, "ab[cut]"},
        {"after a two-byte character", "\xc3\xa9z", 2, "\xc3\xa9[cut]"},
        {"inside a four-byte character", "\xf0\x9f\x98\x80x", 3, "[cut]"},
        {"bad bytes count one each", "\xff\xff\xff", 2, "\xff\xff[cut]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CutToOctets(c.in, c.max), c.out) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
