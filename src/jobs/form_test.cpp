#include "jobs/form_test.h"

#include <cstdint>
#include <iterator>
#include <limits>

#include "settings/page_sizes.h"

namespace tessaline {
namespace {

constexpr char kEscape = '\x1b';
constexpr char kFormFeed = '\x0c';

// isspace in the C locale, without depending on the process's locale.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::int32_t TextValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once past the 32-bit range.
    constexpr std::int64_t kMagnitudeLimit =
        static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kMagnitudeLimit) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
    }
    if (negative) {
        return magnitude >= kMagnitudeLimit ? std::numeric_limits<std::int32_t>::min()
                                            : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= kMagnitudeLimit ? std::numeric_limits<std::int32_t>::max()
                                        : static_cast<std::int32_t>(magnitude);
}

FormRange ParseFormRange(std::string_view text) {
    const std::string_view::size_type dash = text.find('-');
    if (dash == std::string_view::npos) {
        const std::int32_t value = TextValue(text);
        return FormRange{value, value};
    }
    const std::int32_t a = TextValue(text.substr(0, dash));
    const std::int32_t b = TextValue(text.substr(dash + 1));
    return a <= b ? FormRange{a, b} : FormRange{b, a};
}

std::int32_t PclPageSizeCode(std::int32_t pageSizeIndex) {
    constexpr std::int32_t count = static_cast<std::int32_t>(std::size(kPageSizes));
    if (pageSizeIndex < 0 || pageSizeIndex >= count) {
        return kPageSizes[kDefaultPageSizeIndex].pclCode;
    }
    return kPageSizes[pageSizeIndex].pclCode;
}

std::string FormTestJob(std::int32_t pageSizeCode, std::int32_t orientation, std::int32_t form) {
    std::string job;
    job += kEscape;
    job += 'E';
    job += kEscape;
    job += "&l" + std::to_string(pageSizeCode) + "a" + std::to_string(orientation) + "O";
    job += kEscape;
    job += "&f" + std::to_string(form) + "y3X";
    job += kFormFeed;
    return job;
}

bool SendFormTest(const FormTestContext& context, std::int32_t form) {
    const PrinterName printer = context.host.SelectedPrinter();
    const PrintSettings settings = ReadFormTestSettings(context.profile);
    const std::string job =
        FormTestJob(PclPageSizeCode(settings.pageSizeIndex), settings.orientationIndex, form);
    context.host.TakeFields();
    const auto length = static_cast<std::uint32_t>(job.size());
    const RawJobResult result = SubmitRawJob(context.spooler, printer, job.data(), length, nullptr);
    context.host.OnFormResult(form, result, length);
    return result.IsComplete(length);
}

void PrintForms(const FormTestContext& context, std::string formsText) {
    const FormRange range = ParseFormRange(formsText);
    // Test before counting up, so a range ending at the largest value never steps past it.
    for (std::int32_t form = range.first;; ++form) {
        SendFormTest(context, form);
        if (form == range.last) {
            break;
        }
    }
}

}  // namespace tessaline
