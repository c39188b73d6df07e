#pragma once

#include <map>
#include <mutex>
#include <string>

namespace tessaline {

// The one pending note of each printer, left and taken from the threads that send.
class NotesByPrinter {
  public:
    // Replaces the printer's note.
    void Put(const std::string& printer, std::string note) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_notes[printer] = std::move(note);
    }

    void Forget(const std::string& printer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_notes.erase(printer);
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
};

}  // namespace tessaline
