#include "platform/win32/win32_digests.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

std::string Hex(const Sha256Digest& digest) {
    std::string hex;
    for (const std::uint8_t byte : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

// NIST's examples, computed by the system's CNG provider.
TEST(Win32Digests, Sha256OfKnownMessages) {
    struct Case {
        std::string message;
        const char* hex;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    Win32Digests digests;
    for (const Case& c : cases) {
        Sha256Digest digest{};
        ASSERT_TRUE(digests.Sha256(c.message.data(), static_cast<std::uint32_t>(c.message.size()),
                                   &digest));
        EXPECT_EQ(Hex(digest), c.hex) << c.message.size() << " bytes";
    }
}

}  // namespace
}  // namespace tessaline
