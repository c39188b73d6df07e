#pragma once

#include <string>

namespace tessaline {

// What a spooler learned about one printer's job that its stage cannot say: a document format
// the printer does not take (and the ones it does), a printer that could not be reached (with
// its address), a password refused over a plain connection. One line, no printer name in it.
class PrinterNotes {
  public:
    virtual ~PrinterNotes() = default;
    // The note of the last job on printer, and forgets it; empty when there is none.
    virtual std::string TakeNote(const std::string& printer) = 0;
    // True when the document of the last job on printer went out whole but the printer never
    // answered its end (it may have restarted to apply it); forgets it.
    virtual bool TakeAnswerLost(const std::string& printer) = 0;
};

// Bytes with no format named: what an upgrade file is sent as unless told otherwise.
inline constexpr char kRawDocumentFormat[] = "application/octet-stream";

// The document format a printer reached by its address is sent (queues take raw documents
// whatever this says). Set before the first job.
class DocumentFormatChoice {
  public:
    virtual ~DocumentFormatChoice() = default;
    virtual void UseDocumentFormat(const std::string& mimeType) = 0;
};

}  // namespace tessaline
