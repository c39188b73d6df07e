#include "platform/cups/cups_printer_facts_source.h"

#include <gtest/gtest.h>

#include "fakes/fake_ipp_links.h"

namespace tessaline {
namespace {

class FakeDirectory final : public DestinationDirectory {
  public:
    bool answers = true;
    int asked = 0;
    std::vector<DestinationDetail> list = {
        {"office", "ipp://printer.example:631/ipp/print", "idle", {}},
        {"secure", "ipps://printer.example/ipp/print", "idle", {}},
        {"socket", "socket://10.0.0.9:9100", "idle", {}},
    };
    bool Destinations(std::vector<DestinationDetail>* destinations) override {
        ++asked;
        *destinations = list;
        return answers;
    }
};

TEST(CupsPrinterFactsSource, AsksThePrinterItselfOrSaysWhyNot) {
    const struct {
        const char* name;
        std::string printer;
        bool listAnswers;
        std::map<std::string, std::set<int>> failAt;
        std::optional<std::string> askedAt;
        bool answered;
        std::string problem;
        std::vector<std::string> calls;
    } cases[] = {
        {"address",
         "ipp://p.example/ipp/print",
         true,
         {},
         "ipp://p.example/ipp/print",
         true,
         "",
         {"Connect", "AskFacts", "Close"}},
        {"queue at its device",
         "office",
         true,
         {},
         "ipp://printer.example:631/ipp/print",
         true,
         "",
         {"Connect", "AskFacts", "Close"}},
        {"queue over ipps",
         "secure",
         true,
         {},
         "ipps://printer.example/ipp/print",
         true,
         "",
         {"Connect", "AskFacts", "Close"}},
        {"socket queue",
         "socket",
         true,
         {},
         std::nullopt,
         false,
         "no IPP address: the printer cannot be asked",
         {}},
        {"unknown queue",
         "gone",
         true,
         {},
         std::nullopt,
         false,
         "the server has no printer named 'gone'",
         {}},
        {"server silent",
         "office",
         false,
         {},
         std::nullopt,
         false,
         "the server could not be asked for its printers",
         {}},
        {"unreachable",
         "office",
         true,
         {{"Connect", {0}}},
         "ipp://printer.example:631/ipp/print",
         false,
         "the printer at printer.example:631 could not be reached",
         {"Connect"}},
        {"no answer",
         "office",
         true,
         {{"AskFacts", {0}}},
         "ipp://printer.example:631/ipp/print",
         false,
         "the printer at printer.example:631 did not say what it runs: AskFacts failed",
         {"Connect", "AskFacts", "Close"}},
    };
    for (const auto& c : cases) {
        FakeIppLinks links;
        links.failAt = c.failAt;
        links.facts.makeAndModel = "Model 9";
        FakeDirectory directory;
        directory.answers = c.listAnswers;
        CupsPrinterFactsSource source(links, directory);
        const PrinterAnswer answer = source.Ask(c.printer);
        EXPECT_EQ(answer.askedAt, c.askedAt) << c.name;
        EXPECT_EQ(answer.facts.has_value(), c.answered) << c.name;
        EXPECT_EQ(answer.problem, c.problem) << c.name;
        EXPECT_EQ(links.calls, c.calls) << c.name;
        if (c.answered) {
            EXPECT_EQ(answer.facts->makeAndModel, "Model 9") << c.name;
        }
    }
}

TEST(CupsPrinterFactsSource, ReadsTheServersListOnce) {
    FakeIppLinks links;
    FakeDirectory directory;
    CupsPrinterFactsSource source(links, directory);
    source.Ask("office");
    source.Ask("socket");
    source.Ask("ipp://p.example/ipp/print");
    EXPECT_EQ(directory.asked, 1);
}

}  // namespace
}  // namespace tessaline
