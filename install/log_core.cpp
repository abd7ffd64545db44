#include "install/log.h"

std::string LogEntry(const std::string& stamp, const std::string& heading,
                     const std::string& text) {
    std::string entry = stamp + "  " + heading + "\r\n";
    if (text.empty()) return entry;
    std::string line;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        entry += stamp + "  | " + line + "\r\n";
        line.clear();
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
    }
    return entry;
}
