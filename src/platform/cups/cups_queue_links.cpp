#include "platform/cups/cups_queue_links.h"

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_queue.h"
#include "platform/cups/cups_spooler.h"
#include "platform/ipp/ipp_job_status.h"
#include "platform/ipp/last_cups_error.h"
#include "platform/ipp/stop_watch.h"

namespace tessaline {
namespace {

class CupsQueueLink final : public IppLink {
  public:
    CupsQueueLink(std::unique_ptr<CupsConnection> connection, std::string queue)
        : m_connection(std::move(connection)), m_queue(std::move(queue)) {}

    // A queue takes a raw document whatever its printer's formats.
    bool ReadFormats(std::vector<std::string>*) override { return true; }

    ipp_status_t CreateJob(const std::string& title, int* jobId) override {
        *jobId = tessaline::CreateJob(Http(), m_queue, title);
        return *jobId != 0 ? IPP_STATUS_OK : LastCupsFailure();
    }

    ipp_status_t StartDocument(int jobId, const std::string& title,
                               const std::string& format) override {
        return cupsStartDocument(Http(), m_queue.c_str(), jobId, title.c_str(), format.c_str(),
                                 1) == HTTP_STATUS_CONTINUE
                   ? IPP_STATUS_OK
                   : LastCupsFailure();
    }

    bool WritePiece(const char* bytes, std::uint32_t length) override {
        return cupsWriteRequestData(Http(), bytes, length) == HTTP_STATUS_CONTINUE &&
               !m_watch.Ended();
    }

    // The scheduler answers only now whether it took the document (it refuses an empty one,
    // or one whose transfer broke off).
    ipp_status_t FinishDocument() override {
        const ipp_status_t status = cupsFinishDocument(Http(), m_queue.c_str());
        if (m_watch.Ended()) {
            return IPP_STATUS_ERROR_INTERNAL;
        }
        // libcups then leaves the last status as it was, often successful-ok.
        m_answerLost = httpGetStatus(Http()) == HTTP_STATUS_ERROR;
        return status;
    }
    bool AnswerLost() const override { return m_answerLost; }

    ipp_status_t CancelJob(int jobId) override {
        return cupsCancelJob2(Http(), m_queue.c_str(), jobId, 0) != 0 ? IPP_STATUS_OK
                                                                      : LastCupsFailure();
    }

    // A queue's attributes are the server's, not its printer's: never taken for what it runs.
    bool AskFacts(PrinterFacts*) override { return false; }

    JobStatus JobAttributes(int jobId) override {
        return AskJobStatus(Http(), "ipp://localhost/", "/", jobId);
    }

    std::string LastError() const override { return LastCupsError(); }

    void WatchStop(const StopSignal* stop) override { m_watch.Watch(Http(), stop); }
    void Abandon() override { AbandonConnection(Http()); }

  private:
    http_t* Http() const { return m_connection->Get(); }

    std::unique_ptr<CupsConnection> m_connection;
    std::string m_queue;
    HttpStopWatch m_watch;
    bool m_answerLost = false;
};

}  // namespace

std::unique_ptr<IppLink> CupsQueueLinks::Connect(const std::string& destination, std::string*) {
    const std::string queue = QueueOfDestination(destination);
    auto connection = std::make_unique<CupsConnection>(m_ends);
    if (connection->Get() == nullptr || !QueueExists(connection->Get(), queue)) {
        return nullptr;
    }
    return std::make_unique<CupsQueueLink>(std::move(connection), queue);
}

}  // namespace tessaline
