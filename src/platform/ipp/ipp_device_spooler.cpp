#include "platform/ipp/ipp_device_spooler.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/ipp/ipp_job.h"
#include "platform/ipp/ipp_device_links.h"
#include "platform/ipp/ipp_device_rules.h"

namespace tessaline {
namespace {

std::string StoppedNote(std::uint32_t done, std::uint32_t length) {
    return "stopped after " + std::to_string(done) + " of " + std::to_string(length) +
           " bytes; the job is cancelled";
}

}  // namespace

IppDeviceSpooler::IppDeviceSpooler(StopSignal* stop, ConnectionEnds* ends)
    : m_ownLinks(std::make_unique<IppDeviceLinks>(ends)), m_links(*m_ownLinks), m_stop(stop) {
    m_sleepMs = [](std::uint32_t ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    };
}

IppDeviceSpooler::IppDeviceSpooler(IppLinks& links, StopSignal* stop, SleepMs sleepMs)
    : m_links(links), m_stop(stop), m_sleepMs(std::move(sleepMs)) {}

IppDeviceSpooler::~IppDeviceSpooler() = default;

std::string IppDeviceSpooler::TakeNote(const std::string& printer) {
    return m_notes.Take(printer);
}

bool IppDeviceSpooler::TakeAnswerLost(const std::string& printer) {
    return m_notes.TakeAnswerLost(printer);
}

bool IppDeviceSpooler::OpenPrinter(const char* printerName, PrinterHandle* handle) {
    const std::string printer = printerName != nullptr ? printerName : "";
    m_notes.Forget(printer);
    std::string problem;
    std::unique_ptr<IppLink> link = m_links.Connect(printer, &problem);
    if (link == nullptr) {
        m_notes.Put(printer, problem);
        return false;
    }
    auto job = std::make_unique<IppJob>(m_links, printer, std::move(link));
    std::string message;
    if (!job->ReadFormats(&message)) {
        m_notes.Put(printer, "the printer at " + PrinterAddressOfUri(printer) +
                                 " did not say what it supports: " + message);
        return false;
    }
    *handle = m_open.Add(std::move(job));
    return true;
}

std::uint32_t IppDeviceSpooler::StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) {
    IppJob* job = m_open.Find(handle);
    // Refused like a Windows queue without the datatype; the core then offers "RAW".
    if (job == nullptr || job->JobId() != 0 || doc.datatype == nullptr ||
        std::strcmp(doc.datatype, kDatatypeRaw) != 0) {
        return 0;
    }
    if (!FormatAccepted(job->Formats(), m_format)) {
        m_notes.Put(job->Printer(), FormatRefusedNote(m_format, job->Formats()));
        return 0;
    }
    const std::string title = doc.docName != nullptr ? doc.docName : "";
    std::string refusal;
    const ipp_status_t status =
        RetryWhileBusy([&] { return job->CreateAndStart(title, m_format, m_stop, &refusal); },
                       m_sleepMs, [this] { return m_stop != nullptr && m_stop->StopRequested(); });
    if (status == IPP_STATUS_ERROR_BUSY) {
        m_notes.Put(job->Printer(), StayedBusyNote());
        return 0;
    }
    if (status > IPP_STATUS_OK_CONFLICTING) {
        m_notes.Put(job->Printer(), "the printer refused the job: " + refusal);
        return 0;
    }
    return static_cast<std::uint32_t>(job->JobId());
}

bool IppDeviceSpooler::StartPagePrinter(PrinterHandle handle) {
    const IppJob* job = m_open.Find(handle);
    return job != nullptr && job->DocumentOpen();
}

bool IppDeviceSpooler::WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                                    std::uint32_t* written) {
    IppJob* job = m_open.Find(handle);
    if (job == nullptr || !job->DocumentOpen()) {
        return false;
    }
    const PieceWrite write = job->Write(bytes, length, m_stop, m_progress);
    if (write.outcome == PieceWrite::Outcome::Stopped) {
        m_notes.Put(job->Printer(), StoppedNote(write.done, length));
        return false;
    }
    if (write.outcome == PieceWrite::Outcome::BrokenOff) {
        m_notes.Put(job->Printer(), "the printer at " + PrinterAddressOfUri(job->Printer()) +
                                        " broke off the transfer after " +
                                        std::to_string(write.done) + " bytes");
        return false;
    }
    *written = write.done;
    return true;
}

bool IppDeviceSpooler::EndPagePrinter(PrinterHandle handle) {
    const IppJob* job = m_open.Find(handle);
    return job != nullptr && job->DocumentOpen();
}

bool IppDeviceSpooler::EndDocPrinter(PrinterHandle handle) {
    IppJob* job = m_open.Find(handle);
    if (job == nullptr || !job->DocumentOpen()) {
        // A cut-off document gets no end: the printer would print what it had.
        return false;
    }
    std::string message;
    if (!job->Finish(&message)) {
        if (job->AnswerLost()) {
            m_notes.PutAnswerLost(job->Printer(), "the printer at " +
                                                      PrinterAddressOfUri(job->Printer()) +
                                                      " did not answer the end of the document");
        } else {
            m_notes.Put(job->Printer(),
                        job->Stopped() ? StoppedNote(job->Written(), job->Written()) : message);
        }
        return false;
    }
    return true;
}

void IppDeviceSpooler::ClosePrinter(PrinterHandle handle) {
    const std::unique_ptr<IppJob> job = m_open.Take(handle);
    if (job != nullptr) {
        job->CancelUnfinished();
    }
}

}  // namespace tessaline
