#pragma once

#include <optional>
#include <string>

namespace tessaline {

struct SignInOptions {
    bool encrypt = false;                     // --encrypt: TLS to the server and every printer
    std::optional<std::string> user;          // --user NAME
    std::optional<std::string> passwordFile;  // --password-file FILE, read only when asked
    bool terminal = false;                    // a password may be asked on the terminal
};

// How the spooler signs in to print servers and printers. A password is only ever sent over
// an encrypted connection, and never comes from the command line or the environment.
class SignIn {
  public:
    virtual ~SignIn() = default;
    // Called once, before any printer is listed or opened. False: the options cannot be used
    // (a password file others can read, say), and *why says so in one line.
    virtual bool Configure(const SignInOptions& options, std::string* why) = 0;
};

}  // namespace tessaline
