#include "ui/print_setup_flow.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"

namespace tessaline {
namespace {

const std::string kSection = "software\\Korvane\\Tessaline\\Print Settings";
constexpr int kOk = 1;
constexpr int kCancel = 2;

std::size_t CountCalls(const std::vector<std::string>& calls, const std::string& prefix) {
    return static_cast<std::size_t>(std::count_if(
        calls.begin(), calls.end(), [&](const auto& c) { return c.rfind(prefix, 0) == 0; }));
}

// The main window's side: logs its steps, and what the registry had seen when the dialog ran.
class FakeMainWindow : public PrintSetupHost {
  public:
    FakeMainWindow(FakeRegistry& registry, std::function<void(PrintSettings&)> user, int result)
        : m_registry(registry), m_user(std::move(user)), m_result(result) {}

    std::vector<std::string> steps;

    void TakeFields() override { steps.push_back("Take"); }
    void RefreshFields() override { steps.push_back("Refresh"); }
    int RunPrintSetupDialog(PrintSettings& selection) override {
        steps.push_back("Dialog(" + std::to_string(selection.pageSizeIndex) + "," +
                        std::to_string(selection.orientationIndex) + ") after " +
                        std::to_string(CountCalls(m_registry.calls, "Query")) + " reads, " +
                        std::to_string(CountCalls(m_registry.calls, "Set")) + " writes");
        if (m_user) {
            m_user(selection);
        }
        return m_result;
    }

  private:
    FakeRegistry& m_registry;
    std::function<void(PrintSettings&)> m_user;
    int m_result;
};

struct FlowCase {
    const char* name;
    std::optional<std::uint32_t> storedPageSize;
    std::optional<std::uint32_t> storedOrientation;
    std::function<void(PrintSettings&)> user;  // what the dialog's lists hold when it ends
    int result;
    std::string dialogOpened;
    std::optional<std::uint32_t> pageSizeAfter;
    std::optional<std::uint32_t> orientationAfter;
    std::vector<std::string> writes;
};

void PrintTo(const FlowCase& c, std::ostream* os) {
    *os << c.name;
}

class PrintSetupFlow : public testing::TestWithParam<FlowCase> {};

TEST_P(PrintSetupFlow, ReadsShowsAndStoresOnlyOnOk) {
    const FlowCase& c = GetParam();
    FakeRegistry registry;
    if (c.storedPageSize) {
        registry.SetDword(kSection, "Page Size", *c.storedPageSize);
    }
    if (c.storedOrientation) {
        registry.SetDword(kSection, "Page Orientation", *c.storedOrientation);
    }
    ProfileStore profile(registry, "Korvane", "Tessaline");
    FakeMainWindow window(registry, c.user, c.result);

    RunPrintSetup(profile, window);

    const std::vector<std::string> steps = {"Take", "Refresh", c.dialogOpened, "Take"};
    EXPECT_EQ(window.steps, steps);

    std::vector<std::string> writes;
    for (const std::string& call : registry.calls) {
        if (call.rfind("Set", 0) == 0) {
            writes.push_back(call);
        }
    }
    EXPECT_EQ(writes, c.writes);

    auto stored = [&](const char* name) -> std::optional<std::uint32_t> {
        const auto value = registry.GetValue(kSection, name);
        if (!value || value->type != kRegDword || value->bytes.size() != 4) {
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i) {
            v = (v << 8) | static_cast<std::uint8_t>(value->bytes[static_cast<std::size_t>(i)]);
        }
        return v;
    };
    EXPECT_EQ(stored("Page Size"), c.pageSizeAfter);
    EXPECT_EQ(stored("Page Orientation"), c.orientationAfter);
    EXPECT_TRUE(registry.handleErrors.empty());
}

const auto kNoChange = [](PrintSettings&) {};

INSTANTIATE_TEST_SUITE_P(
    RunPrintSetup, PrintSetupFlow,
    testing::Values(FlowCase{"FreshAccountOkStoresMinusOne",
                             std::nullopt,
                             std::nullopt,
                             kNoChange,
                             kOk,
                             "Dialog(-1,-1) after 2 reads, 0 writes",
                             0xFFFFFFFFu,
                             0xFFFFFFFFu,
                             {"Set(Page Size=-1)", "Set(Page Orientation=-1)"}},
                    FlowCase{"StoredValuesShownCancelKeepsThem",
                             4u,
                             1u,
                             kNoChange,
                             kCancel,
                             "Dialog(4,1) after 2 reads, 0 writes",
                             4u,
                             1u,
                             {}},
                    FlowCase{"CancelAfterChoosingStoresNothing",
                             2u,
                             0u,
                             [](PrintSettings& s) {
                                 s = PrintSettings{5, 3};
                             },
                             kCancel,
                             "Dialog(2,0) after 2 reads, 0 writes",
                             2u,
                             0u,
                             {}},
                    FlowCase{"OutOfRangeOpensWithoutSelectionOkStoresMinusOne",
                             12u,
                             std::nullopt,
                             [](PrintSettings& s) { s.pageSizeIndex = -1; },
                             kOk,
                             "Dialog(12,-1) after 2 reads, 0 writes",
                             0xFFFFFFFFu,
                             0xFFFFFFFFu,
                             {"Set(Page Size=-1)", "Set(Page Orientation=-1)"}},
                    FlowCase{"OrientationOnlyChangedStoresBoth",
                             4u,
                             0u,
                             [](PrintSettings& s) { s.orientationIndex = 1; },
                             kOk,
                             "Dialog(4,0) after 2 reads, 0 writes",
                             4u,
                             1u,
                             {"Set(Page Size=4)", "Set(Page Orientation=1)"}},
                    FlowCase{"StoredMinusOneShownAsNoSelection",
                             0xFFFFFFFFu,
                             3u,
                             kNoChange,
                             kOk,
                             "Dialog(-1,3) after 2 reads, 0 writes",
                             0xFFFFFFFFu,
                             3u,
                             {"Set(Page Size=-1)", "Set(Page Orientation=3)"}},
                    FlowCase{"CloseBoxStoresNothing",
                             std::nullopt,
                             std::nullopt,
                             [](PrintSettings& s) {
                                 s = PrintSettings{4, 1};
                             },
                             kCancel,
                             "Dialog(-1,-1) after 2 reads, 0 writes",
                             std::nullopt,
                             std::nullopt,
                             {}}),
    [](const testing::TestParamInfo<FlowCase>& p) { return p.param.name; });

}  // namespace
}  // namespace tessaline
