#pragma once

#include <cups/cups.h>

#include "platform/connection_ends.h"

namespace tessaline {

// One connection to the CUPS scheduler that cupsServer() names: CUPS_SERVER, then the user's
// and the system's client.conf, then the local default; or what cupsSetServer() chose for
// --server. The destructor closes it.
class CupsConnection {
  public:
    // Connects at once; Get() is null when the scheduler cannot be reached. ends, when not
    // null, is told as the connection closes.
    explicit CupsConnection(ConnectionEnds* ends = nullptr);
    CupsConnection(const CupsConnection&) = delete;
    CupsConnection& operator=(const CupsConnection&) = delete;
    ~CupsConnection();

    http_t* Get() const { return m_http; }

  private:
    void Close();

    ConnectionEnds* m_ends;
    http_t* m_http;
};

}  // namespace tessaline
