#pragma once

#include <string>

#include <cups/cups.h>

namespace tessaline {

// Whether the scheduler behind http has a printer or class of this name. Asked directly, not
// through cupsGetNamedDest, which looks for a missing name on the network for a second.
bool QueueExists(http_t* http, const std::string& queue);

// Creates a job of no document yet on the queue; returns its id, or 0 when the scheduler
// refuses (a queue that rejects jobs, for one). Asked directly: cupsCreateJob first fetches the
// destination and all its attributes twice, which costs more than the job itself.
int CreateJob(http_t* http, const std::string& queue, const std::string& title);

// How a destination is named to the user and in a printer list: "queue", or "queue/instance".
std::string DestinationName(const cups_dest_t& dest);

// The scheduler's URI of a queue, as lp names it ("ipp://localhost/printers/NAME").
std::string QueueUri(const std::string& queue);

}  // namespace tessaline
