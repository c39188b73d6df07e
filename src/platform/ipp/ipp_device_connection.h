#pragma once

#include <string>

#include <cups/cups.h>

#include "platform/connection_ends.h"

namespace tessaline {

// One connection straight to a printer named by its ipp:// or ipps:// address, with no queue
// between. The destructor closes the connection and frees the destination.
//
// When cupsEncryption() asks for encryption (--encrypt), an ipp:// printer is upgraded to TLS
// before anything is sent, and one that cannot be upgraded is not connected at all: the device
// connection of libcups only encrypts for ipps:// by itself.
class IppDeviceConnection {
  public:
    // Connects at once; Http() is null when the printer cannot be reached, and Problem() then
    // says why in one line.
    // ends, when not null, is told as the connection closes.
    explicit IppDeviceConnection(const std::string& uri, ConnectionEnds* ends = nullptr);
    IppDeviceConnection(const IppDeviceConnection&) = delete;
    IppDeviceConnection& operator=(const IppDeviceConnection&) = delete;
    ~IppDeviceConnection();

    http_t* Http() const { return m_http; }
    cups_dest_t* Dest() const { return m_dest; }
    const std::string& Uri() const { return m_uri; }
    const std::string& Problem() const { return m_problem; }
    // The printer's path on the connection, e.g. /ipp/print.
    const std::string& Resource() const { return m_resource; }

  private:
    void Connect();
    void Disconnect();

    std::string m_uri;
    ConnectionEnds* m_ends;
    cups_dest_t* m_dest = nullptr;
    http_t* m_http = nullptr;
    std::string m_problem;
    std::string m_resource;
};

// "the printer at ADDRESS offers no encrypted connection, and --encrypt forbids a plain one"
std::string NoTlsNote(const std::string& address);

}  // namespace tessaline
