#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/spooler.h"

namespace tessaline {

// One document the fake spooler accepted, with what was written into it.
struct FakeSpoolJob {
    std::string printer;
    std::string docName;
    std::string outputFile;  // "null" when the record held a null pointer
    std::string datatype;
    std::string bytes;  // every byte handed to WritePrinter, also beyond a short write's count
    std::uint32_t written = 0;
    int pagesStarted = 0;
    int pagesEnded = 0;
    bool ended = false;
};

// A recording spooler. Every call is logged in order as text, e.g.
//   "Open(Laser 1)", "StartDoc(My Document,null,XPS_PASS)", "StartPage", "Write(17)",
//   "EndPage", "EndDoc", "Close"
// and any stage can be told to fail. With log set, each call is also appended there, so one
// sequence can show the spooler's calls among other fakes' calls. Handle misuse (a call on a handle
// that was never opened or is already closed) is collected in handleErrors, so a test needs only
// AllHandlesClosedOnce() and handleErrors.empty() to catch leaks and double closes.
class FakeSpooler : public Spooler {
  public:
    // Fault injection.
    bool failOpen = false;
    std::set<std::string> unknownPrinters;   // OpenPrinter fails for these names only
    std::set<int> failOpenAt;                // 0-based indexes of the OpenPrinter calls that fail
    std::set<std::string> refusedDatatypes;  // StartDocPrinter fails for these datatypes
    bool failStartPage = false;
    bool failWrite = false;
    bool failEndPage = false;
    bool failEndDoc = false;
    bool shortWrite = false;  // WritePrinter succeeds but reports shortWriteCount taken
    std::uint32_t shortWriteCount = 0;

    // What happened.
    std::vector<std::string> calls;
    std::vector<std::string>* log = nullptr;
    std::vector<FakeSpoolJob> jobs;
    std::vector<std::string> handleErrors;
    std::map<PrinterHandle, int> closeCounts;   // every opened handle, with its ClosePrinter count
    std::map<PrinterHandle, int> endDocCounts;  // per handle, EndDocPrinter calls after a start

    bool OpenPrinter(const char* printerName, PrinterHandle* handle) override {
        const std::string name = printerName ? printerName : "(null)";
        const int index = m_openCalls++;
        Record("Open(" + name + ")");
        if (failOpen || unknownPrinters.count(name) != 0 || failOpenAt.count(index) != 0) {
            return false;
        }
        *handle = m_nextHandle++;
        closeCounts[*handle] = 0;
        m_printers[*handle] = name;
        return true;
    }

    // Job ids count up from firstJobId, one per accepted document.
    std::uint32_t firstJobId = 1;

    std::uint32_t StartDocPrinter(PrinterHandle handle, const DocInfo1& doc) override {
        const std::string docName = doc.docName ? doc.docName : "null";
        const std::string output = doc.outputFile ? doc.outputFile : "null";
        const std::string datatype = doc.datatype ? doc.datatype : "null";
        Record("StartDoc(" + docName + "," + output + "," + datatype + ")");
        if (!CheckOpen(handle, "StartDoc") || refusedDatatypes.count(datatype) != 0) {
            return 0;
        }
        if (m_openJob.count(handle) != 0) {
            handleErrors.push_back("StartDoc while a document is open");
        }
        FakeSpoolJob job;
        job.printer = m_printers[handle];
        job.docName = docName;
        job.outputFile = output;
        job.datatype = datatype;
        jobs.push_back(job);
        m_openJob[handle] = jobs.size() - 1;
        endDocCounts[handle] = 0;
        return firstJobId + static_cast<std::uint32_t>(jobs.size() - 1);
    }

    bool StartPagePrinter(PrinterHandle handle) override {
        Record("StartPage");
        FakeSpoolJob* job = OpenJob(handle, "StartPage");
        if (job == nullptr || failStartPage) {
            return false;
        }
        ++job->pagesStarted;
        return true;
    }

    bool WritePrinter(PrinterHandle handle, const void* bytes, std::uint32_t length,
                      std::uint32_t* written) override {
        Record("Write(" + std::to_string(length) + ")");
        FakeSpoolJob* job = OpenJob(handle, "Write");
        if (job == nullptr || failWrite) {
            return false;
        }
        if (length > 0) {
            job->bytes.append(static_cast<const char*>(bytes), length);
        }
        *written = shortWrite ? shortWriteCount : length;
        job->written += *written;
        return true;
    }

    bool EndPagePrinter(PrinterHandle handle) override {
        Record("EndPage");
        FakeSpoolJob* job = OpenJob(handle, "EndPage");
        if (job != nullptr) {
            ++job->pagesEnded;
        }
        return job != nullptr && !failEndPage;
    }

    bool EndDocPrinter(PrinterHandle handle) override {
        Record("EndDoc");
        FakeSpoolJob* job = OpenJob(handle, "EndDoc");
        if (job == nullptr) {
            return false;
        }
        // The document is over even when the spooler reports failure.
        job->ended = true;
        ++endDocCounts[handle];
        m_openJob.erase(handle);
        return !failEndDoc;
    }

    void ClosePrinter(PrinterHandle handle) override {
        Record("Close");
        auto it = closeCounts.find(handle);
        if (it == closeCounts.end()) {
            handleErrors.push_back("Close of a handle never opened");
            return;
        }
        if (++it->second > 1) {
            handleErrors.push_back("Close of a closed handle");
        }
        m_openJob.erase(handle);
    }

    // Every handle OpenPrinter gave out was closed exactly once.
    bool AllHandlesClosedOnce() const {
        for (const auto& entry : closeCounts) {
            if (entry.second != 1) {
                return false;
            }
        }
        return true;
    }

    // Every started document was ended exactly once.
    bool AllDocsEndedOnce() const {
        for (const auto& entry : endDocCounts) {
            if (entry.second != 1) {
                return false;
            }
        }
        return true;
    }

    int OpenCount() const { return static_cast<int>(closeCounts.size()); }

  private:
    void Record(const std::string& call) {
        calls.push_back(call);
        if (log != nullptr) {
            log->push_back(call);
        }
    }

    bool CheckOpen(PrinterHandle handle, const char* call) {
        auto it = closeCounts.find(handle);
        if (it == closeCounts.end() || it->second != 0) {
            handleErrors.push_back(std::string(call) + " on a handle that is not open");
            return false;
        }
        return true;
    }

    FakeSpoolJob* OpenJob(PrinterHandle handle, const char* call) {
        if (!CheckOpen(handle, call)) {
            return nullptr;
        }
        auto it = m_openJob.find(handle);
        if (it == m_openJob.end()) {
            handleErrors.push_back(std::string(call) + " without a started document");
            return nullptr;
        }
        return &jobs[it->second];
    }

    int m_openCalls = 0;
    PrinterHandle m_nextHandle = 0x100;
    std::map<PrinterHandle, std::string> m_printers;
    std::map<PrinterHandle, std::size_t> m_openJob;
};

}  // namespace tessaline
