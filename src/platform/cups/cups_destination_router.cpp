#include "platform/cups/cups_destination_router.h"

#include "base/printer_address.h"

namespace tessaline {

CupsDestinationRouter::CupsDestinationRouter(PrinterRoute queues, PrinterRoute devices,
                                             PasswordRefusals* refusals)
    : m_queues(queues), m_devices(devices), m_refusals(refusals) {}

PrinterRoute& CupsDestinationRouter::RouteFor(const std::string& printer) {
    return IsPrinterAddress(printer) ? m_devices : m_queues;
}

// An entry stays where it is until its own job's thread closes it.
const CupsDestinationRouter::Opened* CupsDestinationRouter::Find(PrinterHandle handle) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_open.find(handle);
    return found == m_open.end() ? nullptr : &found->second;
}

bool CupsDestinationRouter::Noted(bool ok, const std::string& printer) {
    if (!ok && m_refusals != nullptr) {
        std::string refusal = m_refusals->TakeRefusal();
        if (!refusal.empty()) {
            m_refusalNotes.Put(printer, std::move(refusal));
        }
    }
    return ok;
}

bool CupsDestinationRouter::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    const std::string printer = printerName != nullptr ? printerName : "";
    PrinterRoute& route = RouteFor(printer);
    PrinterHandle inner = 0;
    if (!Noted(route.spooler.OpenPrinter(printerName, &inner), printer)) {
        return false;
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    *handle = m_nextHandle++;
    m_open.emplace(*handle, Opened{&route, inner, printer});
    return true;
}

std::uint32_t CupsDestinationRouter::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    const Opened* open = Find(handle);
    if (open == nullptr) {
        return 0;
    }
    const std::uint32_t jobId = open->route->spooler.StartDocPrinter(open->inner, doc);
    Noted(jobId != 0, open->printer);
    return jobId;
}

bool CupsDestinationRouter::StartPagePrinter(PrinterHandle handle) {
    const Opened* open = Find(handle);
    return open != nullptr && open->route->spooler.StartPagePrinter(open->inner);
}

bool CupsDestinationRouter::WritePrinter(PrinterHandle handle, const void* bytes,
                                         std::uint32_t length, std::uint32_t* written) {
    const Opened* open = Find(handle);
    return open != nullptr &&
           Noted(open->route->spooler.WritePrinter(open->inner, bytes, length, written),
                 open->printer);
}

bool CupsDestinationRouter::EndPagePrinter(PrinterHandle handle) {
    const Opened* open = Find(handle);
    return open != nullptr && open->route->spooler.EndPagePrinter(open->inner);
}

bool CupsDestinationRouter::EndDocPrinter(PrinterHandle handle) {
    const Opened* open = Find(handle);
    return open != nullptr && Noted(open->route->spooler.EndDocPrinter(open->inner), open->printer);
}

void CupsDestinationRouter::ClosePrinter(PrinterHandle handle) {
    Opened opened;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_open.find(handle);
        if (found == m_open.end()) {
            return;
        }
        opened = found->second;
        m_open.erase(found);
    }
    // Closing may cancel a job over the network: not under the lock.
    opened.route->spooler.ClosePrinter(opened.inner);
}

void CupsDestinationRouter::SetWriteProgress(WriteProgress* sink) {
    for (PrinterRoute* route : {&m_queues, &m_devices}) {
        if (route->progress != nullptr) {
            route->progress->SetWriteProgress(sink);
        }
    }
}

JobState CupsDestinationRouter::State(const std::string& printer, std::uint32_t jobId) {
    return RouteFor(printer).jobs.State(printer, jobId);
}

JobStatus CupsDestinationRouter::Status(const std::string& printer, std::uint32_t jobId) {
    return RouteFor(printer).jobs.Status(printer, jobId);
}

std::string CupsDestinationRouter::TakeNote(const std::string& printer) {
    PrinterRoute& route = RouteFor(printer);
    std::string note = route.notes != nullptr ? route.notes->TakeNote(printer) : std::string();
    std::string refusal = m_refusalNotes.Take(printer);
    // The refused password is why the printer's call failed; the route's note is its echo.
    return refusal.empty() ? note : refusal;
}

bool CupsDestinationRouter::TakeAnswerLost(const std::string& printer) {
    PrinterRoute& route = RouteFor(printer);
    return route.notes != nullptr && route.notes->TakeAnswerLost(printer);
}

void CupsDestinationRouter::UseDocumentFormat(const std::string& mimeType) {
    for (PrinterRoute* route : {&m_queues, &m_devices}) {
        if (route->formats != nullptr) {
            route->formats->UseDocumentFormat(mimeType);
        }
    }
}

}  // namespace tessaline
