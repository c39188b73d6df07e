#include "platform/ipp/ipp_device_spooler.h"

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/ipp/ipp_device_connection.h"
#include "platform/ipp/ipp_device_rules.h"
#include "platform/ipp/piece_writer.h"

namespace tessaline {
namespace {

// The one datatype a printer takes as it is. "XPS_PASS" has no IPP counterpart.
constexpr char kRawDatatype[] = "RAW";

std::string LastCupsError() {
    const char* text = cupsLastErrorString();
    return text != nullptr && text[0] != '\0' ? text : ippErrorString(cupsLastError());
}

}  // namespace

// One opened printer: its own connection and, once started, its one job. A job whose document
// did not end is cancelled here: a printer holding a half-made job answers busy to everyone.
class IppDeviceSpooler::OpenDevice {
  public:
    OpenDevice(std::string printer) : m_printer(printer), m_connection(printer) {}
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    ~OpenDevice() {
        if (m_jobId != 0 && !m_documentEnded) {
            CancelJob();
        }
        if (m_info != nullptr) {
            cupsFreeDestInfo(m_info);
        }
    }

    // Reads what the printer supports; false when it does not say.
    bool ReadInfo() {
        m_info = cupsCopyDestInfo(m_connection.Http(), m_connection.Dest());
        return m_info != nullptr;
    }

    std::vector<std::string> AcceptedFormats() const {
        std::vector<std::string> formats;
        ipp_attribute_t* attr = cupsFindDestSupported(m_connection.Http(), m_connection.Dest(),
                                                      m_info, "document-format");
        for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
            const char* format = ippGetString(attr, i, nullptr);
            if (format != nullptr) {
                formats.emplace_back(format);
            }
        }
        return formats;
    }

    // One try at the job: creates it and starts its document. A job whose document did not
    // start is cancelled at once, so the next try starts clean.
    ipp_status_t CreateAndStart(const char* title, const std::string& format) {
        int jobId = 0;
        const ipp_status_t created =
            cupsCreateDestJob(Http(), Dest(), m_info, &jobId, title, 0, nullptr);
        if (created > IPP_STATUS_OK_CONFLICTING || jobId <= 0) {
            return created > IPP_STATUS_OK_CONFLICTING ? created : IPP_STATUS_ERROR_INTERNAL;
        }
        m_jobId = jobId;
        if (cupsStartDestDocument(Http(), Dest(), m_info, jobId, title, format.c_str(), 0, nullptr,
                                  1) != HTTP_STATUS_CONTINUE) {
            const ipp_status_t status = cupsLastError();
            CancelJob();
            return status > IPP_STATUS_OK_CONFLICTING ? status : IPP_STATUS_ERROR_INTERNAL;
        }
        m_documentOpen = true;
        return IPP_STATUS_OK;
    }

    // False with the printer's own message in *message when it refuses the document.
    bool FinishDocument(std::string* message) {
        m_documentOpen = false;
        const ipp_status_t status = cupsFinishDestDocument(Http(), Dest(), m_info);
        m_documentEnded = status <= IPP_STATUS_OK_CONFLICTING;
        if (!m_documentEnded) {
            *message = LastCupsError();
        }
        return m_documentEnded;
    }

    // The transfer cannot go on (stopped, or broken off): the job must not get an end.
    void BreakOff() {
        m_documentOpen = false;
        m_brokenOff = true;
    }

    http_t* Http() const { return m_connection.Http(); }
    cups_dest_t* Dest() const { return m_connection.Dest(); }
    const std::string& Printer() const { return m_printer; }
    const IppDeviceConnection& Connection() const { return m_connection; }
    int JobId() const { return m_jobId; }
    bool DocumentOpen() const { return m_documentOpen; }
    bool BrokenOff() const { return m_brokenOff; }

  private:
    void CancelJob() {
        // A document still open or broken off holds the connection in mid-request: only a new
        // connection can carry the cancel.
        const bool midRequest = m_documentOpen || m_brokenOff;
        if ((midRequest || Http() == nullptr) && !m_connection.Reconnect()) {
            return;
        }
        if (cupsCancelDestJob(Http(), Dest(), m_jobId) > IPP_STATUS_OK_CONFLICTING && !midRequest &&
            m_connection.Reconnect()) {
            cupsCancelDestJob(Http(), Dest(), m_jobId);
        }
        m_jobId = 0;
        m_documentOpen = false;
        m_brokenOff = false;
    }

    std::string m_printer;
    IppDeviceConnection m_connection;
    cups_dinfo_t* m_info = nullptr;
    int m_jobId = 0;
    bool m_documentOpen = false;
    bool m_documentEnded = false;
    bool m_brokenOff = false;
};

