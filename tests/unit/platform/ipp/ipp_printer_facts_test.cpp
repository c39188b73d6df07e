#include "platform/ipp/ipp_printer_facts.h"

#include <memory>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

using Response = std::unique_ptr<ipp_t, decltype(&ippDelete)>;

Response NewResponse() {
    return Response(ippNew(), &ippDelete);
}

void AddTexts(ipp_t* r, ipp_tag_t tag, const char* name, std::vector<const char*> values) {
    ippAddStrings(r, IPP_TAG_PRINTER, tag, name, static_cast<int>(values.size()), nullptr,
                  values.data());
}

TEST(IppPrinterFacts, ReadsWhatThePrinterGaveAndLeavesTheRestAbsent) {
    Response r = NewResponse();
    AddTexts(r.get(), IPP_TAG_TEXT, "printer-make-and-model", {"Model 9\x1b[2J"});
    AddTexts(r.get(), IPP_TAG_NAME, "printer-firmware-name", {"Engine", "Module"});
    AddTexts(r.get(), IPP_TAG_TEXT, "printer-firmware-string-version", {"7.1", "2.0.3"});
    ipp_attribute_t* octets =
        ippAddOctetString(r.get(), IPP_TAG_PRINTER, "printer-firmware-version", "\x07\x01", 2);
    ippSetOctetString(r.get(), &octets, 1, "\x02\x00\x03", 3);
    ippAddInteger(r.get(), IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_STOPPED);
    AddTexts(r.get(), IPP_TAG_KEYWORD, "printer-state-reasons", {"none", "media-empty-error"});
    ippAddInteger(r.get(), IPP_TAG_PRINTER, IPP_TAG_INTEGER, "printer-up-time", 42);

    const PrinterFacts facts = PrinterFactsOf(r.get());
    EXPECT_EQ(facts.makeAndModel, "Model 9\x1b[2J");  // made safe where it is shown
    EXPECT_EQ(facts.firmware.names, (std::vector<std::string>{"Engine", "Module"}));
    EXPECT_EQ(facts.firmware.stringVersions, (std::vector<std::string>{"7.1", "2.0.3"}));
    EXPECT_EQ(facts.firmware.versions,
              (std::vector<std::string>{"\x07\x01", std::string("\x02\x00\x03", 3)}));
    EXPECT_TRUE(facts.firmware.patches.empty());
    EXPECT_EQ(facts.state, "stopped");
    EXPECT_EQ(facts.stateReasons, std::vector<std::string>{"media-empty-error"});
    EXPECT_EQ(facts.upTime, 42);

    const PrinterFacts none = PrinterFactsOf(NewResponse().get());
    EXPECT_FALSE(none.makeAndModel || none.state || none.upTime);
    EXPECT_TRUE(none.firmware.names.empty() && none.stateReasons.empty());
}

}  // namespace
}  // namespace tessaline
