#pragma once

#include <cstdint>

#include "jobs/printer_list.h"
#include "platform/spooler.h"

namespace tessaline {

// What happened to the datatype offers of one job, told as it happens.
enum class Notice {
    XpsPassAccepted,  // the first document start ("XPS_PASS") succeeded
    XpsPassRefused,   // it failed; told before "RAW" is offered
    RawRefused,       // "RAW" failed too; told before the printer is closed
};

class NoticeReceiver {
  public:
    virtual ~NoticeReceiver() = default;
    // Called once, right after the printer opened and before the first document start.
    virtual void OnPrinterOpened() {}
    virtual void OnNotice(Notice notice) = 0;
};

enum class RawJobStage {
    OpenFailed,
    StartDocFailed,
    StartPageFailed,
    WriteFailed,
    EndPageFailed,
    EndDocFailed,
    Completed,
};

struct RawJobResult {
    RawJobStage stage = RawJobStage::OpenFailed;
    std::uint32_t written = 0;  // meaningful only with Completed
    // The datatype the spooler accepted and the id it gave the job; null and 0 until a
    // document was started.
    const char* datatype = nullptr;
    std::uint32_t jobId = 0;

    // The job reached the spooler whole.
    bool IsComplete(std::uint32_t length) const {
        return stage == RawJobStage::Completed && written == length;
    }
};

inline constexpr char kRawJobDocumentName[] = "My Document";
inline constexpr char kDatatypeXpsPass[] = "XPS_PASS";

// One spooler job of one page and one write, offered as "XPS_PASS" and then once as "RAW".
// notices may be null. An exception from the receiver or the spooler passes through to the
// caller, after a started page and document have been ended and the printer closed, once each.
RawJobResult SubmitRawJob(Spooler& spooler, const PrinterName& printer, const void* bytes,
                          std::uint32_t length, NoticeReceiver* notices);

}  // namespace tessaline
