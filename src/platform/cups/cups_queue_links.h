#pragma once

#include "platform/ipp/ipp_link.h"

namespace tessaline {

// Links over libcups to queues of the CUPS scheduler that cupsServer() names, each on a
// connection of its own. A destination "queue/instance" is the queue; one the scheduler does not
// have cannot be connected to. The format of a document is the caller's (the queue route sends
// raw documents).
class CupsQueueLinks final : public IppLinks {
  public:
    // ends, when not null, is told as each connection closes.
    explicit CupsQueueLinks(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    // problem stays empty: a queue route's failure to open speaks for itself.
    std::unique_ptr<IppLink> Connect(const std::string& destination, std::string* problem) override;

  private:
    ConnectionEnds* m_ends;
};

}  // namespace tessaline
