#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "platform/write_progress.h"

namespace tessaline {

// Files smaller than this go out too fast for a progress line to help.
inline constexpr std::uint64_t kProgressThreshold = 1024u * 1024u;

// Takes a line of width characters off the terminal: the cursor ends at its start.
std::string WipeText(std::size_t width);

// A one-line progress display on a terminal: redrawn in place with a carriage return, only when
// the whole percentage changes, and wiped by Finish so the outcome line starts clean.
class ProgressLine : public WriteProgress {
  public:
    ProgressLine(std::ostream& err, std::string printer);
    void OnWritten(std::uint64_t done, std::uint64_t total) override;
    void Finish();

  private:
    std::ostream& m_err;
    std::string m_printer;
    int m_shownPercent = -1;
    std::size_t m_width = 0;
};

}  // namespace tessaline
