#include "cli/fleet/cli_progress.h"

#include <ostream>

namespace tessaline {
namespace {

std::string Mebibytes(std::uint64_t bytes) {
    const std::uint64_t tenths = bytes * 10 / (1024u * 1024u);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::string WipeText(std::size_t width) {
    return '\r' + std::string(width, ' ') + '\r';
}

ProgressLine::ProgressLine(std::ostream& err, std::string printer)
    : m_err(err), m_printer(std::move(printer)) {}

void ProgressLine::OnWritten(std::uint64_t done, std::uint64_t total) {
    if (total == 0) {
        return;
    }
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == m_shownPercent) {
        return;
    }
    m_shownPercent = percent;
    const std::string line = m_printer + ": sending " + std::to_string(percent) + "% (" +
                             Mebibytes(done) + " of " + Mebibytes(total) + " MiB)";
    // Padded to the longest line drawn so far, so a shorter one leaves no tail behind.
    m_err << '\r' << line;
    if (line.size() < m_width) {
        m_err << std::string(m_width - line.size(), ' ');
    } else {
        m_width = line.size();
    }
    m_err.flush();
}

void ProgressLine::Finish() {
    if (m_width == 0) {
        return;
    }
    m_err << WipeText(m_width);
    m_err.flush();
    m_width = 0;
    m_shownPercent = -1;
}

}  // namespace tessaline