IppDeviceSpooler::IppDeviceSpooler(StopSignal* stop, SleepMs sleepMs)
    : m_stop(stop), m_sleepMs(std::move(sleepMs)) {
    if (!m_sleepMs) {
        m_sleepMs = [](std::uint32_t ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        };
    }
}

IppDeviceSpooler::~IppDeviceSpooler() = default;

void IppDeviceSpooler::Note(const OpenDevice& open, std::string note) {
    const std::lock_guard<std::mutex> lock(m_notesMutex);
    m_notes[open.Printer()] = std::move(note);
}

std::string IppDeviceSpooler::TakeNote(const std::string& printer) {
    const std::lock_guard<std::mutex> lock(m_notesMutex);
    const auto found = m_notes.find(printer);
    if (found == m_notes.end()) {
        return std::string();
    }
    std::string note = std::move(found->second);
    m_notes.erase(found);
    return note;
}

bool IppDeviceSpooler::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    const std::string printer = printerName != nullptr ? printerName : "";
    {
        const std::lock_guard<std::mutex> lock(m_notesMutex);
        m_notes.erase(printer);
    }
    auto open = std::make_unique<OpenDevice>(printer);
    if (open->Http() == nullptr) {
        Note(*open, open->Connection().Problem());
        return false;
    }
    if (!open->ReadInfo()) {
        Note(*open, "the printer at " + PrinterAddressOfUri(printer) +
                        " did not say what it supports: " + LastCupsError());
        return false;
    }
    *handle = m_open.Add(std::move(open));
    return true;
}

std::uint32_t IppDeviceSpooler::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    OpenDevice* open = m_open.Find(handle);
    // Refused like a Windows queue without the datatype; the core then offers "RAW".
    if (open == nullptr || open->JobId() != 0 || doc.datatype == nullptr ||
        std::strcmp(doc.datatype, kRawDatatype) != 0) {
        return 0;
    }
    const std::vector<std::string> accepted = open->AcceptedFormats();
    if (!FormatAccepted(accepted, m_format)) {
        Note(*open, FormatRefusedNote(m_format, accepted));
        return 0;
    }
    const char* title = doc.docName != nullptr ? doc.docName : "";
    const ipp_status_t status =
        RetryWhileBusy([&] { return open->CreateAndStart(title, m_format); }, m_sleepMs,
                       [this] { return m_stop != nullptr && m_stop->StopRequested(); });
    if (status == IPP_STATUS_ERROR_BUSY) {
        Note(*open, StayedBusyNote());
        return 0;
    }
    if (status > IPP_STATUS_OK_CONFLICTING) {
        Note(*open, "the printer refused the job: " + LastCupsError());
        return 0;
    }
    return static_cast<std::uint32_t>(open->JobId());
}

bool IppDeviceSpooler::StartPagePrinter(PrinterHandle handle) {
    const OpenDevice* open = m_open.Find(handle);
    return open != nullptr && open->DocumentOpen();
}

bool IppDeviceSpooler::WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                                    std::uint32_t* written) {
    OpenDevice* open = m_open.Find(handle);
    if (open == nullptr || !open->DocumentOpen()) {
        return false;
    }
    const PieceWrite write = WriteInPieces(open->Http(), bytes, length, m_stop, m_progress);
    if (write.outcome == PieceWrite::Outcome::Stopped) {
        open->BreakOff();
        Note(*open, "stopped after " + std::to_string(write.done) + " of " +
                        std::to_string(length) + " bytes; the job is cancelled");
        return false;
    }
    if (write.outcome == PieceWrite::Outcome::BrokenOff) {
        open->BreakOff();
        Note(*open, "the printer at " + PrinterAddressOfUri(open->Printer()) +
                        " broke off the transfer after " + std::to_string(write.done) + " bytes");
        return false;
    }
    *written = write.done;
    return true;
}

bool IppDeviceSpooler::EndPagePrinter(PrinterHandle handle) {
    const OpenDevice* open = m_open.Find(handle);
    return open != nullptr && open->DocumentOpen();
}

bool IppDeviceSpooler::EndDocPrinter(PrinterHandle handle) {
    OpenDevice* open = m_open.Find(handle);
    if (open == nullptr || !open->DocumentOpen()) {
        // A broken-off document gets no end: the printer would print what it had.
        return false;
    }
    std::string message;
    if (!open->FinishDocument(&message)) {
        Note(*open, message);
        return false;
    }
    return true;
}

void IppDeviceSpooler::ClosePrinter(PrinterHandle handle) {
    m_open.Close(handle);
}

}  // namespace tessaline
