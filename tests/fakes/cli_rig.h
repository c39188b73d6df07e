#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_job_monitor.h"
#include "fakes/fake_printer_facts.h"
#include "fakes/fake_printer_list_source.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_spooler.h"

namespace tessaline {

// Time that passes only when the program sleeps.
class FakeClock : public CliClock {
  public:
    std::uint64_t now = 1000;
    std::vector<std::uint32_t> sleeps;
    std::uint64_t NowMilliseconds() override { return now; }
    void SleepMilliseconds(std::uint32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
};

// Records every sink it is given; null clears.
class FakeProgressSource : public WriteProgressSource {
  public:
    std::vector<bool> sinks;  // true for a sink, false for null
    WriteProgress* sink = nullptr;
    void SetWriteProgress(WriteProgress* next) override {
        sinks.push_back(next != nullptr);
        sink = next;
    }
};

// The command line over the fakes, with text streams for stdin, stdout and stderr.
struct CliRig {
    FakeSpooler spooler;
    FakePrinterListSource printers;
    FakeRegistry registry;
    ProfileStore profile{registry, kMakerKey, kCliApplicationKey};
    FakeFileSystem files;
    FakeJobMonitor jobs;
    FakeClock clock;
    FakePrinterFacts facts;  // not handed over: platform.facts is null unless a test sets it
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CliPlatform platform{spooler, printers, profile, files, jobs,  clock,
                         in,      out,      err,     false, false, false};

    int Run(const std::vector<std::string>& args) { return RunCli(args, platform); }
};

}  // namespace tessaline
