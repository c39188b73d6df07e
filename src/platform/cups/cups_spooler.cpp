#include "platform/cups/cups_spooler.h"

#include <cstring>

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_queue.h"
#include "platform/ipp/piece_writer.h"
#include "platform/ipp/stop_watch.h"

namespace tessaline {

// One opened destination: its own scheduler connection and, once started, its one job.
// Whoever closes it calls CancelUnfinished() first: a job whose document never ended would stay
// held in the queue, and nobody else ends it.
class CupsSpooler::OpenQueue {
  public:
    explicit OpenQueue(std::string queue) : m_queue(std::move(queue)) {}
    OpenQueue(const OpenQueue&) = delete;
    OpenQueue& operator=(const OpenQueue&) = delete;

    void CancelUnfinished() {
        if (m_jobId == 0 || m_documentEnded) {
            return;
        }
        // A cut-off document holds the connection in mid-request: the cancel needs a new one,
        // as it does when the connection could not carry it.
        if (m_brokenOff || m_documentOpen ||
            cupsCancelJob2(Http(), m_queue.c_str(), m_jobId, 0) > IPP_STATUS_OK_CONFLICTING) {
            const CupsConnection fresh;
            if (fresh.Get() != nullptr) {
                cupsCancelJob2(fresh.Get(), m_queue.c_str(), m_jobId, 0);
            }
        }
        m_jobId = 0;
    }

    // From the document's start on, its waits end on stop.
    void WatchStop(const StopSignal* stop) { m_watch.Watch(Http(), stop); }

    bool Connected() const { return m_connection.Get() != nullptr; }
    http_t* Http() const { return m_connection.Get(); }
    const std::string& Queue() const { return m_queue; }

    int m_jobId = 0;
    bool m_documentOpen = false;
    bool m_documentEnded = false;
    bool m_brokenOff = false;  // stopped or cut in mid-write: no end, only a cancel

  private:
    CupsConnection m_connection;
    HttpStopWatch m_watch;
    std::string m_queue;
};

CupsSpooler::CupsSpooler(StopSignal* stop) : m_stop(stop) {}
CupsSpooler::~CupsSpooler() = default;

bool CupsSpooler::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    const std::string queue = QueueOfDestination(printerName);
    auto open = std::make_unique<OpenQueue>(queue);
    if (!open->Connected() || !QueueExists(open->Http(), queue)) {
        return false;
    }
    *handle = m_open.Add(std::move(open));
    return true;
}

std::uint32_t CupsSpooler::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    OpenQueue* open = m_open.Find(handle);
    // Refused like a Windows queue whose print processor lacks the datatype: the caller's own
    // fallback then offers "RAW". "XPS_PASS" has no CUPS counterpart.
    if (open == nullptr || open->m_jobId != 0 || doc.datatype == nullptr ||
        std::strcmp(doc.datatype, kDatatypeRaw) != 0) {
        return 0;
    }
    const char* title = doc.docName != nullptr ? doc.docName : "";
    const int jobId = CreateJob(open->Http(), open->Queue(), title);
    if (jobId == 0) {
        return 0;
    }
    open->m_jobId = jobId;
    if (cupsStartDocument(open->Http(), open->Queue().c_str(), jobId, title, CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        open->CancelUnfinished();
        return 0;
    }
    open->m_documentOpen = true;
    open->WatchStop(m_stop);
    return static_cast<std::uint32_t>(jobId);
}

bool CupsSpooler::StartPagePrinter(PrinterHandle handle) {
    const OpenQueue* open = m_open.Find(handle);
    return open != nullptr && open->m_documentOpen;
}

bool CupsSpooler::WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                               std::uint32_t* written) {
    OpenQueue* open = m_open.Find(handle);
    if (open == nullptr || !open->m_documentOpen) {
        return false;
    }
    const PieceWrite write = WriteInPieces(
        [open](const char* piece, std::uint32_t size) {
            return cupsWriteRequestData(open->Http(), piece, size) == HTTP_STATUS_CONTINUE;
        },
        bytes, length, m_stop, m_progress);
    if (write.outcome != PieceWrite::Outcome::Whole) {
        open->m_documentOpen = false;
        open->m_brokenOff = true;
        return false;
    }
    *written = write.done;
    return true;
}

bool CupsSpooler::EndPagePrinter(PrinterHandle handle) {
    const OpenQueue* open = m_open.Find(handle);
    return open != nullptr && open->m_documentOpen;
}

bool CupsSpooler::EndDocPrinter(PrinterHandle handle) {
    OpenQueue* open = m_open.Find(handle);
    if (open == nullptr || !open->m_documentOpen) {
        return false;
    }
    open->m_documentOpen = false;
    // The scheduler answers only now whether it took the document (it refuses an empty one,
    // or one whose transfer broke off).
    const ipp_status_t status = cupsFinishDocument(open->Http(), open->Queue().c_str());
    open->m_documentEnded = status <= IPP_STATUS_OK_CONFLICTING;
    return open->m_documentEnded;
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) {
    const std::unique_ptr<OpenQueue> open = m_open.Take(handle);
    if (open != nullptr) {
        open->CancelUnfinished();
    }
}

std::string QueueOfDestination(const std::string& destination) {
    return destination.substr(0, destination.find('/'));
}

}  // namespace tessaline
