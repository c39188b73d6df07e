#pragma once

#include <string>

namespace tessaline {

// Where the sign-in leaves the note of a password it would not send (over a plain connection),
// for the spooler to give to the printer whose call then failed.
class PasswordRefusals {
  public:
    virtual ~PasswordRefusals() = default;
    // The last refusal's note, and forgets it; empty when there is none.
    virtual std::string TakeRefusal() = 0;
};

}  // namespace tessaline
