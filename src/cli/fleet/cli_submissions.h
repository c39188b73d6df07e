#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <string>

#include "jobs/raw_job.h"
#include "platform/thread_setup.h"

namespace tessaline {

// What the submission of one item gave.
struct Submitted {
    RawJobResult result;
    int exitCode = 0;          // the stage's code (cli/cli_exit.h): 0 when handed over whole
    std::uint32_t length = 0;  // the job's size in bytes
    std::string note;          // why it went as it did, beyond its stage; may be empty
    bool answerLost = false;   // sent whole, but the printer never answered the document's end
};

// Where the window's submissions run: on its own thread, one at a time, or on threads of their
// own, so that several uploads go out at once.
class Submissions {
  public:
    using Submit = std::function<Submitted()>;
    virtual ~Submissions() = default;
    virtual void Start(std::size_t item, Submit submit) = 0;
    // The submissions that have ended since the last call, in the order they ended. An
    // exception a submission threw comes out here, on the window's thread.
    virtual std::vector<std::pair<std::size_t, Submitted>> TakeEnded() = 0;
    // Started and not yet taken.
    virtual std::size_t Running() const = 0;
};

// Each submission runs to its end inside Start.
class InlineSubmissions final : public Submissions {
  public:
    void Start(std::size_t item, Submit submit) override;
    std::vector<std::pair<std::size_t, Submitted>> TakeEnded() override;
    std::size_t Running() const override { return m_ended.size(); }

  private:
    std::vector<std::pair<std::size_t, Submitted>> m_ended;
};

// Each submission runs on a thread of its own, prepared by setup first. The destructor waits
// for every thread.
class ThreadedSubmissions final : public Submissions {
  public:
    explicit ThreadedSubmissions(ThreadSetup& setup) : m_setup(setup) {}
    ThreadedSubmissions(const ThreadedSubmissions&) = delete;
    ThreadedSubmissions& operator=(const ThreadedSubmissions&) = delete;
    ~ThreadedSubmissions() override;

    void Start(std::size_t item, Submit submit) override;
    std::vector<std::pair<std::size_t, Submitted>> TakeEnded() override;
    std::size_t Running() const override;

  private:
    struct Ended {
        std::size_t item;
        Submitted submitted;
        std::exception_ptr error;
    };

    ThreadSetup& m_setup;
    mutable std::mutex m_mutex;
    std::map<std::size_t, std::thread> m_threads;  // by item, until taken
    std::vector<Ended> m_ended;                    // guarded by m_mutex
    std::size_t m_running = 0;                     // guarded by m_mutex
};

}  // namespace tessaline
