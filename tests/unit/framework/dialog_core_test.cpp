#include "framework/dialog_core.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdint>
#include <string>
#include <vector>

#include "fakes/fake_controls.h"
#include "framework/event_table.h"

namespace tessaline {
namespace {

using Calls = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr int kOrientation = 1006;
constexpr int kPageSize = 1007;
constexpr int kForms = 1003;
constexpr std::uint32_t kEnChange = 0x0300;

// Init data as the resource script lays it out: id, CB_ADDSTRING, text with its NUL; 0 ends.
Bytes InitData(const std::vector<std::pair<int, std::string>>& entries) {
    Bytes data;
    auto word = [&data](int value) {
        data.push_back(static_cast<std::uint8_t>(value & 0xFF));
        data.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    };
    for (const auto& entry : entries) {
        word(entry.first);
        word(kCbAddString);
        data.insert(data.end(), entry.second.begin(), entry.second.end());
        data.push_back(0);
    }
    word(0);
    return data;
}

// A dialog with two lists and a text field, its controls faked, its end recorded.
class TestDialog : public DialogCore {
  public:
    FakeControls controls;
    std::vector<int> ends;
    std::vector<std::string> handled;
    std::int32_t m_nOrientation = -1;
    std::int32_t m_nPageSize = -1;
    std::string m_strForms;
    bool bindMissingControl = false;
    bool rejectTake = false;
    int nestedExchanges = 0;  // how many exchanges of the lists alone start inside this one

    TestDialog() {
        controls.Add(kOrientation);
        controls.Add(kPageSize);
        controls.Add(kForms);
        // A control tells its window when its text changes, as edit fields do.
        controls.onTextChanged = [this](int id) {
            const Message m{kWmCommand, (std::uintptr_t{kEnChange} << 16) | std::uintptr_t(id), 1};
            Dispatch(*this, Events(), m, IsExchanging());
        };
    }

    bool Init(const Bytes* data) {
        return InitControls(data ? data->data() : nullptr, data ? data->size() : 0);
    }
    void ClickOk() { OnOK(); }
    void ClickCancel() { OnCancel(); }

    Reply OnFormsChanged(const Message&) {
        handled.push_back("FormsChanged");
        return Reply::Done();
    }

    static const EventTable<TestDialog>& Events() {
        static constexpr Event<TestDialog> rows[] = {
            {kWmCommand, kEnChange, kForms, &TestDialog::OnFormsChanged},
        };
        static constexpr EventTable<TestDialog> table{rows};
        return table;
    }

  protected:
    void DoDataExchange(DataExchange& dx) override {
        if (nestedExchanges > 0) {
            --nestedExchanges;
            ++m_nestingDepth;
            UpdateData(dx.Direction() == ExchangeDirection::Take);
            --m_nestingDepth;
        }
        dx.ListIndex(kOrientation, m_nOrientation);
        dx.ListIndex(kPageSize, m_nPageSize);
        if (m_nestingDepth == 0) {
            dx.Text(kForms, m_strForms);
        }
        if (bindMissingControl) {
            ControlObject missing;
            dx.Control(4711, missing);
        }
        if (rejectTake && dx.Direction() == ExchangeDirection::Take) {
            dx.Fail();
        }
    }
    ControlAccess& Controls() override { return controls; }
    void EndDialog(int result) override { ends.push_back(result); }

