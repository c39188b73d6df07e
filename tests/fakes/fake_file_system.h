#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file.h"

namespace tessaline {

// One file the fake file system holds, and how it misbehaves.
struct FakeFileSetup {
    std::string content;
    // What Length() answers; the content's size when unset. A length beyond the content makes a
    // file that shrinks while read: reads past the content return 0.
    std::optional<std::uint64_t> length;
    // Answers of the first Length() calls, in order (a file changed from outside between
    // queries); later calls answer as above.
    std::vector<std::uint64_t> lengthAnswers;
    std::uint32_t readChunk = 0;  // the most one Read gives; 0 for no limit
    // The Read call (0-based) that claims overclaimBy bytes more than it gave; -1 for none.
    int overclaimReadAt = -1;
    std::uint32_t overclaimBy = 0;
    bool heldByOtherProgram = false;
    bool failLength = false;
    int failLengthAt = -1;  // 0-based index of the Length call that throws; -1 for none
    int failReadAt = -1;    // 0-based index of the Read call that throws; -1 for none
    FileErrorCause failCause = FileErrorCause::HardIO;
};

// An in-memory file system that opens without sharing (a file already open cannot be opened
// again) and records every open, length query, read and close. With log set, it also appends
// "FileOpen(<path>)", "Length", "Read(<count>)" and "FileClose" there.
class FakeFileSystem : public FileSystem {
  public:
    std::map<std::string, FakeFileSetup> files;
    std::vector<std::string>* log = nullptr;

    std::vector<std::string> pathsAsked;
    std::vector<std::uint32_t> readsAsked;  // the count each Read asked for
    int lengthQueries = 0;
    int opened = 0;
    int closed = 0;

    std::unique_ptr<ReadableFile> OpenForReading(const std::string& path) override;

    int OpenNow() const { return opened - closed; }

  private:
    friend class FakeFile;

    void Log(const std::string& entry) {
        if (log != nullptr) {
            log->push_back(entry);
        }
    }

    std::set<std::string> m_openPaths;
};

class FakeFile : public ReadableFile {
  public:
    FakeFile(FakeFileSystem& owner, std::string path, const FakeFileSetup& setup)
        : m_owner(owner), m_path(std::move(path)), m_setup(setup) {}

    ~FakeFile() override {
        ++m_owner.closed;
        m_owner.m_openPaths.erase(m_path);
        m_owner.Log("FileClose");
    }

    std::uint64_t Length() override {
        const auto index = static_cast<std::size_t>(m_lengthCalls++);
        ++m_owner.lengthQueries;
        m_owner.Log("Length");
        if (m_setup.failLength || static_cast<int>(index) == m_setup.failLengthAt) {
            throw FileException(m_setup.failCause);
        }
        if (index < m_setup.lengthAnswers.size()) {
            return m_setup.lengthAnswers[index];
        }
        return m_setup.length ? *m_setup.length : m_setup.content.size();
    }

    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        const int index = static_cast<int>(m_owner.readsAsked.size());
        m_owner.readsAsked.push_back(count);
        m_owner.Log("Read(" + std::to_string(count) + ")");
        if (index == m_setup.failReadAt) {
            throw FileException(m_setup.failCause);
        }
        std::size_t give = m_setup.content.size() - m_position;
        if (give > count) {
            give = count;
        }
        if (m_setup.readChunk != 0 && give > m_setup.readChunk) {
            give = m_setup.readChunk;
        }
        if (give > 0) {
            std::memcpy(buffer, m_setup.content.data() + m_position, give);
        }
        m_position += give;
        if (index == m_setup.overclaimReadAt) {
            return static_cast<std::uint32_t>(give) + m_setup.overclaimBy;
        }
        return static_cast<std::uint32_t>(give);
    }

  private:
    FakeFileSystem& m_owner;
    std::string m_path;
    FakeFileSetup m_setup;
    std::size_t m_position = 0;
    int m_lengthCalls = 0;
};

inline std::unique_ptr<ReadableFile> FakeFileSystem::OpenForReading(const std::string& path) {
    pathsAsked.push_back(path);
    Log("FileOpen(" + path + ")");
    auto it = files.find(path);
    if (it == files.end() || it->second.heldByOtherProgram || m_openPaths.count(path) != 0) {
        return nullptr;
    }
    m_openPaths.insert(path);
    ++opened;
    return std::make_unique<FakeFile>(*this, path, it->second);
}

}  // namespace tessaline
