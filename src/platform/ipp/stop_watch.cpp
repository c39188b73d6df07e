#include "platform/ipp/stop_watch.h"

#include <fcntl.h>
#include <sys/socket.h>

namespace tessaline {
namespace {

constexpr double kAskEverySeconds = 0.25;
// libcups gives up on a silent peer after a minute when nobody is asked.
constexpr auto kLongestSilence = std::chrono::seconds(60);

}  // namespace

void HttpStopWatch::Watch(http_t* http, const StopSignal* stop) {
    m_stop = stop;
    if (stop == nullptr) {
        httpSetTimeout(http, 0.0, nullptr, nullptr);
        return;
    }
    httpSetTimeout(http, kAskEverySeconds, &HttpStopWatch::KeepWaiting, this);
}

int HttpStopWatch::KeepWaiting(http_t*, void* data) {
    auto* watch = static_cast<HttpStopWatch*>(data);
    if (watch->m_stop != nullptr && watch->m_stop->StopRequested()) {
        watch->m_ended = true;
        return 0;
    }
    const auto now = std::chrono::steady_clock::now();
    // Asked again soon after the last time: the same silence goes on.
    if (now - watch->m_lastAsked > std::chrono::duration<double>(2 * kAskEverySeconds)) {
        watch->m_silentSince = now;
    }
    watch->m_lastAsked = now;
    watch->m_ended = now - watch->m_silentSince >= kLongestSilence;
    return watch->m_ended ? 0 : 1;
}

void AbandonConnection(http_t* http) {
    const int fd = http != nullptr ? httpGetFd(http) : -1;
    if (fd < 0) {
        return;
    }
    const linger reset{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

}  // namespace tessaline
