#pragma once

#include <chrono>

#include <cups/cups.h>

#include "platform/stop_signal.h"

namespace tessaline {

// Ends a connection's waits once a stop is requested: libcups asks it each time a read or write
// has waited a quarter of a second, so a write stuck on a slow link ends within that. A wait
// silent for as long as libcups' own limit still ends as it did without a watch.
class HttpStopWatch {
  public:
    HttpStopWatch() = default;
    HttpStopWatch(const HttpStopWatch&) = delete;
    HttpStopWatch& operator=(const HttpStopWatch&) = delete;

    // Watches http's waits for stop (null: no more); must outlive the watching.
    void Watch(http_t* http, const StopSignal* stop);
    // A wait was ended: the call that waited failed whatever libcups' last status says (it
    // keeps the one from before, often successful-ok).
    bool Ended() const { return m_ended; }

  private:
    static int KeepWaiting(http_t* http, void* watch);

    const StopSignal* m_stop = nullptr;
    bool m_ended = false;
    std::chrono::steady_clock::time_point m_silentSince;
    std::chrono::steady_clock::time_point m_lastAsked;
};

// Makes closing http reset its connection: whatever the system still holds to send is dropped,
// and no closing handshake waits on a full send buffer.
void AbandonConnection(http_t* http);

}  // namespace tessaline
