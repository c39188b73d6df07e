#include "platform/cups/cups_connection.h"

#include "platform/ipp/connect_timeout.h"

namespace tessaline {

CupsConnection::CupsConnection()
    : m_http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                          kConnectTimeoutMs, nullptr)) {
    // --encrypt: nothing goes to a server in clear. A local socket never leaves the machine.
    if (m_http != nullptr && cupsEncryption() == HTTP_ENCRYPTION_REQUIRED &&
        cupsServer()[0] != '/' && !httpIsEncrypted(m_http)) {
        httpClose(m_http);
        m_http = nullptr;
    }
}

CupsConnection::~CupsConnection() {
    if (m_http != nullptr) {
        httpClose(m_http);
    }
}

}  // namespace tessaline
