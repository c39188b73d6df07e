#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/printer_facts.h"
#include "platform/stop_signal.h"
#include "platform/thread_setup.h"

namespace tessaline {

using OnAnswer = std::function<void(std::size_t printer, const PrinterAnswer& answer)>;

// Asks each printer once, in order, at most `parallel` at a time: side by side on threads of
// their own where threads is set, else one at a time on the caller's thread. onAnswer is called
// on the caller's thread, in the order the asks end. Once stop says so (stop may be null), no
// further ask starts and those under way are waited for. Returns how many were asked: the
// first ones, in order.
std::size_t AskAll(PrinterFactsSource& source, const std::vector<std::string>& printers,
                   std::uint32_t parallel, ThreadSetup* threads, const StopSignal* stop,
                   const OnAnswer& onAnswer);

}  // namespace tessaline
