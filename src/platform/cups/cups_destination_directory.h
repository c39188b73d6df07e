#pragma once

#include <string>
#include <vector>

#include "platform/destination_directory.h"
#include "platform/connection_ends.h"

namespace tessaline {

// The scheduler's destinations (cupsGetDests2) with their device-uri, printer-state and
// printer-state-reasons options.
class CupsDestinationDirectory final : public DestinationDirectory {
  public:
    // ends, when not null, is told as each connection it made closes.
    explicit CupsDestinationDirectory(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    bool Destinations(std::vector<DestinationDetail>* destinations) override;

  private:
    ConnectionEnds* m_ends;
};

// "idle", "processing" or "stopped" for printer-state 3, 4 or 5; empty otherwise.
std::string PrinterStateName(const std::string& ippState);

// printer-state-reasons as the scheduler lists them ("a,b"); "none" and empty items dropped.
std::vector<std::string> SplitStateReasons(const std::string& reasons);

}  // namespace tessaline
