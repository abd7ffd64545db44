#include "dosbox/conf_core.h"

#include "engine/files.h"

ProgramPathParts SplitProgramPath(const std::string& path) {
    const std::string::size_type cut = path.find_last_of("\\:");
    if (cut == std::string::npos) return {std::string(), path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

std::string QuoteForDosBox(const std::string& path) {
    if (path.find(' ') == std::string::npos) return path;
    return '"' + path + '"';
}

namespace {

std::string DoublePercents(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        result += c;
        if (c == '%') result += '%';
    }
    return result;
}

} // namespace

std::string DosBoxAutoexec(const std::string& folder, const std::string& fileName) {
    return "mount c " + QuoteForDosBox(DoublePercents(StripTrailingBackslashes(folder))) +
           "\r\nc:\r\ndel f\r\n" + DoublePercents(fileName) + " /ns\r\nexit\r\n";
}

std::string BuildDosBoxConf(const std::string& confTemplate, const std::string& programPath) {
    const ProgramPathParts parts = SplitProgramPath(programPath);
    std::string text = confTemplate.substr(0, confTemplate.find("mount c "));
    text += DosBoxAutoexec(parts.Folder, parts.FileName);
    return text;
}
