#include "platform/cups/cups_server_selector.h"

#include <string>

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// How a server that does not answer is named: as --server or CUPS_SERVER would take it.
TEST(CupsServerAddress, NamesTheServerWithItsPort) {
    struct Case {
        const char* server;
        int port;
        const char* address;
    };
    const Case cases[] = {
        {"/run/cups/cups.sock", 631, "/run/cups/cups.sock"},
        {"localhost", 631, "localhost:631"},
        {"print.example:8631", 631, "print.example:8631"},
        {"10.0.0.5", 8631, "10.0.0.5:8631"},
        {"::1", 631, "[::1]:631"},
        {"fe80::1:2", 8631, "[fe80::1:2]:8631"},
        {"[::1]", 631, "[::1]:631"},
        {"[::1]:8631", 631, "[::1]:8631"},
        {"", 631, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ServerAddress(c.server, c.port), c.address) << c.server;
    }
}

// ---- --server ----

struct ServerCase {
    const char* text;
    const char* problem;  // empty when accepted
};

const ServerCase kServerCases[] = {
    {"printhost", ""},
    {"printhost:631", ""},
    {"127.0.0.1:20631", ""},
    {"[::1]:631", ""},
    {"[::1]", ""},
    {"/run/cups/cups.sock", ""},
    {"", "the server name is empty"},
    {"print host", "the server name contains white space"},
    {":631", "the host name is missing before ':'"},
    {"printhost:", "the port is missing after ':'"},
    {"printhost:0", "the port must be a number from 1 to 65535"},
    {"printhost:65536", "the port must be a number from 1 to 65535"},
    {"printhost:ipp", "the port must be a number from 1 to 65535"},
    {"printhost:9999999999", "the port must be a number from 1 to 65535"},
    {"[]", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1]631", "an IPv6 address must be written [ADDRESS] or [ADDRESS]:PORT"},
    {"[::1]:", "the port is missing after ':'"},
};

TEST(CupsServer, NamesCheckedBeforeUse) {
    for (const ServerCase& c : kServerCases) {
        EXPECT_EQ(CheckServerName(c.text), c.problem) << "'" << c.text << "'";
    }
    CupsServerSelector selector;
    std::string err;
    EXPECT_FALSE(selector.UseServer("host:x", &err));
    EXPECT_EQ(err, "the port must be a number from 1 to 65535");
}

}  // namespace
}  // namespace tessaline
