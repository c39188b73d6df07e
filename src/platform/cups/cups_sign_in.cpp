#include "platform/cups/cups_sign_in.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/descriptor.h"

namespace tessaline {
namespace {

// A wrong password makes libcups ask again on the same connection; past this it gets none.
constexpr int kTriesPerConnection = 2;

// Enough for any password a person types or keeps in a file.
constexpr std::size_t kMaxPassword = 1024;

void WipeBytes(char* bytes, std::size_t size) {
    volatile char* p = bytes;
    for (std::size_t i = 0; i < size; ++i) {
        p[i] = '\0';
    }
}

// Echo off on the terminal while it lives; the old settings come back on every path.
class EchoOff {
  public:
    explicit EchoOff(int fd) : m_fd(fd) {
        m_saved = tcgetattr(fd, &m_old) == 0;
        if (m_saved) {
            termios quiet = m_old;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(fd, TCSAFLUSH, &quiet);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    ~EchoOff() {
        if (m_saved) {
            tcsetattr(m_fd, TCSAFLUSH, &m_old);
        }
    }

  private:
    int m_fd;
    termios m_old{};
    bool m_saved = false;
};

std::string AddressOf(http_t* http) {
    char host[256];
    httpGetHostname(http, host, sizeof host);
    const int port = httpAddrPort(httpGetAddress(http));
    return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

std::string PasswordFileProblem(mode_t mode, uid_t owner, uid_t user) {
    if (!S_ISREG(mode)) {
        return "not a regular file";
    }
    if (owner != user) {
        return "owned by another user; it must be the user's own";
    }
    if ((mode & (S_IRGRP | S_IROTH)) != 0) {
        return "others can read it; make it readable by its owner only (chmod 600)";
    }
    return std::string();
}

std::string PlainPasswordNote(const std::string& address) {
    return "refused to send a password over a plain connection to " + address +
           "; use --encrypt or ipps://";
}

bool ReadPasswordLine(int fd, char* buffer, std::size_t capacity, std::size_t* used) {
    *used = 0;
    while (*used < capacity) {
        char c = 0;
        const ssize_t got = read(fd, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0 || c == '\n') {
            break;
        }
        buffer[(*used)++] = c;
    }
    // A CR before the LF (a file written on Windows) is not part of the password.
    while (*used > 0 && buffer[*used - 1] == '\r') {
        --*used;
    }
    return true;
}

CupsSignIn::~CupsSignIn() {
    cupsSetPasswordCB2(nullptr, nullptr);
    Wipe();
}

void CupsSignIn::Wipe() {
    WipeBytes(&m_password[0], m_password.size());
    m_password.clear();
    m_have = false;
}

bool CupsSignIn::Configure(const SignInOptions& options, std::string* why) {
    if (options.passwordFile) {
        const std::string& path = *options.passwordFile;
        const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        std::string problem;
        if (file.Get() < 0 || fstat(file.Get(), &info) != 0) {
            problem = std::strerror(errno);
        } else {
            problem = PasswordFileProblem(info.st_mode, info.st_uid, getuid());
        }
        if (!problem.empty()) {
            *why = "--password-file " + path + ": " + problem;
            return false;
        }
    }
    m_options = options;
    ApplySettings();
    return true;
}

void CupsSignIn::Closed(const void* connection) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_triesPerConnection.erase(connection);
}

void CupsSignIn::ApplyToThisThread() {
    ApplySettings();
}

// libcups keeps all three per thread.
void CupsSignIn::ApplySettings() {
    if (m_options.encrypt) {
        cupsSetEncryption(HTTP_ENCRYPTION_REQUIRED);
    }
    if (m_options.user) {
        cupsSetUser(m_options.user->c_str());
    }
    cupsSetPasswordCB2(&CupsSignIn::OnPassword, this);
}

std::string CupsSignIn::TakeRefusal() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_refusals.find(std::this_thread::get_id());
    if (found == m_refusals.end()) {
        return std::string();
    }
    std::string refusal = std::move(found->second);
    m_refusals.erase(found);
    return refusal;
}

const char* CupsSignIn::OnPassword(const char* prompt, http_t* http, const char* /*method*/,
                                   const char* /*resource*/, void* self) {
    const bool encrypted = http != nullptr && httpIsEncrypted(http) != 0;
    std::string address;
    if (!encrypted) {
        address = http != nullptr ? AddressOf(http) : cupsServer();
    }
    return static_cast<CupsSignIn*>(self)->Answer(prompt, http, encrypted, address);
}

const char* CupsSignIn::Answer(const char* prompt, const void* connection, bool encrypted,
                               const std::string& address) {
    // Several threads may ask at once; only the first asks the user.
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (connection == nullptr || !MayAskPassword(encrypted)) {
        m_refusals[std::this_thread::get_id()] = PlainPasswordNote(address);
        return nullptr;
    }
    if (++m_triesPerConnection[connection] > kTriesPerConnection) {
        return nullptr;
    }
    if (!m_asked) {
        m_asked = true;
        m_have = ReadPassword(prompt);
    }
    return m_have ? m_password.c_str() : nullptr;
}

bool CupsSignIn::ReadPassword(const char* prompt) {
    char buffer[kMaxPassword];
    std::size_t used = 0;
    bool ok = false;
    if (m_options.terminal) {
        const Descriptor tty(open(m_terminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (tty.Get() >= 0) {
            const std::string ask = std::string(prompt != nullptr ? prompt : "Password:") + " ";
            {
                // Echo goes off, and what was typed ahead is flushed, before the prompt shows:
                // an answer typed as soon as it shows is then neither echoed nor thrown away.
                const EchoOff quiet(tty.Get());
                ok = write(tty.Get(), ask.data(), ask.size()) >= 0 &&
                     ReadPasswordLine(tty.Get(), buffer, sizeof buffer, &used);
            }
            // The line end the user typed was not echoed.
            if (write(tty.Get(), "\n", 1) < 0) {
                ok = false;
            }
        }
    } else if (m_options.passwordFile) {
        const Descriptor file(open(m_options.passwordFile->c_str(), O_RDONLY | O_CLOEXEC));
        ok = file.Get() >= 0 && ReadPasswordLine(file.Get(), buffer, sizeof buffer, &used);
    }
    if (ok) {
        m_password.assign(buffer, used);
    }
    WipeBytes(buffer, sizeof buffer);
    return ok && !m_password.empty();
}

}  // namespace tessaline
