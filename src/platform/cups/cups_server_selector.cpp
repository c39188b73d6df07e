#include "platform/cups/cups_server_selector.h"

#include <cups/cups.h>

#include <algorithm>

#include "platform/cups/cups_connection.h"
#include "base/decimal.h"

namespace tessaline {

std::string CheckServerName(const std::string& hostPort) {
    if (hostPort.empty()) {
        return "the server name is empty";
    }
    if (hostPort.find_first_of(" \t\r\n") != std::string::npos) {
        return "the server name contains white space";
    }
    if (hostPort[0] == '/') {
        return std::string();  // a scheduler's local socket
    }
    std::string port;
    if (hostPort[0] == '[') {
        const std::string::size_type close = hostPort.find(']');
        if (close == std::string::npos || close == 1) {
            return "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT";
        }
        if (close + 1 < hostPort.size()) {
            if (hostPort[close + 1] != ':') {
                return "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT";
            }
            port = hostPort.substr(close + 2);
            if (port.empty()) {
                return "the port is missing after ':'";
            }
        }
    } else {
        const std::string::size_type colon = hostPort.find(':');
        if (colon == 0) {
            return "the host name is missing before ':'";
        }
        if (colon != std::string::npos) {
            port = hostPort.substr(colon + 1);
            if (port.empty()) {
                return "the port is missing after ':'";
            }
        }
    }
    if (!port.empty() && !ParseDecimal(port, 1, 65535)) {
        return "the port must be a number from 1 to 65535";
    }
    return std::string();
}

bool CupsServerSelector::UseServer(const std::string& hostPort, std::string* err) {
    std::string problem = CheckServerName(hostPort);
    if (!problem.empty()) {
        if (err != nullptr) {
            *err = std::move(problem);
        }
        return false;
    }
    // Also sets the port that later connections and job URIs use.
    cupsSetServer(hostPort.c_str());
    m_server = hostPort;
    return true;
}

void CupsServerSelector::ApplyToThisThread() const {
    if (!m_server.empty()) {
        cupsSetServer(m_server.c_str());
    }
}

std::string CupsServerSelector::UnreachableServer() {
    const CupsConnection connection(m_ends);
    if (connection.Get() != nullptr) {
        return std::string();
    }
    return ServerAddress(cupsServer(), ippPort());
}

std::string ServerAddress(const std::string& server, int port) {
    if (server.empty() || server[0] == '/') {
        return server;
    }
    const std::string withPort = ":" + std::to_string(port);
    if (server[0] == '[') {
        return server.find("]:") != std::string::npos ? server : server + withPort;
    }
    const auto colons = std::count(server.begin(), server.end(), ':');
    if (colons == 1) {
        return server;  // already HOST:PORT
    }
    // A bare IPv6 address takes brackets before its port, as --server takes it.
    return (colons > 1 ? "[" + server + "]" : server) + withPort;
}

}  // namespace tessaline
