#include "platform/cups/cups_spooler.h"

#include <cstring>

#include "platform/cups/cups_queue_links.h"
#include "platform/ipp/ipp_job.h"

namespace tessaline {

CupsSpooler::CupsSpooler(StopSignal* stop, ConnectionEnds* ends)
    : m_ownLinks(std::make_unique<CupsQueueLinks>(ends)), m_links(*m_ownLinks), m_stop(stop) {}

CupsSpooler::CupsSpooler(IppLinks& links, StopSignal* stop) : m_links(links), m_stop(stop) {}

CupsSpooler::~CupsSpooler() = default;

bool CupsSpooler::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    const std::string destination = printerName != nullptr ? printerName : "";
    std::string problem;
    std::unique_ptr<IppLink> link = m_links.Connect(destination, &problem);
    if (link == nullptr) {
        return false;
    }
    *handle = m_open.Add(std::make_unique<IppJob>(m_links, destination, std::move(link)));
    return true;
}

std::uint32_t CupsSpooler::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    IppJob* job = m_open.Find(handle);
    // Refused like a Windows queue whose print processor lacks the datatype: the caller's own
    // fallback then offers "RAW". "XPS_PASS" has no CUPS counterpart.
    if (job == nullptr || job->JobId() != 0 || doc.datatype == nullptr ||
        std::strcmp(doc.datatype, kDatatypeRaw) != 0) {
        return 0;
    }
    const std::string title = doc.docName != nullptr ? doc.docName : "";
    std::string refusal;
    if (job->CreateAndStart(title, CUPS_FORMAT_RAW, m_stop, &refusal) != IPP_STATUS_OK) {
        return 0;
    }
    return static_cast<std::uint32_t>(job->JobId());
}

bool CupsSpooler::StartPagePrinter(PrinterHandle handle) {
    const IppJob* job = m_open.Find(handle);
    return job != nullptr && job->DocumentOpen();
}

bool CupsSpooler::WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                               std::uint32_t* written) {
    IppJob* job = m_open.Find(handle);
    if (job == nullptr || !job->DocumentOpen()) {
        return false;
    }
    const PieceWrite write = job->Write(bytes, length, m_stop, m_progress);
    if (write.outcome != PieceWrite::Outcome::Whole) {
        return false;
    }
    *written = write.done;
    return true;
}

bool CupsSpooler::EndPagePrinter(PrinterHandle handle) {
    const IppJob* job = m_open.Find(handle);
    return job != nullptr && job->DocumentOpen();
}

bool CupsSpooler::EndDocPrinter(PrinterHandle handle) {
    IppJob* job = m_open.Find(handle);
    // A cut document gets no end, so nothing of it prints.
    std::string refusal;
    return job != nullptr && job->DocumentOpen() && job->Finish(&refusal);
}

void CupsSpooler::ClosePrinter(PrinterHandle handle) {
    const std::unique_ptr<IppJob> job = m_open.Take(handle);
    if (job != nullptr) {
        job->CancelUnfinished();
    }
}

std::string QueueOfDestination(const std::string& destination) {
    return destination.substr(0, destination.find('/'));
}

}  // namespace tessaline
