#pragma once

namespace tessaline {

// Set when the user asks the run to stop (Ctrl-C). A spooler asks it between the pieces of a
// write, so a document being sent ends there and its job is cancelled.
class StopSignal {
  public:
    virtual ~StopSignal() = default;
    virtual bool StopRequested() const = 0;
};

}  // namespace tessaline
