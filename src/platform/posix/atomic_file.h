#pragma once

#include <cstddef>
#include <string>

namespace tessaline {

enum class SmallFileRead { Read, Missing, Failed };

// Reads the whole file into text. Missing: it (or a folder on its way) does not exist.
// Failed: it cannot be read, is not a regular file, or is longer than limit bytes.
SmallFileRead ReadSmallFile(const std::string& path, std::size_t limit, std::string* text);

// Replaces the file with text so that a reader sees the old file or the new one whole, never
// a mix, whenever the writer stops: a temporary file in the same folder, written, flushed to
// disk and then renamed over the old one (rename is ::rename unless a test passes another).
// Missing folders are created (mode 0700). A symbolic link is followed: its target is
// replaced, so the link stays. Keeps an existing file's permissions; a new file gets 0600.
bool ReplaceFileAtomically(const std::string& path, const std::string& text,
                           int (*rename)(const char* from, const char* to));

}  // namespace tessaline
