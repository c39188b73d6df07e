#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ipp/ipp_link.h"
#include "platform/ipp/piece_writer.h"

namespace tessaline {

// One opened printer or queue: its link and, once made, its one job. Destroying it closes the link
// and nothing more: whoever closes it calls CancelUnfinished() first, since a printer holding a
// half-made job answers busy to everyone.
class IppJob {
  public:
    IppJob(IppLinks& links, std::string printer, std::unique_ptr<IppLink> link);
    IppJob(const IppJob&) = delete;
    IppJob& operator=(const IppJob&) = delete;

    // Reads the printer's document formats into Formats(); false when it does not say, with
    // its words in *message.
    bool ReadFormats(std::string* message);
    const std::vector<std::string>& Formats() const { return m_formats; }

    // One try at the job: creates it and starts its document, whose waits then end on stop (may
    // be null). A job whose document did not start is cancelled at once, so the next try starts
    // clean; *message then holds the printer's words for the refusal.
    ipp_status_t CreateAndStart(const std::string& title, const std::string& format,
                                const StopSignal* stop, std::string* message);
    // Writes the document's data; anything short of Whole cuts the document off for good.
    PieceWrite Write(const void* bytes, std::uint32_t length, const StopSignal* stop,
                     WriteProgress* progress);
    // Ends the document; false with the printer's words in *message when it refuses it. A stop
    // that ends the wait for the answer cuts the document off instead (Stopped() then says so).
    bool Finish(std::string* message);
    // After a failed Finish: the connection ended before the printer answered, as it does for a
    // printer that restarts to apply what it took.
    bool AnswerLost() const { return m_answerLost; }
    // Whether the stop watched since the document's start has been requested.
    bool Stopped() const { return m_stop != nullptr && m_stop->StopRequested(); }
    // Cancels the job unless its document ended. A document cut off in mid-request holds its
    // connection, so a new one carries the cancel, and the cut one is then reset (what it had
    // not sent is dropped); otherwise a new one is tried only when the first cancel fails.
    void CancelUnfinished();

    const std::string& Printer() const { return m_printer; }
    int JobId() const { return m_jobId; }
    // The bytes of the document the link took.
    std::uint32_t Written() const { return m_written; }
    bool DocumentOpen() const { return m_document == Document::Open; }

  private:
    enum class Document { None, Open, CutOff, Ended, Refused };
    bool Reconnect();
    bool Cancel();

    IppLinks& m_links;
    std::string m_printer;
    std::unique_ptr<IppLink> m_link;
    std::vector<std::string> m_formats;
    std::string m_problem;  // why a new link could not be made
    const StopSignal* m_stop = nullptr;
    int m_jobId = 0;
    std::uint32_t m_written = 0;
    Document m_document = Document::None;
    bool m_answerLost = false;
};

}  // namespace tessaline
