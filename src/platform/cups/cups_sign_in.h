#pragma once

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include <cups/cups.h>

#include "platform/connection_ends.h"
#include "platform/cups/password_refusals.h"
#include "platform/sign_in.h"

namespace tessaline {

// Signing in through libcups: --encrypt, --user and a password asked for only when a server or
// printer wants one, and only over an encrypted connection. libcups keeps these settings per
// thread: Configure sets them on its own thread, ApplyToThisThread on every other thread that
// prints. The password is asked once a run, whichever thread needs it first.
class CupsSignIn final : public SignIn, public PasswordRefusals, public ConnectionEnds {
  public:
    // terminal: where a password is asked when the options allow it.
    explicit CupsSignIn(std::string terminal = "/dev/tty") : m_terminal(std::move(terminal)) {}
    CupsSignIn(const CupsSignIn&) = delete;
    CupsSignIn& operator=(const CupsSignIn&) = delete;
    // Wipes the password and takes the callback back from libcups.
    ~CupsSignIn() override;

    bool Configure(const SignInOptions& options, std::string* why) override;
    // The refusal of a password on this thread's last request.
    std::string TakeRefusal() override;
    void ApplyToThisThread();
    // A connection's tries are counted by its address, which the next connection may get.
    void Closed(const void* connection) override;

    // What libcups is handed when a request on connection wants a password; null sends none.
    // Null over a plain connection (the refusal, naming address, kept for TakeRefusal), past
    // the tries one connection may make, and when the password is empty or cannot be read.
    // The password is read at the first request that may have it, and only then.
    const char* Answer(const char* prompt, const void* connection, bool encrypted,
                       const std::string& address);

  private:
    static const char* OnPassword(const char* prompt, http_t* http, const char* method,
                                  const char* resource, void* self);
    bool ReadPassword(const char* prompt);
    void Wipe();

    void ApplySettings();

    const std::string m_terminal;
    SignInOptions m_options;  // set by Configure, before any other thread starts
    std::mutex m_mutex;       // guards everything below
    std::string m_password;
    bool m_asked = false;  // at most once a run, whatever the answer
    bool m_have = false;
    std::map<const void*, int> m_triesPerConnection;
    std::map<std::thread::id, std::string> m_refusals;
};

// Empty when a password file of this mode and owner may be used by user, else why not.
std::string PasswordFileProblem(mode_t mode, uid_t owner, uid_t user);

// A password is only ever sent over an encrypted connection.
inline bool MayAskPassword(bool encrypted) {
    return encrypted;
}

// "refused to send a password over a plain connection to ADDRESS; use --encrypt or ipps://"
std::string PlainPasswordNote(const std::string& address);

// Reads fd up to its first LF (or its end, or capacity bytes) into buffer, without the line end
// (LF, or CR LF); false on a read error.
bool ReadPasswordLine(int fd, char* buffer, std::size_t capacity, std::size_t* used);

}  // namespace tessaline
