#include "cli/cli_server_note.h"

namespace tessaline {

const std::string& ServerNote::For(const RawJobResult& result) {
    if (result.stage != RawJobStage::OpenFailed) {
        return m_none;
    }
    if (!m_note) {
        const std::string address = m_server != nullptr ? m_server->UnreachableServer() : "";
        m_note = address.empty() ? std::string() : UnreachableServerWords(address);
    }
    return *m_note;
}

std::string UnreachableServerWords(const std::string& address) {
    return "the print server at " + address + " could not be reached";
}

}  // namespace tessaline
