#pragma once

namespace tessaline {

// Told as a connection to a server or printer closes. libcups may give the next connection the
// same address in memory, so whatever is kept about a connection by its address is forgotten.
class ConnectionEnds {
  public:
    virtual ~ConnectionEnds() = default;
    virtual void Closed(const void* connection) = 0;
};

}  // namespace tessaline
