#include "platform/ipp/ipp_device_connection.h"

#include "platform/ipp/ipp_device_rules.h"
#include "platform/ipp/connect_timeout.h"

namespace tessaline {

std::string NoTlsNote(const std::string& address) {
    return "the printer at " + address +
           " offers no encrypted connection, and --encrypt forbids a plain one";
}

IppDeviceConnection::IppDeviceConnection(const std::string& uri, ConnectionEnds* ends)
    : m_uri(uri), m_ends(ends) {
    m_dest = cupsGetDestWithURI(nullptr, uri.c_str());
    Connect();
}

IppDeviceConnection::~IppDeviceConnection() {
    Disconnect();
    if (m_dest != nullptr) {
        cupsFreeDests(1, m_dest);
    }
}

void IppDeviceConnection::Disconnect() {
    if (m_http != nullptr) {
        if (m_ends != nullptr) {
            m_ends->Closed(m_http);
        }
        httpClose(m_http);
        m_http = nullptr;
    }
}

void IppDeviceConnection::Connect() {
    const std::string address = PrinterAddressOfUri(m_uri);
    if (m_dest == nullptr) {
        m_problem = UnreachableNote(address);
        return;
    }
    char resource[1024];
    m_http = cupsConnectDest(m_dest, CUPS_DEST_FLAGS_DEVICE, kConnectTimeoutMs, nullptr, resource,
                             sizeof resource, nullptr, nullptr);
    // A printer that does not answer may still leave a connection object, with no socket.
    if (m_http == nullptr || httpGetFd(m_http) < 0) {
        Disconnect();
        m_problem = UnreachableNote(address);
        return;
    }
    if (cupsEncryption() == HTTP_ENCRYPTION_REQUIRED && !httpIsEncrypted(m_http)) {
        // An HTTP upgrade to TLS on the open connection; nothing has been sent on it yet.
        if (httpEncryption(m_http, HTTP_ENCRYPTION_REQUIRED) != 0 || !httpIsEncrypted(m_http)) {
            Disconnect();
            m_problem = NoTlsNote(address);
            return;
        }
    }
    m_problem.clear();
    m_resource = resource;
}

}  // namespace tessaline
