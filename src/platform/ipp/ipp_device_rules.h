#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <cups/cups.h>

namespace tessaline {

// The rules of printing to a printer reached by its address, kept apart from libcups' calls so
// they can be tested alone.

// How a printer URI is named to the user: HOST:PORT ([ADDRESS]:PORT for IPv6), the port the
// scheme implies when the URI names none. A URI that cannot be split is named whole.
std::string PrinterAddressOfUri(const std::string& uri);

// Whether format is among the printer's document formats (MIME types ignore case).
bool FormatAccepted(const std::vector<std::string>& accepted, const std::string& format);

// "the printer does not accept FORMAT; it accepts: a, b, c"
std::string FormatRefusedNote(const std::string& format, const std::vector<std::string>& accepted);

// "the printer at ADDRESS could not be reached"
std::string UnreachableNote(const std::string& address);

// The printer answered busy to every try of the busy schedule.
std::string StayedBusyNote();

// The waits between the tries of a job a printer answered busy, in milliseconds: one more try
// than there are waits. The only place the schedule is kept.
const std::vector<std::uint32_t>& BusyRetryDelaysMs();

// Runs attempt until it answers anything but server-error-busy, sleeping the busy schedule's
// waits between tries; returns the last answer. shouldStop, asked before each wait, ends the
// retries early (the last answer stands).
ipp_status_t RetryWhileBusy(const std::function<ipp_status_t()>& attempt,
                            const std::function<void(std::uint32_t)>& sleepMs,
                            const std::function<bool()>& shouldStop);

}  // namespace tessaline
