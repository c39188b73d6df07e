#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ipp/ipp_job.h"
#include "platform/ipp/ipp_link.h"
#include "platform/ipp/open_printers.h"
#include "platform/spooler.h"
#include "platform/stop_signal.h"
#include "platform/write_progress.h"

namespace tessaline {

// The spooler over libcups. A CUPS queue has no page and no datatype of the Windows kind, so
// the calls map as follows:
//   OpenPrinter      connects to the scheduler and checks that the destination exists;
//   StartDocPrinter  creates a job and starts its one document, as a raw document
//                    (application/vnd.cups-raw) for "RAW"; every other datatype, "XPS_PASS"
//                    first, is refused as a Windows queue without it refuses it;
//   Start/EndPage    nothing to do: a raw document has no pages;
//   WritePrinter     streams the bytes in pieces, telling the progress sink after each and
//                    asking the stop signal before each and after the last; a stop also ends
//                    a wait on the connection. A stop fails the write;
//   EndDocPrinter    ends the document and fails when the scheduler refused it or the write
//                    broke off (a cut document gets no end, so nothing of it prints);
//   ClosePrinter     cancels a job whose document never ended (over a new connection when
//                    the document was cut off mid-request), then disconnects.
class CupsSpooler final : public Spooler, public WriteProgressSource {
  public:
    // Over libcups. stop may be null: the write then always goes on to its end.
    // Over libcups; ends, when not null, is told as each connection closes.
    explicit CupsSpooler(StopSignal* stop = nullptr, ConnectionEnds* ends = nullptr);
    // Over links (to queues), which must outlive it.
    CupsSpooler(IppLinks& links, StopSignal* stop);
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;
    ~CupsSpooler() override;

    bool OpenPrinter(const char* printerName, PrinterHandle* handle) override;
    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override;
    bool StartPagePrinter(PrinterHandle handle) override;
    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override;
    bool EndPagePrinter(PrinterHandle handle) override;
    bool EndDocPrinter(PrinterHandle handle) override;
    void ClosePrinter(PrinterHandle handle) override;

    void SetWriteProgress(WriteProgress* sink) override { m_progress = sink; }

  private:
    std::unique_ptr<IppLinks> m_ownLinks;
    IppLinks& m_links;
    OpenPrinters<IppJob> m_open;
    WriteProgress* m_progress = nullptr;
    StopSignal* m_stop;
};

// The queue part of a destination name: "queue/instance" prints to "queue".
std::string QueueOfDestination(const std::string& destination);

}  // namespace tessaline
