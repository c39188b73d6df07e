#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ipp/ipp_job.h"
#include "platform/ipp/ipp_link.h"
#include "platform/ipp/open_printers.h"
#include "platform/notes_by_printer.h"
#include "platform/printer_notes.h"
#include "platform/spooler.h"
#include "platform/stop_signal.h"
#include "platform/write_progress.h"

namespace tessaline {

// The spooler for printers named by their address (ipp://HOST[:PORT]/PATH, ipps://...), talked
// to directly with no CUPS queue. The calls map as CupsSpooler's do:
//   OpenPrinter      connects to the printer (over TLS when --encrypt asks) and reads what it
//                    supports; a printer that cannot be reached fails here;
//   StartDocPrinter  refuses every datatype but "RAW" ("XPS_PASS" first, so the core offers
//                    "RAW"); checks the document format against the printer's list before any
//                    byte goes out; creates the job and starts its one document, trying again
//                    while the printer answers busy; returns the printer's own job id;
//   Start/EndPage    nothing to do;
//   WritePrinter     streams the bytes in pieces, telling the progress sink after each and
//                    asking the stop signal before each and after the last; a stop also ends
//                    a wait on the connection. A stop fails the write;
//   EndDocPrinter    ends the document; fails when the printer refuses it at its end (some
//                    take the whole upload first), when the write broke off, or when the
//                    connection ends with no answer (TakeAnswerLost then says so);
//   ClosePrinter     cancels a job whose document did not end (over a new connection when
//                    the document was cut off mid-request), then disconnects.
// Every failure leaves a note for the printer (TakeNote).
class IppDeviceSpooler final : public Spooler,
                               public WriteProgressSource,
                               public PrinterNotes,
                               public DocumentFormatChoice {
  public:
    using SleepMs = std::function<void(std::uint32_t)>;

    // Over libcups; stop may be null; ends, when not null, is told as each connection closes.
    explicit IppDeviceSpooler(StopSignal* stop = nullptr, ConnectionEnds* ends = nullptr);
    // Over links, which must outlive it. sleepMs waits between the tries of a busy printer.
    IppDeviceSpooler(IppLinks& links, StopSignal* stop, SleepMs sleepMs);
    IppDeviceSpooler(const IppDeviceSpooler&) = delete;
    IppDeviceSpooler& operator=(const IppDeviceSpooler&) = delete;
    ~IppDeviceSpooler() override;

    bool OpenPrinter(const char* printerName, PrinterHandle* handle) override;
    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override;
    bool StartPagePrinter(PrinterHandle handle) override;
    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override;
    bool EndPagePrinter(PrinterHandle handle) override;
    bool EndDocPrinter(PrinterHandle handle) override;
    void ClosePrinter(PrinterHandle handle) override;

    void SetWriteProgress(WriteProgress* sink) override { m_progress = sink; }
    std::string TakeNote(const std::string& printer) override;
    bool TakeAnswerLost(const std::string& printer) override;
    void UseDocumentFormat(const std::string& mimeType) override { m_format = mimeType; }

  private:
    std::unique_ptr<IppLinks> m_ownLinks;
    IppLinks& m_links;
    OpenPrinters<IppJob> m_open;
    NotesByPrinter m_notes;
    WriteProgress* m_progress = nullptr;
    StopSignal* m_stop;
    SleepMs m_sleepMs;
    std::string m_format = kRawDocumentFormat;
};

}  // namespace tessaline
