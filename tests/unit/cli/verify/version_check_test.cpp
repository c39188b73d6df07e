#include "cli/verify/version_check.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

PrinterAnswer Runs(FirmwareAttributes firmware) {
    PrinterAnswer answer;
    answer.askedAt = "ipp://p:631/ipp/print";
    answer.facts = PrinterFacts{};
    answer.facts->firmware = std::move(firmware);
    return answer;
}

TEST(VersionCheck, SendsOnlyToPrintersThatCanBeAskedAndRunAnotherVersion) {
    PrinterAnswer unreachable;
    unreachable.problem = "no IPP address: the printer cannot be asked";
    const struct {
        const char* name;
        PrinterAnswer answer;
        std::optional<std::string> component;
        BeforeUpgrade verdict;
        std::optional<std::string> version;
        std::string message;
    } cases[] = {
        {"older", Runs({{"Module"}, {"2.0.3"}, {}, {}}), std::nullopt, BeforeUpgrade::Send, "2.0.3",
         ""},
        {"current", Runs({{"Module"}, {"2.1.0"}, {}, {}}), std::nullopt,
         BeforeUpgrade::AlreadyCurrent, "2.1.0", ""},
        {"named of two", Runs({{"Engine", "Module"}, {"2.1.0", "2.0"}, {}, {}}), "MODULE",
         BeforeUpgrade::Send, "2.0", ""},
        {"two, none named", Runs({{"Engine", "Module"}, {"1", "2"}, {}, {}}), std::nullopt,
         BeforeUpgrade::NotVerifiable, std::nullopt,
         "the printer reports several components (Engine, Module); name one with --component"},
        {"none", Runs({}), std::nullopt, BeforeUpgrade::NotVerifiable, std::nullopt,
         "the printer reports no firmware components"},
        {"no version given", Runs({{"Module"}, {}, {}, {}}), std::nullopt,
         BeforeUpgrade::NotVerifiable, std::nullopt, "the printer gives no version for Module"},
        {"cannot be asked", unreachable, std::nullopt, BeforeUpgrade::NotVerifiable, std::nullopt,
         "no IPP address: the printer cannot be asked"},
    };
    for (const auto& c : cases) {
        const VersionCheck check = CheckVersion(c.answer, "2.1.0", c.component);
        EXPECT_EQ(check.verdict, c.verdict) << c.name;
        EXPECT_EQ(check.version, c.version) << c.name;
        EXPECT_EQ(check.message, c.message) << c.name;
    }
}

}  // namespace
}  // namespace tessaline
