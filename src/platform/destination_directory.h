#pragma once

#include <string>
#include <vector>

namespace tessaline {

// One destination as the print server describes it, for `printers --json`.
struct DestinationDetail {
    std::string name;
    std::string deviceUri;  // empty when the server does not say
    std::string state;      // "idle", "processing" or "stopped"; empty when unknown
    std::vector<std::string> stateReasons;
};

// The print server's destinations with their device and state. False when the server could not
// be asked; an empty list is a server with no destinations.
class DestinationDirectory {
  public:
    virtual ~DestinationDirectory() = default;
    virtual bool Destinations(std::vector<DestinationDetail>* destinations) = 0;
};

}  // namespace tessaline
