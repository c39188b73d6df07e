#pragma once

#include <unistd.h>

namespace tessaline {

// An open file descriptor, closed by the destructor unless closed before.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { Close(); }

    int Get() const { return m_fd; }
    // Closes now, for a caller that must know whether the close succeeded (a written file).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int m_fd;
};

}  // namespace tessaline
