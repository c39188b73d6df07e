#include "platform/ipp/ipp_device_links.h"

#include "platform/ipp/ipp_device_connection.h"
#include "platform/ipp/ipp_job_status.h"
#include "platform/ipp/ipp_printer_facts.h"
#include "platform/ipp/last_cups_error.h"
#include "platform/ipp/stop_watch.h"

namespace tessaline {
namespace {

class IppDeviceLink final : public IppLink {
  public:
    explicit IppDeviceLink(std::unique_ptr<IppDeviceConnection> connection)
        : m_connection(std::move(connection)) {}
    IppDeviceLink(const IppDeviceLink&) = delete;
    IppDeviceLink& operator=(const IppDeviceLink&) = delete;

    ~IppDeviceLink() override {
        if (m_info != nullptr) {
            cupsFreeDestInfo(m_info);
        }
    }

    bool ReadFormats(std::vector<std::string>* formats) override {
        m_info = cupsCopyDestInfo(Http(), Dest());
        if (m_info == nullptr) {
            return false;
        }
        ipp_attribute_t* attr = cupsFindDestSupported(Http(), Dest(), m_info, "document-format");
        for (int i = 0; attr != nullptr && i < ippGetCount(attr); ++i) {
            const char* format = ippGetString(attr, i, nullptr);
            if (format != nullptr) {
                formats->emplace_back(format);
            }
        }
        return true;
    }

    ipp_status_t CreateJob(const std::string& title, int* jobId) override {
        const ipp_status_t status =
            cupsCreateDestJob(Http(), Dest(), m_info, jobId, title.c_str(), 0, nullptr);
        return status <= IPP_STATUS_OK_CONFLICTING && *jobId <= 0 ? IPP_STATUS_ERROR_INTERNAL
                                                                  : status;
    }

    ipp_status_t StartDocument(int jobId, const std::string& title,
                               const std::string& format) override {
        if (cupsStartDestDocument(Http(), Dest(), m_info, jobId, title.c_str(), format.c_str(), 0,
                                  nullptr, 1) != HTTP_STATUS_CONTINUE) {
            return LastCupsFailure();
        }
        return IPP_STATUS_OK;
    }

    bool WritePiece(const char* bytes, std::uint32_t length) override {
        return cupsWriteRequestData(Http(), bytes, length) == HTTP_STATUS_CONTINUE &&
               !m_watch.Ended();
    }

    ipp_status_t FinishDocument() override {
        const ipp_status_t status = cupsFinishDestDocument(Http(), Dest(), m_info);
        if (m_watch.Ended()) {
            return IPP_STATUS_ERROR_INTERNAL;
        }
        // libcups then leaves the last status as it was, often successful-ok.
        m_answerLost = httpGetStatus(Http()) == HTTP_STATUS_ERROR;
        return status;
    }
    bool AnswerLost() const override { return m_answerLost; }

    ipp_status_t CancelJob(int jobId) override { return cupsCancelDestJob(Http(), Dest(), jobId); }

    bool AskFacts(PrinterFacts* facts) override {
        return AskPrinterFacts(Http(), m_connection->Uri(), m_connection->Resource(), facts);
    }

    JobStatus JobAttributes(int jobId) override {
        return AskJobStatus(Http(), m_connection->Uri(), m_connection->Resource(), jobId);
    }

    std::string LastError() const override { return LastCupsError(); }

    void WatchStop(const StopSignal* stop) override { m_watch.Watch(Http(), stop); }
    void Abandon() override { AbandonConnection(Http()); }

  private:
    http_t* Http() const { return m_connection->Http(); }
    cups_dest_t* Dest() const { return m_connection->Dest(); }

    std::unique_ptr<IppDeviceConnection> m_connection;
    cups_dinfo_t* m_info = nullptr;
    HttpStopWatch m_watch;
    bool m_answerLost = false;
};

}  // namespace

std::unique_ptr<IppLink> IppDeviceLinks::Connect(const std::string& uri, std::string* problem) {
    auto connection = std::make_unique<IppDeviceConnection>(uri, m_ends);
    if (connection->Http() == nullptr) {
        *problem = connection->Problem();
        return nullptr;
    }
    return std::make_unique<IppDeviceLink>(std::move(connection));
}

}  // namespace tessaline
