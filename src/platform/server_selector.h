#pragma once

#include <string>

namespace tessaline {

// The print server the spooler and the printer list talk to (--server HOST[:PORT]).
class ServerSelector {
  public:
    virtual ~ServerSelector() = default;
    // Called before any printer is listed or opened. False: the name cannot be used, and *err
    // says why in one line.
    virtual bool UseServer(const std::string& hostPort, std::string* err) = 0;
};

}  // namespace tessaline
