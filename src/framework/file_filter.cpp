#include "framework/file_filter.h"

namespace tessaline {

std::string DialogFilterFromPipes(std::string_view pipes) {
    std::string filter(pipes);
    for (char& c : filter) {
        if (c == '|') {
            c = '\0';
        }
    }
    return filter;
}

}  // namespace tessaline
