#include "jobs/printer_list.h"

#include <cstring>

namespace tessaline {
namespace {

// A cut list is grown up to this size; a longer devices section is taken as cut.
constexpr std::uint32_t kDevicesBufferLimit = 16u * 1024u * 1024u;

}  // namespace

PrinterList ListPrinters(PrinterListSource& source) {
    std::vector<char> buffer;
    std::uint32_t size = kDevicesBufferSize;
    std::uint32_t count = 0;
    for (;;) {
        buffer.assign(size, '\0');
        count = source.ReadDevicesSection(buffer.data(), size);
        // size - 2 is also what a list that just fits returns; reading it again is harmless.
        if (count < size - 2 || size > kDevicesBufferLimit / 2) {
            break;
        }
        size *= 2;
    }
    // Still cut at the limit: the name running into the cut is a fragment, not a printer.
    const bool cut = count == size - 2;
    // The walk stops at the count even if the source left no NUL there.
    if (count > size) {
        count = size;
    }

    PrinterList printers;
    const char* cursor = buffer.data();
    const char* const end = buffer.data() + count;
    while (cursor < end && *cursor != '\0') {
        const void* nul = std::memchr(cursor, '\0', static_cast<std::size_t>(end - cursor));
        if (nul == nullptr && cut) {
            break;
        }
        const char* nameEnd = nul != nullptr ? static_cast<const char*>(nul) : end;
        printers.emplace_back(cursor, nameEnd);
        cursor = nameEnd + 1;
    }
    return printers;
}

}  // namespace tessaline
