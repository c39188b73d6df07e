#include "cli/inventory/ask_all.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace tessaline {
namespace {

bool Stopped(const StopSignal* stop) {
    return stop != nullptr && stop->StopRequested();
}

class SideBySide {
  public:
    SideBySide(PrinterFactsSource& source, ThreadSetup& setup) : m_source(source), m_setup(setup) {}
    SideBySide(const SideBySide&) = delete;
    SideBySide& operator=(const SideBySide&) = delete;
    ~SideBySide() {
        for (std::thread& thread : m_threads) {
            thread.join();
        }
    }

    void Start(std::size_t i, const std::string& printer) {
        ++m_running;
        m_threads.emplace_back([this, i, &printer] {
            Ended ended{i, PrinterAnswer{}, nullptr};
            try {
                m_setup.PrepareThisThread();
                ended.answer = m_source.Ask(printer);
            } catch (...) {
                ended.error = std::current_exception();
            }
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_ended.push_back(std::move(ended));
            m_changed.notify_one();
        });
    }

    std::size_t Running() const { return m_running; }

    // Waits a little for an ask to end; Ctrl-C is looked at between waits. An exception an
    // ask threw comes out here, on the caller's thread.
    void TakeEnded(const OnAnswer& onAnswer) {
        std::vector<Ended> ended;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait_for(lock, std::chrono::milliseconds(20),
                               [this] { return !m_ended.empty(); });
            ended.swap(m_ended);
        }
        m_running -= ended.size();
        for (const Ended& one : ended) {
            if (one.error) {
                std::rethrow_exception(one.error);
            }
            onAnswer(one.item, one.answer);
        }
    }

  private:
    struct Ended {
        std::size_t item;
        PrinterAnswer answer;
        std::exception_ptr error;
    };

    PrinterFactsSource& m_source;
    ThreadSetup& m_setup;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Ended> m_ended;  // guarded by m_mutex
    std::size_t m_running = 0;
};

}  // namespace

std::size_t AskAll(PrinterFactsSource& source, const std::vector<std::string>& printers,
                   std::uint32_t parallel, ThreadSetup* threads, const StopSignal* stop,
                   const OnAnswer& onAnswer) {
    std::size_t next = 0;
    if (threads == nullptr || parallel < 2 || printers.size() < 2) {
        for (; next < printers.size() && !Stopped(stop); ++next) {
            onAnswer(next, source.Ask(printers[next]));
        }
        return next;
    }
    SideBySide asks(source, *threads);
    while (next < printers.size() || asks.Running() != 0) {
        if (next < printers.size() && asks.Running() < parallel && !Stopped(stop)) {
            asks.Start(next, printers[next]);
            ++next;
            continue;
        }
        if (asks.Running() == 0) {
            break;  // stopped with nothing under way
        }
        asks.TakeEnded(onAnswer);
    }
    return next;
}

}  // namespace tessaline
