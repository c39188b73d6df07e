#include "platform/posix/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/posix/descriptor.h"

namespace tessaline {
namespace {

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode);
    }
    if (errno != ENOENT || folder == "/" || folder == ".") {
        return false;
    }
    if (!MakeFolders(FolderOf(folder))) {
        return false;
    }
    // Another writer may have made it meanwhile.
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

// The file a write must replace: the target of a symbolic link, else the path itself.
std::string WriteTarget(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return path;
    }
    return resolved;
}

}  // namespace

SmallFileRead ReadSmallFile(const std::string& path, std::size_t limit, std::string* text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? SmallFileRead::Missing : SmallFileRead::Failed;
    }
    Descriptor owned(fd);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::size_t>(status.st_size) > limit) {
        return SmallFileRead::Failed;
    }
    std::string read;
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return SmallFileRead::Failed;
        }
        if (got == 0) {
            break;
        }
        read.append(buffer.data(), static_cast<std::size_t>(got));
        // It grew while being read.
        if (read.size() > limit) {
            return SmallFileRead::Failed;
        }
    }
    *text = std::move(read);
    return SmallFileRead::Read;
}

bool ReplaceFileAtomically(const std::string& path, const std::string& text,
                           int (*rename)(const char* from, const char* to)) {
    const std::string target = WriteTarget(path);
    const std::string folder = FolderOf(target);
    if (!MakeFolders(folder)) {
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    std::vector<char> name(temporary.begin(), temporary.end());
    name.push_back('\0');
    Descriptor file(::mkostemp(name.data(), O_CLOEXEC));
    if (file.Get() < 0) {
        return false;
    }
    temporary = name.data();
    struct stat old {};
    const bool ok =
        WriteAll(file.Get(), text) &&
        (::stat(target.c_str(), &old) != 0 || ::fchmod(file.Get(), old.st_mode & 07777) == 0) &&
        ::fsync(file.Get()) == 0 && file.Close() && rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) {
        ::fsync(dir.Get());
    }
    return true;
}

}  // namespace tessaline
