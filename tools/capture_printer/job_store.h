#pragma once

#include <cstdint>
#include <string>

namespace capture {

// Numbered job files in one folder: job-000001.bin, job-000002.bin, ... A job is written to
// "<name>.part" and renamed into place only when complete, so a reader that sees the final
// name sees all of its bytes. Numbering continues after the highest job already present.
class JobStore {
  public:
    explicit JobStore(std::string folder);

    // Scans the folder for existing jobs; false if the folder cannot be read.
    bool Open();

    std::uint64_t NextNumber() const { return m_next; }
    std::string FinalPath(std::uint64_t number) const;
    std::string PartPath(std::uint64_t number) const;

    // Renames the part file of the next job into place and moves on to the next number.
    bool Commit();

    static std::string FileName(std::uint64_t number);

  private:
    std::string m_folder;
    std::uint64_t m_next = 1;
};

}  // namespace capture
