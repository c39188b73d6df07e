#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <cups/cups.h>

#include "platform/connection_ends.h"
#include "platform/job_monitor.h"
#include "platform/printer_facts.h"
#include "platform/stop_signal.h"

namespace tessaline {

// One connection to one printer reached by its address: the few IPP operations a job needs.
// Destroying it closes the connection. A document is one request: after StartDocument succeeded,
// only WritePiece may follow until FinishDocument; a link whose write failed is in mid-request
// and can carry nothing more (a new link must carry a cancel).
class IppLink {
  public:
    virtual ~IppLink() = default;

    // The printer's document-format-supported into *formats; false when it does not say.
    virtual bool ReadFormats(std::vector<std::string>* formats) = 0;
    // Create-Job; *jobId is the printer's id when the answer is successful.
    virtual ipp_status_t CreateJob(const std::string& title, int* jobId) = 0;
    // Send-Document with the data to follow; IPP_STATUS_OK when the data may be written.
    virtual ipp_status_t StartDocument(int jobId, const std::string& title,
                                       const std::string& format) = 0;
    // False when the connection did not take all of the bytes, or a stop ended the wait.
    virtual bool WritePiece(const char* bytes, std::uint32_t length) = 0;
    // Ends the document's data and reads the printer's answer to it.
    virtual ipp_status_t FinishDocument() = 0;
    // True when the connection ended before any answer to the last FinishDocument came (its
    // status then says nothing): the printer may have taken the whole document, or not.
    virtual bool AnswerLost() const = 0;
    virtual ipp_status_t CancelJob(int jobId) = 0;
    // Get-Printer-Attributes: what the printer says of itself (make and model, firmware, state,
    // up time) into *facts; false when it gave no answer.
    virtual bool AskFacts(PrinterFacts* facts) = 0;
    // Get-Job-Attributes; Unknown whatever cannot be asked or read.
    virtual JobStatus JobAttributes(int jobId) = 0;
    // The printer's or the library's words for the last failed call.
    virtual std::string LastError() const = 0;
    // From now on, a call waiting on the network is ended (and fails) once stop is requested;
    // null waits as long as the network does.
    virtual void WatchStop(const StopSignal* stop) = 0;
    // Makes the close that follows drop what the connection has not yet sent, so a document
    // cut off in mid-request does not go on reaching the printer, end included, from the
    // system's buffers.
    virtual void Abandon() = 0;
};

// Opens links. Calls may come from several threads at once.
class IppLinks {
  public:
    virtual ~IppLinks() = default;
    // Null with *problem saying why in one line when the printer cannot be reached.
    virtual std::unique_ptr<IppLink> Connect(const std::string& uri, std::string* problem) = 0;
};

}  // namespace tessaline
