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
    // Empty while the server answers; otherwise its address (HOST:PORT or a socket path), to
    // name it when printers cannot be listed or opened. Each call asks the server again.
    virtual std::string UnreachableServer() { return std::string(); }
};

}  // namespace tessaline