  private:
    int m_nestingDepth = 0;
};

const Bytes kSetupData = InitData({{kOrientation, "Portrait"},
                                   {kOrientation, "Landscape"},
                                   {kPageSize, "Letter (8 1/2 x 11 in.)"},
                                   {kPageSize, "A4 (210 mm x 297 mm)"}});

// ---- Base initialisation: lists first, in the order stored, then the refresh.

TEST(DialogInit, FillsListsInOrderThenRefreshes) {
    TestDialog dialog;
    dialog.m_nOrientation = 1;
    dialog.m_nPageSize = 0;
    dialog.m_strForms = "4-11";

    EXPECT_TRUE(dialog.Init(&kSetupData));

    const Calls expected = {"Add(1006,Portrait)",
                            "Add(1006,Landscape)",
                            "Add(1007,Letter (8 1/2 x 11 in.))",
                            "Add(1007,A4 (210 mm x 297 mm))",
                            "SetSel(1006,1)",
                            "SetSel(1007,0)",
                            "GetText(1003)",
                            "SetText(1003,4-11)"};
    EXPECT_EQ(dialog.controls.calls, expected);
    EXPECT_EQ(dialog.controls.controls[kOrientation].text, "Landscape");
    EXPECT_TRUE(dialog.ends.empty());
}

TEST(DialogInit, WithoutDataOnlyRefreshes) {
    TestDialog dialog;
    dialog.controls.controls[kForms].text = "typed";
    dialog.m_strForms = "4-11";
    EXPECT_TRUE(dialog.Init(nullptr));
    EXPECT_TRUE(dialog.controls.controls[kOrientation].entries.empty());
    EXPECT_TRUE(dialog.controls.controls[kPageSize].entries.empty());
    EXPECT_EQ(dialog.controls.controls[kOrientation].selection, -1);
    EXPECT_EQ(dialog.controls.controls[kForms].text, "4-11");
    EXPECT_TRUE(dialog.ends.empty());
}

struct InitFailureCase {
    const char* name;
    Bytes data;
    int failAddAt;
    bool bindMissingControl;
    Calls calls;
};

void PrintTo(const InitFailureCase& c, std::ostream* os) {
    *os << c.name;
}

class DialogInitFailure : public testing::TestWithParam<InitFailureCase> {};

TEST_P(DialogInitFailure, EndsWithMinusOne) {
    const InitFailureCase& c = GetParam();
    TestDialog dialog;
    dialog.controls.failAddAt = c.failAddAt;
    dialog.bindMissingControl = c.bindMissingControl;

    EXPECT_FALSE(dialog.Init(&c.data));

    EXPECT_EQ(dialog.ends, std::vector<int>{kEndInitFailed});
    EXPECT_EQ(dialog.controls.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    DialogCore, DialogInitFailure,
    testing::Values(
        InitFailureCase{"ListRefusesSecondEntry",
                        kSetupData,
                        1,
                        false,
                        {"Add(1006,Portrait)", "Add(1006,Landscape)"}},
        InitFailureCase{"EntryForMissingControl",
                        InitData({{4711, "Nowhere"}, {kPageSize, "A4"}}),
                        -1,
                        false,
                        {"Add(4711,Nowhere)"}},
        InitFailureCase{"DataCutShort", Bytes{0xEE, 0x03, 0x43, 0x01, 'P', 'o'}, -1, false, {}},
        InitFailureCase{"BindingFails",
                        InitData({}),
                        -1,
                        true,
                        {"SetSel(1006,-1)", "SetSel(1007,-1)", "GetText(1003)", "Handle(4711)"}}),
    [](const testing::TestParamInfo<InitFailureCase>& p) { return p.param.name; });

// ---- OK and Cancel.

TEST(DialogButtons, OkTakesControlsThenEndsOk) {
    TestDialog dialog;
    ASSERT_TRUE(dialog.Init(&kSetupData));
    dialog.controls.controls[kOrientation].selection = 1;
    dialog.controls.controls[kPageSize].selection = -1;
    dialog.controls.controls[kForms].text = " 12 ";
    dialog.controls.calls.clear();

    dialog.ClickOk();

    EXPECT_EQ(dialog.m_nOrientation, 1);
    EXPECT_EQ(dialog.m_nPageSize, -1);
    EXPECT_EQ(dialog.m_strForms, " 12 ");
    EXPECT_EQ(dialog.ends, std::vector<int>{kEndOk});
    // Taking leaves the controls as the user left them.
    EXPECT_EQ(dialog.controls.controls[kOrientation].selection, 1);
    EXPECT_EQ(dialog.controls.controls[kPageSize].selection, -1);
    EXPECT_EQ(dialog.controls.controls[kForms].text, " 12 ");
}

TEST(DialogButtons, OkStaysOpenWhenTakingFails) {
    TestDialog dialog;
    dialog.rejectTake = true;
    dialog.ClickOk();
    EXPECT_TRUE(dialog.ends.empty());
}

TEST(DialogButtons, OkIgnoresMissingControlObject) {
    TestDialog dialog;
    dialog.bindMissingControl = true;
    dialog.ClickOk();
    // Taking never attaches, so a control object cannot make it fail.
    EXPECT_EQ(dialog.ends, std::vector<int>{kEndOk});
}

TEST(DialogButtons, CancelEndsWithoutTaking) {
    TestDialog dialog;
    dialog.m_nOrientation = 2;
    dialog.m_nPageSize = 4;
    ASSERT_TRUE(dialog.Init(&kSetupData));
    dialog.controls.controls[kOrientation].selection = 0;
    dialog.controls.calls.clear();

    dialog.ClickCancel();

    EXPECT_EQ(dialog.ends, std::vector<int>{kEndCancel});
    EXPECT_TRUE(dialog.controls.calls.empty());
    EXPECT_EQ(dialog.m_nOrientation, 2);
    EXPECT_EQ(dialog.m_nPageSize, 4);
}

// ---- Notifications while the data exchange runs.

TEST(DialogNotifications, HeldBackWhileRefreshing) {
    TestDialog dialog;
    dialog.m_strForms = "7";
    EXPECT_FALSE(dialog.IsExchanging());

    ASSERT_TRUE(dialog.UpdateData(false));

    EXPECT_EQ(dialog.controls.controls[kForms].text, "7");
    EXPECT_TRUE(dialog.handled.empty());
    EXPECT_FALSE(dialog.IsExchanging());
}

// An exchange started inside another must leave the outer one still exchanging when it ends,
// so the text the outer one sets afterwards notifies nobody; the last one to end lets
// notifications through again.
TEST(DialogNotifications, HeldBackAfterANestedExchange) {
    for (int depth : {1, 2}) {
        SCOPED_TRACE(depth);
        TestDialog dialog;
        dialog.m_strForms = "7";
        dialog.nestedExchanges = depth;

        ASSERT_TRUE(dialog.UpdateData(false));

        EXPECT_EQ(dialog.controls.controls[kForms].text, "7");
        EXPECT_TRUE(dialog.handled.empty());
        EXPECT_FALSE(dialog.IsExchanging());
        dialog.controls.SetText(kForms, "typed");
        EXPECT_EQ(dialog.handled, std::vector<std::string>{"FormsChanged"});
    }
}

TEST(DialogNotifications, DeliveredOutsideTheExchange) {
    TestDialog dialog;
    dialog.controls.SetText(kForms, "typed");
    EXPECT_EQ(dialog.handled, std::vector<std::string>{"FormsChanged"});
}

}  // namespace
}  // namespace tessaline
