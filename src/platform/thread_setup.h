#pragma once

namespace tessaline {

// A platform whose jobs may be sent from several threads at once. Some libraries keep their
// settings per thread (libcups keeps the server, the user, the encryption and the password
// callback so): each new thread is prepared before it sends anything.
class ThreadSetup {
  public:
    virtual ~ThreadSetup() = default;
    // Called first on every thread that sends jobs, other than the one that configured them.
    virtual void PrepareThisThread() = 0;
};

}  // namespace tessaline
