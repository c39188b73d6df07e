#pragma once

#include "platform/server_selector.h"
#include "platform/connection_ends.h"

namespace tessaline {

// --server for CUPS: the scheduler every later connection of this process goes to, in place
// of CUPS_SERVER and client.conf. Takes HOST, HOST:PORT, [IPv6]:PORT or a socket path.
class CupsServerSelector final : public ServerSelector {
  public:
    // ends, when not null, is told as each connection it made closes.
    explicit CupsServerSelector(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    bool UseServer(const std::string& hostPort, std::string* err) override;
    std::string UnreachableServer() override;
    // libcups keeps the server per thread: a thread that prints uses the one given too.
    void ApplyToThisThread() const;

  private:
    ConnectionEnds* m_ends;
    std::string m_server;  // set by UseServer, before any other thread starts; empty: libcups'
};

// How a server is named to the user: a socket path as it is, a host with its port.
std::string ServerAddress(const std::string& server, int port);

// Empty when hostPort names a server in a form CUPS takes, else why not, in one line.
std::string CheckServerName(const std::string& hostPort);

}  // namespace tessaline
