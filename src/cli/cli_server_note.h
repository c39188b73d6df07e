#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "jobs/raw_job.h"
#include "platform/printer_notes.h"
#include "platform/server_selector.h"

namespace tessaline {

// Why printers could not be opened, when the reason is that their print server does not
// answer. The server is asked at the first failed open and the answer kept for the run: every
// later open goes to the same server, and a dead host costs a connection timeout each time.
class ServerNote {
  public:
    explicit ServerNote(ServerSelector* server) : m_server(server) {}

    // For a job that ended at OpenFailed: "the print server at ADDRESS could not be reached".
    // Empty for any other stage, when the server answers, or when there is no server to ask
    // (the Windows spooler is local). May be asked from several threads at once.
    std::string For(const RawJobResult& result);
    // Why printer's last job went as it did: the spooler's own note (notes may be null), else
    // the server's, as For gives it.
    std::string JobNote(PrinterNotes* notes, const std::string& printer,
                        const RawJobResult& result);

  private:
    ServerSelector* m_server;
    std::mutex m_mutex;
    std::optional<std::string> m_note;
};

// The words for a server that does not answer, naming it.
std::string UnreachableServerWords(const std::string& address);

}  // namespace tessaline
