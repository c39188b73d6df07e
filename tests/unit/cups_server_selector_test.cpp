#include "platform/cups/cups_server_selector.h"

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

}  // namespace
}  // namespace tessaline
