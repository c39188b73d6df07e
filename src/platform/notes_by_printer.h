#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>

namespace tessaline {

// The one pending note of each printer, left and taken from the threads that send.
class NotesByPrinter {
  public:
    // Replaces the printer's note.
    void Put(const std::string& printer, std::string note) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_notes[printer] = std::move(note);
        m_answerLost.erase(printer);
    }

    // Replaces the printer's note, and marks its document's end as never answered.
    void PutAnswerLost(const std::string& printer, std::string note) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_notes[printer] = std::move(note);
        m_answerLost.insert(printer);
    }

    void Forget(const std::string& printer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_notes.erase(printer);
        m_answerLost.erase(printer);
    }

    bool TakeAnswerLost(const std::string& printer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_answerLost.erase(printer) != 0;
    }

    // The printer's note, forgotten; empty when there is none.
    std::string Take(const std::string& printer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_notes.find(printer);
        if (found == m_notes.end()) {
            return std::string();
        }
        std::string note = std::move(found->second);
        m_notes.erase(found);
        return note;
    }

  private:
    std::mutex m_mutex;
    std::map<std::string, std::string> m_notes;
    std::set<std::string> m_answerLost;
};

}  // namespace tessaline
