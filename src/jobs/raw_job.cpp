#include "jobs/raw_job.h"

namespace tessaline {
namespace {

void Tell(NoticeReceiver* notices, Notice notice) {
    if (notices != nullptr) {
        notices->OnNotice(notice);
    }
}

// Ends what the job has started when an exception leaves SubmitRawJob (a notice receiver's box
// can run out of memory while a document is open). The ordinary paths keep their explicit
// ladder, whose order is the point; each step is marked taken before its call, so neither
// path ever makes a call twice.
class JobUnwinder {
  public:
    JobUnwinder(Spooler& spooler, PrinterHandle handle) : m_spooler(spooler), m_handle(handle) {}
    JobUnwinder(const JobUnwinder&) = delete;
    JobUnwinder& operator=(const JobUnwinder&) = delete;

    ~JobUnwinder() {
        // Only reached with steps left on the way out of an exception, which is already
        // travelling: a second one from a clean-up call would end the program, so it is dropped
        // and the remaining steps are still taken.
        if (m_pageOpen) {
            Quietly([this] { m_spooler.EndPagePrinter(m_handle); });
        }
        if (m_docOpen) {
            Quietly([this] { m_spooler.EndDocPrinter(m_handle); });
        }
        if (m_printerOpen) {
            Quietly([this] { m_spooler.ClosePrinter(m_handle); });
        }
    }

    void DocStarted() { m_docOpen = true; }
    void PageStarted() { m_pageOpen = true; }

    bool EndPage() {
        m_pageOpen = false;
        return m_spooler.EndPagePrinter(m_handle);
    }
    bool EndDoc() {
        m_docOpen = false;
        return m_spooler.EndDocPrinter(m_handle);
    }
    void Close() {
        m_printerOpen = false;
        m_spooler.ClosePrinter(m_handle);
    }

  private:
    template <typename Step>
    static void Quietly(Step step) noexcept {
        try {
            step();
        } catch (...) {  // see the destructor
        }
    }

    Spooler& m_spooler;
    PrinterHandle m_handle;
    bool m_printerOpen = true;
    bool m_docOpen = false;
    bool m_pageOpen = false;
};

}  // namespace

RawJobResult SubmitRawJob(Spooler& spooler, const PrinterName& printer, const void* bytes,
                          std::uint32_t length, NoticeReceiver* notices) {
    RawJobResult result;
    PrinterHandle handle = 0;
    if (!spooler.OpenPrinter(printer.c_str(), &handle)) {
        result.stage = RawJobStage::OpenFailed;
        return result;
    }
    JobUnwinder job(spooler, handle);
    if (notices != nullptr) {
        notices->OnPrinterOpened();
    }

    DocInfo1 doc{kRawJobDocumentName, nullptr, kDatatypeXpsPass};
    result.jobId = spooler.StartDocPrinter(handle, doc);
    if (result.jobId != 0) {
        job.DocStarted();
        Tell(notices, Notice::XpsPassAccepted);
    } else {
        Tell(notices, Notice::XpsPassRefused);
        doc.datatype = kDatatypeRaw;
        result.jobId = spooler.StartDocPrinter(handle, doc);
        if (result.jobId == 0) {
            Tell(notices, Notice::RawRefused);
            job.Close();
            result.stage = RawJobStage::StartDocFailed;
            return result;
        }
        job.DocStarted();
    }
    result.datatype = doc.datatype;

    if (!spooler.StartPagePrinter(handle)) {
        job.EndDoc();
        job.Close();
        result.stage = RawJobStage::StartPageFailed;
        return result;
    }
    job.PageStarted();

    std::uint32_t written = 0;
    if (!spooler.WritePrinter(handle, bytes, length, &written)) {
        job.EndPage();
        job.EndDoc();
        job.Close();
        result.stage = RawJobStage::WriteFailed;
        return result;
    }

    if (!job.EndPage()) {
        job.EndDoc();
        job.Close();
        result.stage = RawJobStage::EndPageFailed;
        return result;
    }

    if (!job.EndDoc()) {
        job.Close();
        result.stage = RawJobStage::EndDocFailed;
        return result;
    }

    job.Close();
    result.stage = RawJobStage::Completed;
    result.written = written;
    return result;
}

}  // namespace tessaline
