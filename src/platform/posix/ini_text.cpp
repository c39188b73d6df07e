#include "platform/posix/ini_text.h"

#include <limits>
#include <vector>

#include "base/decimal.h"

namespace tessaline {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

struct Line {
    std::string text;  // without its line end
    std::string end;   // "\n", "\r\n" or "" for a last line without one
};

struct ParsedText {
    std::string bom;
    std::vector<Line> lines;
};

ParsedText Split(const std::string& text) {
    ParsedText parsed;
    std::string::size_type start = 0;
    if (text.compare(0, 3, kByteOrderMark) == 0) {
        parsed.bom = kByteOrderMark;
        start = 3;
    }
    while (start < text.size()) {
        const std::string::size_type newline = text.find('\n', start);
        const std::string::size_type stop = newline == std::string::npos ? text.size() : newline;
        Line line;
        line.text = text.substr(start, stop - start);
        line.end = newline == std::string::npos ? "" : "\n";
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = "\r" + line.end;
        }
        parsed.lines.push_back(std::move(line));
        start = stop + 1;
    }
    return parsed;
}

std::string Trim(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const std::string::size_type last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::string::size_type i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

enum class Kind { Other, Header, Entry };

struct Classified {
    Kind kind = Kind::Other;
    std::string name;   // the section of a header, the name of an entry
    std::string value;  // an entry's value
};

Classified Classify(const std::string& raw) {
    Classified line;
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == ';' || text[0] == '#') {
        return line;
    }
    if (text[0] == '[') {
        const std::string::size_type close = text.find(']');
        if (close != std::string::npos) {
            line.kind = Kind::Header;
            line.name = Trim(text.substr(1, close - 1));
        }
        return line;
    }
    const std::string::size_type equals = text.find('=');
    if (equals != std::string::npos) {
        line.kind = Kind::Entry;
        line.name = Trim(text.substr(0, equals));
        line.value = Trim(text.substr(equals + 1));
    }
    return line;
}

// Where an entry is, or where it would go.
struct Place {
    std::optional<std::size_t> entry;       // the first matching entry line
    std::optional<std::size_t> sectionEnd;  // after the last entry of the first block
};

Place Locate(const std::vector<Line>& lines, const std::string& section, const std::string& entry) {
    Place place;
    bool inSection = false;
    bool inFirstBlock = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Classified line = Classify(lines[i].text);
        if (line.kind == Kind::Header) {
            inFirstBlock = !place.sectionEnd.has_value() && SameName(line.name, section);
            inSection = SameName(line.name, section);
            if (inFirstBlock) {
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection || line.kind != Kind::Entry) {
            continue;
        }
        if (inFirstBlock) {
            place.sectionEnd = i + 1;
        }
        if (!place.entry && SameName(line.name, entry)) {
            place.entry = i;
        }
    }
    return place;
}

}  // namespace

std::optional<std::string> FindIniValue(const std::string& text, const std::string& section,
                                        const std::string& entry) {
    const ParsedText parsed = Split(text);
    const Place place = Locate(parsed.lines, section, entry);
    if (!place.entry) {
        return std::nullopt;
    }
    return Classify(parsed.lines[*place.entry].text).value;
}

std::string SetIniValue(const std::string& text, const std::string& section,
                        const std::string& entry, const std::string& value) {
    ParsedText parsed = Split(text);
    // New lines end the way the file's first line does.
    const std::string end = parsed.lines.empty() || parsed.lines[0].end.empty()
                                ? std::string("\n")
                                : std::string(parsed.lines[0].end);
    const Place place = Locate(parsed.lines, section, entry);
    const Line entryLine{entry + "=" + value, end};
    if (place.entry) {
        parsed.lines[*place.entry].text = entryLine.text;
    } else {
        const std::size_t at = place.sectionEnd.value_or(parsed.lines.size());
        // A last line without a line end gets one before anything follows it.
        if (at == parsed.lines.size() && at > 0 && parsed.lines.back().end.empty()) {
            parsed.lines.back().end = end;
        }
        std::vector<Line> added;
        if (!place.sectionEnd) {
            added.push_back(Line{"[" + section + "]", end});
        }
        added.push_back(entryLine);
        parsed.lines.insert(parsed.lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(),
                            added.end());
    }
    std::string result = parsed.bom;
    for (const Line& line : parsed.lines) {
        result += line.text;
        result += line.end;
    }
    return result;
}

std::optional<std::int32_t> ParseInt32(const std::string& text) {
    const std::optional<std::int64_t> value =
        ParseDecimal(text, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), Sign::Allowed);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

}  // namespace tessaline
