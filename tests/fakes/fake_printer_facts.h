#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/printer_facts.h"

namespace tessaline {

// Answers per printer: the scripted answers first, one per ask in order, then its standing
// answer over and over. A printer with neither cannot be asked. Every ask is recorded in the
// order it came; calls may come from several threads.
class FakePrinterFacts : public PrinterFactsSource {
  public:
    std::map<std::string, PrinterAnswer> answers;
    std::map<std::string, std::deque<PrinterAnswer>> scripts;
    std::function<void(const std::string&)> onAsk;  // called before answering, if set

    PrinterAnswer Ask(const std::string& printer) override {
        if (onAsk) {
            onAsk(printer);
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_asked.push_back(printer);
        std::deque<PrinterAnswer>& script = scripts[printer];
        if (!script.empty()) {
            PrinterAnswer next = script.front();
            script.pop_front();
            return next;
        }
        const auto standing = answers.find(printer);
        if (standing != answers.end()) {
            return standing->second;
        }
        PrinterAnswer none;
        none.problem = "no IPP address: the printer cannot be asked";
        return none;
    }

    std::vector<std::string> Asked() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_asked;
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_asked;
};

// An answer from an address with the given components (name, version) and state.
inline PrinterAnswer FactsAnswer(const std::string& at,
                                 const std::vector<std::pair<std::string, std::string>>& components,
                                 const std::string& state = "idle") {
    PrinterAnswer answer;
    answer.askedAt = at;
    PrinterFacts facts;
    facts.makeAndModel = "Laser 9";
    for (const auto& [name, version] : components) {
        facts.firmware.names.push_back(name);
        facts.firmware.stringVersions.push_back(version);
        facts.firmware.versions.push_back(version);
    }
    facts.state = state;
    facts.upTime = 100;
    answer.facts = facts;
    return answer;
}

}  // namespace tessaline
