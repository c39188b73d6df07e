#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ipp/ipp_device_rules.h"
#include "platform/ipp/ipp_link.h"

namespace tessaline {

// A stop signal a test, or a fake, sets.
class FakeStop final : public StopSignal {
  public:
    bool requested = false;
    bool StopRequested() const override { return requested; }
};

// One printer behind links that record every call, in order, into calls:
//   "Connect", "Formats", "CreateJob(My Document)", "StartDocument(7,FORMAT)", "Write(N)",
//   "Finish", "Cancel(7)", "AskFacts", "JobAttributes(7)", "Abandon", "Close"
// and that can be told to fail at any call. Like libcups, LastError() is that of the last call
// on any link ("successful-ok" after one that succeeded). A call a real connection could not
// carry (anything but a write or the finish while a document is open, anything after a broken
// write) fails and is kept in misuse.
class FakeIppLinks final : public IppLinks {
  public:
    // Faults, by call name ("Connect", "Formats", "CreateJob", "StartDocument", "Write",
    // "Finish", "Cancel", "AskFacts", "JobAttributes") and 0-based occurrence; -1 fails every
    // one.
    std::map<std::string, std::set<int>> failAt;
    std::map<std::string, int> busyFirst;  // this many first calls answer server-error-busy
    bool refuseAtFinish = false;           // the document's end is refused for its format
    // The connection ends before the document's end is answered, with libcups' last status
    // left at successful-ok.
    bool dropAtFinish = false;
    std::uint64_t breakAfterBytes = std::numeric_limits<std::uint64_t>::max();
    std::vector<std::string> formats{"application/octet-stream"};
    JobStatus status;
    PrinterFacts facts;  // what AskFacts answers
    // Stops: stopAfter asks stop once that call ("Write", 0) has succeeded; stopDuringWrite
    // asks it inside that write, which then fails, half taken, if its link watches stop.
    FakeStop* stop = nullptr;
    std::pair<std::string, int> stopAfter{"", -1};
    int stopDuringWrite = -1;
    // Asks stop while the document's end waits for its answer; a watching link then fails it,
    // leaving lastError as it was (libcups sets none).
    bool stopDuringFinish = false;

    std::vector<std::string> calls;
    std::vector<std::string> misuse;
    std::string lastError;
    std::uint64_t bytesTaken = 0;
    int nextJobId = 7;

    std::unique_ptr<IppLink> Connect(const std::string& uri, std::string* problem) override;

    // The next answer to name, counting the call; busy and failure set lastError.
    ipp_status_t Answer(const std::string& name) {
        const int index = m_counts[name]++;
        const auto fail = failAt.find(name);
        const auto busy = busyFirst.find(name);
        if (busy != busyFirst.end() && index < busy->second) {
            lastError = "server-error-busy";
            return IPP_STATUS_ERROR_BUSY;
        }
        if (fail != failAt.end() && (fail->second.count(index) != 0 || fail->second.count(-1))) {
            lastError = name + " failed";
            return IPP_STATUS_ERROR_NOT_POSSIBLE;
        }
        lastError = "successful-ok";
        return IPP_STATUS_OK;
    }

    void AfterSuccess(const std::string& name) {
        if (stop != nullptr && stopAfter.first == name && stopAfter.second == m_counts[name] - 1) {
            stop->requested = true;
        }
    }

  private:
    std::map<std::string, int> m_counts;
};

class FakeIppLink final : public IppLink {
  public:
    explicit FakeIppLink(FakeIppLinks& links) : m_links(links) {}
    ~FakeIppLink() override { m_links.calls.push_back("Close"); }

