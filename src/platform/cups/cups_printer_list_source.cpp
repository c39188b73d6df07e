#include "platform/cups/cups_printer_list_source.h"

#include <cstring>

#include "platform/cups/cups_connection.h"
#include "platform/cups/cups_queue.h"

namespace tessaline {

std::uint32_t CupsPrinterListSource::ReadDevicesSection(char* buffer, std::uint32_t size) {
    std::vector<std::string> names;
    CupsConnection connection(m_ends);
    if (connection.Get() != nullptr) {
        cups_dest_t* dests = nullptr;
        const int count = cupsGetDests2(connection.Get(), &dests);
        for (int i = 0; i < count; ++i) {
            names.push_back(DestinationName(dests[i]));
        }
        cupsFreeDests(count, dests);
    }
    return WriteNulSeparated(names, buffer, size);
}

std::uint32_t WriteNulSeparated(const std::vector<std::string>& names, char* buffer,
                                std::uint32_t size) {
    // The names take at most size - 2 bytes, so a cut list always ends in two NULs.
    const std::uint32_t room = size - 2;
    std::uint32_t used = 0;
    for (const std::string& name : names) {
        const std::size_t need = name.size() + 1;
        if (need > room - used) {
            std::memcpy(buffer + used, name.data(), room - used);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer + used, name.c_str(), need);
        used += static_cast<std::uint32_t>(need);
    }
    buffer[used] = '\0';
    return used;
}

}  // namespace tessaline
