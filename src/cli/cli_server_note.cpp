#include "cli/cli_server_note.h"

namespace tessaline {

std::string ServerNote::For(const RawJobResult& result) {
    if (result.stage != RawJobStage::OpenFailed) {
        return std::string();
    }
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_note) {
        const std::string address = m_server != nullptr ? m_server->UnreachableServer() : "";
        m_note = address.empty() ? std::string() : UnreachableServerWords(address);
    }
    return *m_note;
}

std::string ServerNote::JobNote(PrinterNotes* notes, const std::string& printer,
                                const RawJobResult& result) {
    std::string note = notes != nullptr ? notes->TakeNote(printer) : std::string();
    return note.empty() ? For(result) : note;
}

std::string UnreachableServerWords(const std::string& address) {
    return "the print server at " + address + " could not be reached";
}

}  // namespace tessaline
