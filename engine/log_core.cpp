#include "engine/log.h"

#include "engine/files.h"
#include "toolkit/format.h"

std::string LogEntry(const std::string& stamp, const std::string& heading,
                     const std::string& text) {
    std::string title = heading;
    for (char& c : title)
        if (c == '\r' || c == '\n') c = ' ';
    std::string entry = stamp + "  " + title + "\r\n";
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

bool IsOneOf(const std::string& path, const std::vector<std::string>& files) {
    const std::string wanted = tk::AsciiLower(NormalFolderPath(path));
    for (const std::string& file : files)
        if (tk::AsciiLower(NormalFolderPath(file)) == wanted) return true;
    return false;
}

std::string LogIsInstalledFileMessage(const std::string& log) {
    return tk::Format("The log %s is one of the files that the installation writes. Name "
                      "another file after /LOG=.",
                      log.c_str());
}
