#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/cups/password_refusals.h"
#include "platform/job_monitor.h"
#include "platform/notes_by_printer.h"
#include "platform/printer_notes.h"
#include "platform/spooler.h"
#include "platform/write_progress.h"

namespace tessaline {

// One way to printers: a spooler with what goes along with it. Only spooler and jobs are
// required; the rest may be null.
struct PrinterRoute {
    Spooler& spooler;
    JobMonitor& jobs;
    WriteProgressSource* progress = nullptr;
    PrinterNotes* notes = nullptr;
    DocumentFormatChoice* formats = nullptr;
};

// Sends printers named by their address (ipp://, ipps://) down the device route and every other
// name (a CUPS queue) down the queue route. Its own handles stand for the routes' handles, so
// two routes that give out the same number cannot be confused; each handle is closed by the
// spooler that opened it. Jobs may go through it from several threads at once, each job's
// handle used by one thread.
class CupsDestinationRouter final : public Spooler,
                                    public WriteProgressSource,
                                    public JobMonitor,
                                    public PrinterNotes,
                                    public DocumentFormatChoice {
  public:
    // refusals may be null; a password refusal it holds becomes the note of the printer whose
    // call failed next.
    CupsDestinationRouter(PrinterRoute queues, PrinterRoute devices,
                          PasswordRefusals* refusals = nullptr);
    CupsDestinationRouter(const CupsDestinationRouter&) = delete;
    CupsDestinationRouter& operator=(const CupsDestinationRouter&) = delete;

    bool OpenPrinter(const char* printerName, PrinterHandle* handle) override;
    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override;
    bool StartPagePrinter(PrinterHandle handle) override;
    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override;
    bool EndPagePrinter(PrinterHandle handle) override;
    bool EndDocPrinter(PrinterHandle handle) override;
    void ClosePrinter(PrinterHandle handle) override;

    void SetWriteProgress(WriteProgress* sink) override;
    JobState State(const std::string& printer, std::uint32_t jobId) override;
    JobStatus Status(const std::string& printer, std::uint32_t jobId) override;
    std::string TakeNote(const std::string& printer) override;
    bool TakeAnswerLost(const std::string& printer) override;
    void UseDocumentFormat(const std::string& mimeType) override;

  private:
    struct Opened {
        PrinterRoute* route = nullptr;
        PrinterHandle inner = 0;
        std::string printer;
    };
    PrinterRoute& RouteFor(const std::string& printer);
    const Opened* Find(PrinterHandle handle) const;
    // Passes ok through; on failure keeps a pending password refusal as the printer's note.
    bool Noted(bool ok, const std::string& printer);

    PrinterRoute m_queues;
    PrinterRoute m_devices;
    PasswordRefusals* m_refusals;
    NotesByPrinter m_refusalNotes;
    mutable std::mutex m_mutex;  // guards the two below, not the routes' own calls
    std::map<PrinterHandle, Opened> m_open;
    PrinterHandle m_nextHandle = 1;
};

}  // namespace tessaline
