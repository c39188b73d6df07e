#include "job_store.h"

#include <cstdio>
#include <dirent.h>

namespace capture {

namespace {

// Returns 0 for anything that is not a finished job file.
std::uint64_t JobNumberOf(const std::string& name) {
    const std::string prefix = "job-";
    const std::string suffix = ".bin";
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
        return 0;
    }
    std::uint64_t number = 0;
    for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        number = number * 10 + static_cast<std::uint64_t>(name[i] - '0');
    }
    return number;
}

}  // namespace

JobStore::JobStore(std::string folder) : m_folder(std::move(folder)) {}

bool JobStore::Open() {
    DIR* dir = opendir(m_folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    std::uint64_t highest = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::uint64_t number = JobNumberOf(entry->d_name);
        if (number > highest) {
            highest = number;
        }
    }
    closedir(dir);
    m_next = highest + 1;
    return true;
}

std::string JobStore::FileName(std::uint64_t number) {
    char name[40];
    std::snprintf(name, sizeof name, "job-%06llu.bin", static_cast<unsigned long long>(number));
    return name;
}

std::string JobStore::FinalPath(std::uint64_t number) const {
    return m_folder + "/" + FileName(number);
}

std::string JobStore::PartPath(std::uint64_t number) const {
    return FinalPath(number) + ".part";
}

bool JobStore::Commit() {
    if (std::rename(PartPath(m_next).c_str(), FinalPath(m_next).c_str()) != 0) {
        return false;
    }
    ++m_next;
    return true;
}

}  // namespace capture
