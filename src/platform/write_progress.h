#pragma once

#include <cstdint>

namespace tessaline {

// Told how far the single write of a job has gone. Called on the thread that writes.
class WriteProgress {
  public:
    virtual ~WriteProgress() = default;
    virtual void OnWritten(std::uint64_t done, std::uint64_t total) = 0;
};

// A spooler whose write can be watched while it goes out (one that writes in pieces).
class WriteProgressSource {
  public:
    virtual ~WriteProgressSource() = default;
    // sink stays valid until it is replaced; null stops the reports.
    virtual void SetWriteProgress(WriteProgress* sink) = 0;
};

}  // namespace tessaline
