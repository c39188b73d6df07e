#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/raw_job.h"
#include "settings/print_settings.h"

namespace tessaline {

struct FormRange {
    std::int32_t first;
    std::int32_t last;
};

// The atoi rule, saturating at the ends of the signed 32-bit range. Never rejects: unlike the
// strict rule for arguments and settings (base/decimal.h), any forms text gives a number.
std::int32_t TextValue(std::string_view text);
// "4-11", "11-4", "7", "-5", "3-5-7"...: split at the first "-", smaller end first.
FormRange ParseFormRange(std::string_view text);

// PCL page size code for a page size list position; Letter (2) outside 0 to 11.
std::int32_t PclPageSizeCode(std::int32_t pageSizeIndex);
// ESC E ESC &l<P>a<O>O ESC &f<N>y3X FF, no terminating NUL.
std::string FormTestJob(std::int32_t pageSizeCode, std::int32_t orientation, std::int32_t form);

// What the window running the form tests supplies.
class FormTestHost {
  public:
    virtual ~FormTestHost() = default;
    // The current text of the printer selection (empty with none).
    virtual PrinterName SelectedPrinter() = 0;
    // Take the window's fields into its members.
    virtual void TakeFields() = 0;
    // Told each form's job outcome as it ends; the window ignores them.
    virtual void OnFormResult(std::int32_t /*form*/, const RawJobResult& /*result*/,
                              std::uint32_t /*length*/) {}
};

struct FormTestContext {
    Spooler& spooler;
    ProfileStore& profile;
    FormTestHost& host;
};

// One job for form n, settings read afresh. True only when the job reached the spooler whole.
bool SendFormTest(const FormTestContext& context, std::int32_t form);
// One job per number of the range, ascending; failures neither stop nor change the rest. The text
// is a copy: each form takes the window's fields again, which reassigns the member it came from.
void PrintForms(const FormTestContext& context, std::string formsText);

}  // namespace tessaline