    bool ReadFormats(std::vector<std::string>* formats) override {
        if (!Usable("Formats") || Failed("Formats")) {
            return false;
        }
        *formats = m_links.formats;
        return true;
    }
    ipp_status_t CreateJob(const std::string& title, int* jobId) override {
        const ipp_status_t status =
            Usable("CreateJob(" + title + ")") ? Answer("CreateJob") : IPP_STATUS_ERROR_INTERNAL;
        if (status == IPP_STATUS_OK) {
            *jobId = m_links.nextJobId++;
        }
        return status;
    }
    ipp_status_t StartDocument(int jobId, const std::string&, const std::string& format) override {
        const std::string call = "StartDocument(" + std::to_string(jobId) + "," + format + ")";
        const ipp_status_t status =
            Usable(call) ? Answer("StartDocument") : IPP_STATUS_ERROR_INTERNAL;
        m_midRequest = status == IPP_STATUS_OK;
        return status;
    }
    bool WritePiece(const char* bytes, std::uint32_t length) override;
    ipp_status_t FinishDocument() override {
        m_links.calls.push_back("Finish");
        if (m_broken || !m_midRequest) {
            m_links.misuse.push_back("Finish with no document open");
            return IPP_STATUS_ERROR_INTERNAL;
        }
        m_midRequest = false;
        if (m_links.stopDuringFinish && m_links.stop != nullptr) {
            m_links.stop->requested = true;
            if (m_watched == m_links.stop) {
                m_broken = true;
                return IPP_STATUS_ERROR_INTERNAL;
            }
        }
        if (m_links.dropAtFinish) {
            m_answerLost = true;
            m_broken = true;
            return IPP_STATUS_OK;
        }
        const ipp_status_t status = Answer("Finish");
        if (status == IPP_STATUS_OK && m_links.refuseAtFinish) {
            m_links.lastError = "Unsupported format";
            return IPP_STATUS_ERROR_DOCUMENT_FORMAT_NOT_SUPPORTED;
        }
        return status;
    }
    ipp_status_t CancelJob(int jobId) override {
        return Usable("Cancel(" + std::to_string(jobId) + ")") ? Answer("Cancel")
                                                               : IPP_STATUS_ERROR_INTERNAL;
    }
    bool AskFacts(PrinterFacts* facts) override {
        const bool ok = Usable("AskFacts") && !Failed("AskFacts");
        if (ok) {
            *facts = m_links.facts;
        }
        return ok;
    }
    JobStatus JobAttributes(int jobId) override {
        const bool ok =
            Usable("JobAttributes(" + std::to_string(jobId) + ")") && !Failed("JobAttributes");
        return ok ? m_links.status : JobStatus();
    }
    bool AnswerLost() const override { return m_answerLost; }
    std::string LastError() const override { return m_links.lastError; }
    void WatchStop(const StopSignal* stop) override { m_watched = stop; }
    void Abandon() override { m_links.calls.push_back("Abandon"); }

  private:
    // Logs call; false, kept as misuse, when this connection could not carry it.
    bool Usable(const std::string& call) {
        m_links.calls.push_back(call);
        if (m_midRequest || m_broken) {
            m_links.misuse.push_back(call + (m_broken ? " after a broken write" : " mid-request"));
            return false;
        }
        return true;
    }
    bool Failed(const std::string& name) { return Answer(name) != IPP_STATUS_OK; }
    ipp_status_t Answer(const std::string& name) {
        const ipp_status_t status = m_links.Answer(name);
        if (status == IPP_STATUS_OK) {
            m_links.AfterSuccess(name);
        }
        return status;
    }

    FakeIppLinks& m_links;
    const StopSignal* m_watched = nullptr;
    bool m_midRequest = false;
    bool m_broken = false;
    bool m_answerLost = false;
    int m_writes = 0;
};

inline bool FakeIppLink::WritePiece(const char*, std::uint32_t length) {
    m_links.calls.push_back("Write(" + std::to_string(length) + ")");
    if (m_broken || !m_midRequest) {
        m_links.misuse.push_back("Write with no document open");
        return false;
    }
    const int index = m_writes++;
    if (index == m_links.stopDuringWrite && m_links.stop != nullptr) {
        m_links.stop->requested = true;
        if (m_watched == m_links.stop) {
            m_links.bytesTaken += length / 2;
            m_broken = true;
            return false;
        }
    }
    const bool failed = m_links.Answer("Write") != IPP_STATUS_OK;
    if (failed || m_links.bytesTaken + length > m_links.breakAfterBytes) {
        m_links.bytesTaken = failed ? m_links.bytesTaken : m_links.breakAfterBytes;
        m_broken = true;
        return false;
    }
    m_links.bytesTaken += length;
    m_links.AfterSuccess("Write");
    return true;
}

inline std::unique_ptr<IppLink> FakeIppLinks::Connect(const std::string& uri,
                                                      std::string* problem) {
    calls.push_back("Connect");
    if (Answer("Connect") != IPP_STATUS_OK) {
        *problem = UnreachableNote(PrinterAddressOfUri(uri));
        return nullptr;
    }
    return std::make_unique<FakeIppLink>(*this);
}

}  // namespace tessaline
