#pragma once

#include <string>
#include <vector>

#include "platform/printer_list_source.h"
#include "platform/connection_ends.h"

namespace tessaline {

// The CUPS destinations (cupsGetDests2), in the order CUPS gives them: by name, an instance
// as "queue/instance". Those are the names the spooler's OpenPrinter takes.
class CupsPrinterListSource final : public PrinterListSource {
  public:
    // ends, when not null, is told as each connection it made closes.
    explicit CupsPrinterListSource(ConnectionEnds* ends = nullptr) : m_ends(ends) {}
    std::uint32_t ReadDevicesSection(char* buffer, std::uint32_t size) override;

  private:
    ConnectionEnds* m_ends;
};

// Writes names into buffer as the "devices" section read gives them: each name ended by a
// NUL, one more NUL after the last; a list that does not fit is cut and size - 2 returned.
std::uint32_t WriteNulSeparated(const std::vector<std::string>& names, char* buffer,
                                std::uint32_t size);

}  // namespace tessaline
