#include "framework/event_table.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>
#include <vector>

namespace tessaline {
namespace {

constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmSysCommand = 0x0112;
constexpr std::uint32_t kWmDropFiles = 0x0233;
constexpr std::uint32_t kWmTimer = 0x0113;
constexpr std::intptr_t kButtonWindow = 0x4242;

constexpr std::uintptr_t Command(std::uint32_t code, std::uint32_t id) {
    return (code << 16) | id;
}

// Records which handler ran.
class Target {
  public:
    std::vector<std::string> ran;

    Reply First(const Message&) { return Log("First", Reply::Done(11)); }
    Reply Second(const Message&) { return Log("Second", Reply::Done(22)); }
    Reply Focus(const Message&) { return Log("Focus", Reply::Done(33)); }
    Reply Paint(const Message&) { return Log("Paint", Reply::PassOn()); }
    Reply SysCommand(const Message& m) {
        return Log("SysCommand", Reply::Done(static_cast<std::intptr_t>(m.wParam)));
    }
    Reply Drop(const Message&) { return Log("Drop", Reply::Done(44)); }

    static const EventTable<Target>& Events() {
        static constexpr Event<Target> rows[] = {
            {kWmSysCommand, 0, 0, &Target::SysCommand},
            {kWmPaint, 0, 0, &Target::Paint},
            {kWmCommand, kBnClicked, 1004, &Target::First},
            {kWmCommand, kBnClicked, 1004, &Target::Second},  // never reached: same key
            {kWmCommand, kEnSetFocus, 1004, &Target::Focus},
            {kWmCommand, kBnClicked, 1001, &Target::Second},
            {kWmDropFiles, 0, 0, &Target::Drop},
        };
        static constexpr EventTable<Target> table{rows};
        return table;
    }

  private:
    Reply Log(const char* name, Reply reply) {
        ran.push_back(name);
        return reply;
    }
};

struct DispatchCase {
    const char* name;
    Message message;
    bool suppressed;
    std::vector<std::string> ran;
    bool handled;
    std::intptr_t result;
};

void PrintTo(const DispatchCase& c, std::ostream* os) {
    *os << c.name;
}

class EventDispatch : public testing::TestWithParam<DispatchCase> {};

TEST_P(EventDispatch, FirstMatchingRowOrDefault) {
    const DispatchCase& c = GetParam();
    Target target;

    const Reply reply = Dispatch(target, Target::Events(), c.message, c.suppressed);

    EXPECT_EQ(target.ran, c.ran);
    EXPECT_EQ(reply.handled, c.handled);
    EXPECT_EQ(reply.result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    EventTable, EventDispatch,
    testing::Values(
        DispatchCase{"FirstOfTwoEqualRows",
                     {kWmCommand, Command(kBnClicked, 1004), kButtonWindow},
                     false,
                     {"First"},
                     true,
                     11},
        DispatchCase{"CodeTellsRowsApart",
                     {kWmCommand, Command(kEnSetFocus, 1004), kButtonWindow},
                     false,
                     {"Focus"},
                     true,
                     33},
        DispatchCase{"IdTellsRowsApart",
                     {kWmCommand, Command(kBnClicked, 1001), kButtonWindow},
                     false,
                     {"Second"},
                     true,
                     22},
        DispatchCase{"CommandWithoutRow",
                     {kWmCommand, Command(kBnClicked, 2), kButtonWindow},
                     false,
                     {},
                     false,
                     0},
        DispatchCase{"UnlistedCodeForListedId",
                     {kWmCommand, Command(0x0300, 1004), kButtonWindow},
                     false,
                     {},
                     false,
                     0},
        DispatchCase{"IdAboveSixteenBitsIgnored",
                     {kWmCommand, Command(kBnClicked, 1004) | (std::uintptr_t{1} << 40), 0},
                     false,
                     {"First"},
                     true,
                     11},
        DispatchCase{"OtherMessageMatchesWhateverItsParameters",
                     {kWmSysCommand, 0xF060, 0x12345},
                     false,
                     {"SysCommand"},
                     true,
                     0xF060},
        DispatchCase{"HandlerPassesOn", {kWmPaint, 0, 0}, false, {"Paint"}, false, 0},
        DispatchCase{"MessageWithoutRow", {kWmTimer, 1, 0}, false, {}, false, 0},
        DispatchCase{"NotificationHeldBackDuringExchange",
                     {kWmCommand, Command(kEnSetFocus, 1004), kButtonWindow},
                     true,
                     {},
                     false,
                     0},
        DispatchCase{"MenuCommandNotHeldBack",
                     {kWmCommand, Command(kBnClicked, 1004), 0},
                     true,
                     {"First"},
                     true,
                     11},
        DispatchCase{
            "OtherMessageNotHeldBack", {kWmDropFiles, 0x777, 0}, true, {"Drop"}, true, 44}),
    [](const testing::TestParamInfo<DispatchCase>& p) { return p.param.name; });

}  // namespace
}  // namespace tessaline
