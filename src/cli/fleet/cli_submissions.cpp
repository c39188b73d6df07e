#include "cli/fleet/cli_submissions.h"

namespace tessaline {

void InlineSubmissions::Start(std::size_t item, Submit submit) {
    m_ended.emplace_back(item, submit());
}

std::vector<std::pair<std::size_t, Submitted>> InlineSubmissions::TakeEnded() {
    return std::exchange(m_ended, {});
}

ThreadedSubmissions::~ThreadedSubmissions() {
    for (auto& [item, thread] : m_threads) {
        thread.join();
    }
}

void ThreadedSubmissions::Start(std::size_t item, Submit submit) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_running;
    }
    m_threads[item] = std::thread([this, item, submit = std::move(submit)] {
        Ended ended{item, Submitted{}, nullptr};
        try {
            m_setup.PrepareThisThread();
            ended.submitted = submit();
        } catch (...) {
            ended.error = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_ended.push_back(std::move(ended));
    });
}

std::vector<std::pair<std::size_t, Submitted>> ThreadedSubmissions::TakeEnded() {
    std::vector<Ended> ended;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ended.swap(m_ended);
        m_running -= ended.size();
    }
    std::vector<std::pair<std::size_t, Submitted>> taken;
    for (const Ended& one : ended) {
        // It has said its last; joining only waits for it to return.
        const auto thread = m_threads.find(one.item);
        thread->second.join();
        m_threads.erase(thread);
    }
    for (Ended& one : ended) {
        if (one.error) {
            std::rethrow_exception(one.error);
        }
        taken.emplace_back(one.item, std::move(one.submitted));
    }
    return taken;
}

std::size_t ThreadedSubmissions::Running() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_running;
}

}  // namespace tessaline
