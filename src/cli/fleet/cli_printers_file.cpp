#include "cli/fleet/cli_printers_file.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>

namespace tessaline {
namespace {

std::string_view Trimmed(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && blank(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

PrintersFile Failed(std::string error) {
    PrintersFile file;
    file.error = std::move(error);
    return file;
}

PrintersFile TooLarge(const std::string& path) {
    return Failed("--printers-file " + path + ": the file is larger than " +
                  std::to_string(kLargestPrintersFile / (1024u * 1024u)) + " MiB");
}

}  // namespace

PrintersFile ParsePrintersFile(std::string_view text, const std::string& source,
                               const std::vector<std::string>& given) {
    PrintersFile file;
    // Where each name was first seen: 0 for --printer, else its line number.
    std::map<std::string, std::size_t, std::less<>> seen;
    for (const std::string& name : given) {
        seen.emplace(name, 0);
    }
    std::size_t lineNumber = 0;
    while (!text.empty() || lineNumber == 0) {
        ++lineNumber;
        const std::string_view::size_type end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto [where, isNew] = seen.emplace(std::string(line), lineNumber);
        if (!isNew) {
            const std::string first =
                where->second == 0 ? "--printer" : "line " + std::to_string(where->second);
            return Failed(source + ": line " + std::to_string(lineNumber) + " names '" +
                          where->first + "' again, as " + first + " did");
        }
        file.printers.emplace_back(line);
    }
    file.ok = true;
    return file;
}

PrintersFile ReadPrintersFile(FileSystem& files, std::istream& in, const std::string& path,
                              const std::vector<std::string>& given) {
    std::string text;
    const std::string source = path == "-" ? "standard input" : path;
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            return Failed("--printers-file: standard input could not be read");
        }
    } else {
        const std::unique_ptr<ReadableFile> file = files.OpenForReading(path);
        if (file == nullptr) {
            return Failed("--printers-file " + path +
                          ": the file was not found or could not be "
                          "opened");
        }
        try {
            if (file->Length() > kLargestPrintersFile) {
                return TooLarge(path);
            }
            char buffer[65536];
            while (const std::uint32_t got = file->Read(buffer, sizeof buffer)) {
                text.append(buffer, got);
                if (text.size() > kLargestPrintersFile) {
                    return TooLarge(path);
                }
            }
        } catch (const FileException&) {
            return Failed("--printers-file " + path + ": the file could not be read");
        }
    }
    PrintersFile parsed = ParsePrintersFile(text, source, given);
    if (parsed.ok && parsed.printers.empty() && given.empty()) {
        return Failed(source + " names no printer");
    }
    return parsed;
}

}  // namespace tessaline
