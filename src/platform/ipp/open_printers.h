#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/spooler.h"

namespace tessaline {

// A spooler's open printers by handle. Jobs may go out from several threads at once, each
// handle used by one thread: the lock guards the table, never the calls on an open printer.
template <typename Open>
class OpenPrinters {
  public:
    // Takes it over; its handle is its address, so no two open printers share one.
    PrinterHandle Add(std::unique_ptr<Open> open) {
        const auto handle = reinterpret_cast<PrinterHandle>(open.get());
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_open.emplace(handle, std::move(open));
        return handle;
    }

    // Null for a handle that is not open. The entry stays put until its own thread closes it.
    Open* Find(PrinterHandle handle) const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_open.find(handle);
        return found == m_open.end() ? nullptr : found->second.get();
    }

    // Hands it back and forgets its handle; null for a handle that is not open. What the caller
    // then does with it (cancel a job over the network) happens outside the lock.
    std::unique_ptr<Open> Take(PrinterHandle handle) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_open.find(handle);
        if (found == m_open.end()) {
            return nullptr;
        }
        std::unique_ptr<Open> open = std::move(found->second);
        m_open.erase(found);
        return open;
    }

  private:
    mutable std::mutex m_mutex;
    std::map<PrinterHandle, std::unique_ptr<Open>> m_open;
};

}  // namespace tessaline
