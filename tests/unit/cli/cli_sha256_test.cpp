#include "cli/cli_sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/cli_rig.h"
#include "platform/posix/gnutls_digests.h"

namespace tessaline {
namespace {

constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr char kEmpty[] = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(Sha256Hex, TakesSixtyFourHexDigitsOfEitherCase) {
    struct Case {
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {kAbc, true},
        {"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", true},
        {std::string(kAbc).substr(0, 63), false},
        {std::string(kAbc) + "0", false},
        {std::string(kAbc).substr(0, 63) + "g", false},
        {" " + std::string(kAbc).substr(1), false},
        {std::string(kAbc).substr(0, 62) + "0x", false},
        {"", false},
    };
    for (const Case& c : cases) {
        const auto digest = ParseSha256Hex(c.text);
        EXPECT_EQ(digest.has_value(), c.valid) << c.text;
        if (digest) {
            EXPECT_EQ(Sha256Hex(*digest), kAbc);
        }
    }
}

// NIST's examples, computed by the platform's own library.
TEST(GnutlsDigests, Sha256OfKnownMessages) {
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", kEmpty},
        {"abc", kAbc},
        {twoBlocks, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    GnutlsDigests digests;
    for (const auto& [message, hex] : cases) {
        Sha256Digest digest{};
        ASSERT_TRUE(
            digests.Sha256(message.data(), static_cast<std::uint32_t>(message.size()), &digest));
        EXPECT_EQ(Sha256Hex(digest), hex) << message.size() << " bytes";
    }
}

// Answers with the platform's digest, noting what had happened when it was asked.
class WatchedDigests : public Digests {
  public:
    WatchedDigests(FakeSpooler& spooler, FakeFileSystem& files)
        : m_spooler(spooler), m_files(files) {}
    bool fail = false;
    std::vector<std::string> spoolerCallsWhenAsked;
    std::size_t readsWhenAsked = 0;
    bool Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) override {
        spoolerCallsWhenAsked = m_spooler.calls;
        readsWhenAsked = m_files.readsAsked.size();
        return !fail && m_real.Sha256(bytes, length, digest);
    }

  private:
    FakeSpooler& m_spooler;
    FakeFileSystem& m_files;
    GnutlsDigests m_real;
};

struct DigestRig : CliRig {
    WatchedDigests digests{spooler, files};
    DigestRig() {
        platform.digests = &digests;
        files.files["m.bin"].content = "abc";
    }
};

TEST(CliSha256, AMatchingFileIsSentAndEveryLineCarriesItsDigest) {
    DigestRig rig;
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "a", "-p", "b", "--yes", "--json", "--sha256",
                       "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"}),
              0);
    const std::string tail = std::string(",\"sha256\":\"") + kAbc +
                             "\",\"written\":3,\"datatype\":\"XPS_PASS\",\"job\":";
    const std::string end =
        ",\"state\":null,\"state_reasons\":null,\"message\":null,\"seconds\":0.000}\n";
    EXPECT_EQ(rig.out.str(),
              "{\"printer\":\"a\",\"uri\":null,\"stage\":\"Completed\",\"size\":3" + tail + "1" +
                  end + "{\"printer\":\"b\",\"uri\":null,\"stage\":\"Completed\",\"size\":3" +
                  tail + "2" + end);
    ASSERT_EQ(rig.spooler.jobs.size(), 2u);
    EXPECT_EQ(rig.spooler.jobs[1].bytes, "abc");
    // Checked once the file was read, before any printer was opened.
    EXPECT_GT(rig.digests.readsWhenAsked, 0u);
    EXPECT_TRUE(rig.digests.spoolerCallsWhenAsked.empty());
}

TEST(CliSha256, AMismatchSendsNothingAndPrintsBothDigests) {
    const std::string wanted(64, '0');
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json ? "json" : "text");
        DigestRig rig;
        std::vector<std::string> args = {"upgrade", "m.bin", "-p",       "a",   "-p",
                                         "b",       "--yes", "--sha256", wanted};
        if (json) {
            args.push_back("--json");
        }
        EXPECT_EQ(rig.Run(args), 3);
        EXPECT_TRUE(rig.spooler.calls.empty());
        EXPECT_EQ(rig.err.str(), std::string("tessaline-cli: File Error: m.bin: its SHA-256 is ") +
                                     kAbc + ", not " + wanted +
                                     " as given by --sha256; nothing was sent\n");
        const std::string line =
            std::string(",\"uri\":null,\"stage\":\"FileError\",\"size\":null,\"sha256\":\"") +
            kAbc +
            "\",\"written\":0,\"datatype\":null,\"job\":null,\"state\":null,\"state_reasons\":null,"
            "\"message\":null,\"seconds\":null}\n";
        EXPECT_EQ(rig.out.str(),
                  json ? "{\"printer\":\"a\"" + line + "{\"printer\":\"b\"" + line : "");
    }
}

TEST(CliSha256, ADigestThatCannotBeComputedSendsNothing) {
    DigestRig rig;
    rig.digests.fail = true;
    EXPECT_EQ(rig.Run({"upgrade", "m.bin", "-p", "a", "--yes", "--sha256", kAbc}), 3);
    EXPECT_TRUE(rig.spooler.calls.empty());
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: File Error: m.bin: its SHA-256 could not be computed; nothing was "
              "sent\n");
}

// A file error before the read has no digest to give yet.
TEST(CliSha256, AFileNotOpenedGivesANullDigest) {
    DigestRig rig;
    EXPECT_EQ(rig.Run({"upgrade", "gone.bin", "-p", "a", "--yes", "--json", "--sha256", kAbc}), 3);
    EXPECT_EQ(rig.out.str(),
              "{\"printer\":\"a\",\"uri\":null,\"stage\":\"FileError\",\"size\":null,"
              "\"sha256\":null,\"written\":0,\"datatype\":null,\"job\":null,\"state\":null,\"state_"
              "reasons\":null,\"message\":null,\"seconds\":null}\n");
}

TEST(CliSha256, OnlyTheUpgradeTakesIt) {
    DigestRig rig;
    EXPECT_EQ(rig.Run({"forms", "4", "-p", "a", "--sha256", kAbc}), 1);
    EXPECT_EQ(rig.err.str(),
              "tessaline-cli: forms does not take --sha256\nTry 'tessaline-cli --help'.\n");
}

}  // namespace
}  // namespace tessaline
