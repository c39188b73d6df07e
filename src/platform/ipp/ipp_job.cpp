#include "platform/ipp/ipp_job.h"

namespace tessaline {

IppJob::IppJob(IppLinks& links, std::string printer, std::unique_ptr<IppLink> link)
    : m_links(links), m_printer(std::move(printer)), m_link(std::move(link)) {}

bool IppJob::ReadFormats(std::string* message) {
    if (!m_link->ReadFormats(&m_formats)) {
        *message = m_link->LastError();
        return false;
    }
    return true;
}

ipp_status_t IppJob::CreateAndStart(const std::string& title, const std::string& format,
                                    const StopSignal* stop, std::string* message) {
    if (m_link == nullptr) {
        // The link was lost cancelling the last try's job.
        *message = m_problem;
        return IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
    }
    int jobId = 0;
    const ipp_status_t created = m_link->CreateJob(title, &jobId);
    if (created > IPP_STATUS_OK_CONFLICTING) {
        *message = m_link->LastError();
        return created;
    }
    m_jobId = jobId;
    const ipp_status_t started = m_link->StartDocument(jobId, title, format);
    if (started != IPP_STATUS_OK) {
        // Taken before the cancel, whose own answer replaces the library's last words.
        *message = m_link->LastError();
        CancelUnfinished();
        return started;
    }
    m_document = Document::Open;
    m_stop = stop;
    m_link->WatchStop(stop);
    return IPP_STATUS_OK;
}

PieceWrite IppJob::Write(const void* bytes, std::uint32_t length, const StopSignal* stop,
                         WriteProgress* progress) {
    IppLink& link = *m_link;
    const PieceWrite write = WriteInPieces(
        [&link](const char* piece, std::uint32_t size) { return link.WritePiece(piece, size); },
        bytes, length, stop, progress);
    m_written = write.done;
    if (write.outcome != PieceWrite::Outcome::Whole) {
        m_document = Document::CutOff;
    }
    return write;
}

bool IppJob::Finish(std::string* message) {
    const ipp_status_t status = m_link->FinishDocument();
    if (!Stopped() && m_link->AnswerLost()) {
        // The connection is gone: a cancel needs a new one.
        m_answerLost = true;
        m_document = Document::CutOff;
        return false;
    }
    if (status > IPP_STATUS_OK_CONFLICTING) {
        // Ended by a stop, the link still waits for the answer: only a new one can cancel.
        m_document = Stopped() ? Document::CutOff : Document::Refused;
        *message = m_link->LastError();
        return false;
    }
    m_document = Document::Ended;
    return true;
}

void IppJob::CancelUnfinished() {
    if (m_jobId == 0 || m_document == Document::Ended) {
        return;
    }
    if (m_document == Document::Open || m_document == Document::CutOff) {
        // The cut connection is dropped only once the cancel has gone over a new one: a printer
        // that saw its document stop first might print what it had.
        const std::unique_ptr<IppLink> cut = std::move(m_link);
        cut->Abandon();
        if (Reconnect()) {
            Cancel();
        }
    } else if (!Cancel() && Reconnect()) {
        Cancel();
    }
    m_jobId = 0;
    m_document = Document::None;
}

bool IppJob::Cancel() {
    return m_link->CancelJob(m_jobId) <= IPP_STATUS_OK_CONFLICTING;
}

bool IppJob::Reconnect() {
    m_link.reset();
    m_link = m_links.Connect(m_printer, &m_problem);
    return m_link != nullptr;
}

}  // namespace tessaline
