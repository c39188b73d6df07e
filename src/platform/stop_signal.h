#pragma once

namespace tessaline {

// Set when the user asks the run to stop (Ctrl-C). A spooler asks it between the pieces of a
// write, after the last, and while its connection waits, so a document being sent ends there
// and its job is cancelled. May be asked from any thread.
class StopSignal {
  public:
    virtual ~StopSignal() = default;
    virtual bool StopRequested() const = 0;
};

}  // namespace tessaline
