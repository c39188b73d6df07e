#include "platform/cups/cups_connection.h"

namespace tessaline {
namespace {

// Long enough for a busy scheduler, short enough that a dead server does not hang a script.
constexpr int kConnectTimeoutMs = 30000;

}  // namespace

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
