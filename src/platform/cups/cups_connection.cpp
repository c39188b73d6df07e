#include "platform/cups/cups_connection.h"

#include "platform/ipp/connect_timeout.h"

namespace tessaline {

CupsConnection::CupsConnection(ConnectionEnds* ends)
    : m_ends(ends),
      m_http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                          kConnectTimeoutMs, nullptr)) {
    // --encrypt: nothing goes to a server in clear. A local socket never leaves the machine.
    if (m_http != nullptr && cupsEncryption() == HTTP_ENCRYPTION_REQUIRED &&
        cupsServer()[0] != '/' && !httpIsEncrypted(m_http)) {
        Close();
    }
}

CupsConnection::~CupsConnection() {
    Close();
}

void CupsConnection::Close() {
    if (m_http != nullptr) {
        if (m_ends != nullptr) {
            m_ends->Closed(m_http);
        }
        httpClose(m_http);
        m_http = nullptr;
    }
}

}  // namespace tessaline
