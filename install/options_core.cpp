#include "install/options.h"

#include "toolkit/format.h"

#include <algorithm>

namespace {

// What separates arguments; a line break at the end of a scripted line counts as a blank.
constexpr char Blanks[] = " \t\r\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Case-insensitive test that `text` starts with `prefix` (upper-case ASCII).
bool StartsWithSwitch(const std::string& text, const char* prefix) {
    return tk::AsciiUpper(text.substr(0, std::char_traits<char>::length(prefix))) == prefix;
}

std::string WithoutQuotes(const std::string& text) {
    std::string result;
    for (char c : text)
        if (c != '"') result += c;
    return result;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(Blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) + 1 - first);
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while ((i = text.find_first_not_of(Blanks, i)) != std::string::npos) {
        size_t end = text.find_first_of(Blanks, i);
        words.push_back(text.substr(i, end == std::string::npos ? end : end - i));
        i = end;
    }
    return words;
}

// The program's path: up to the closing quote when it starts with one, else up to the
// first blank. Returns where the arguments begin.
size_t SkipProgramPath(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        return close == std::string::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    return i;
}

// One argument starting at `i` (no leading blank): blanks inside double quotes belong to
// it, the quotes themselves are dropped. `i` moves past it.
std::string NextArgument(const std::string& line, size_t& i) {
    std::string argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else
            argument += line[i];
    }
    return argument;
}

// "/S", or a silent switch of another kind of installer that administrators type from habit
// (Inno Setup's /SILENT and /VERYSILENT, Windows Installer's /QUIET, /PASSIVE, /Q and /QN):
// each means that no window may open, so the deployment never waits on one.
bool IsSilentWord(const std::string& upper) {
    for (const char* word : {"/S", "/SILENT", "/VERYSILENT", "/QUIET", "/PASSIVE", "/Q", "/QN"})
        if (upper == word) return true;
    return false;
}

bool IsSwitchWord(const std::string& word) {
    std::string upper = tk::AsciiUpper(word);
    return IsSilentWord(upper) || upper == "/NOSHORTCUT" || upper == "/ALLUSERS" ||
           upper == "/ELEVATED" ||
           upper.rfind("/UNINSTALLCOPY=", 0) == 0 || upper.rfind("/LOG=", 0) == 0 ||
           upper.rfind("/DOSBOX=", 0) == 0 || upper.rfind("/D=", 0) == 0;
}

// A file value (of /LOG= or /DOSBOX=) that holds a switch word took in what was meant as
// another argument (a quote closed in the wrong place): refused rather than used.
void RefuseSwitchIn(const std::string& value, const char* name, std::string& error) {
    for (const std::string& word : Words(value))
        if (IsSwitchWord(word)) error = tk::Format("%s holds the switch %s", name, word.c_str());
}

} // namespace

std::string InstallOptions::Problem() const {
    if (!error.empty()) return error;
    if (!unknown.empty()) return "Unknown argument: " + unknown.front();
    return {};
}

InstallOptions ParseCommandLine(const std::string& line) {
    InstallOptions options;
    const size_t arguments = SkipProgramPath(line);
    size_t i = arguments;
    while (true) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size()) break;
        // /D= is taken from the raw text: the rest of the line is the folder.
        size_t marker = line[i] == '"' ? i + 1 : i;
        if (StartsWithSwitch(line.substr(marker), "/D=")) {
            options.hasFolder = true;
            options.folder = Trimmed(WithoutQuotes(line.substr(marker + 3)));
            if (options.folder.empty()) options.error = "No folder after /D=";
            // A folder name may hold " /s", but far more often a switch written after /D=
            // was meant as one: refuse rather than guess. A /S there still means that no
            // window may open.
            for (const std::string& word : Words(options.folder)) {
                if (!IsSwitchWord(word)) continue;
                options.error = "/D= must be the last argument";
                if (IsSilentWord(tk::AsciiUpper(word))) options.silent = true;
            }
            break;
        }
        std::string argument = NextArgument(line, i);
        std::string upper = tk::AsciiUpper(argument);
        if (IsSilentWord(upper)) {
            options.silent = true;
        } else if (upper == "/NOSHORTCUT") {
            options.noShortcut = true;
        } else if (upper == "/ALLUSERS") {
            options.allUsers = true;
        } else if (upper == "/ELEVATED") {
            options.elevated = true;
        } else if (upper.rfind("/UNINSTALLCOPY=", 0) == 0) {
            options.uninstallCopy = argument.substr(15);
        } else if (upper.rfind("/LOG=", 0) == 0) {
            if (!options.logFile.empty()) options.error = "/LOG= given more than once";
            options.logFile = argument.substr(5);
            if (options.logFile.empty()) options.error = "No file after /LOG=";
            RefuseSwitchIn(options.logFile, "/LOG=", options.error);
        } else if (upper.rfind("/DOSBOX=", 0) == 0) {
            options.dosBoxExe = argument.substr(8);
            if (options.dosBoxExe.empty()) options.error = "No file after /DOSBOX=";
            RefuseSwitchIn(options.dosBoxExe, "/DOSBOX=", options.error);
        } else {
            options.unknown.push_back(argument);
        }
    }
    // A /S that did not stand as an argument of its own ("a /S" in quotes, a log path
    // holding " /S ") still means that no window may open; the line is not used.
    if (!options.silent)
        for (const std::string& word : Words(WithoutQuotes(line.substr(arguments))))
            if (IsSilentWord(tk::AsciiUpper(word))) {
                options.silent = true;
                options.error = word + " inside another argument";
            }
    // A quote left open swallows the rest of the line into one argument, whatever it was
    // meant to be (a log path that takes in the /D= after it): nothing on it can be trusted.
    if (std::count(line.begin() + arguments, line.end(), '"') % 2 != 0)
        options.error = "A quote is not closed";
    return options;
}

RunMode RunModeOf(bool silentSwitch, bool systemAccount, bool visibleWindowStation,
                  unsigned long session, bool sessionZeroForServices) {
    if (silentSwitch) return RunMode::Silent;
    if (systemAccount) return RunMode::SilentAsSystem;
    if (!visibleWindowStation || (session == 0 && sessionZeroForServices))
        return RunMode::SilentNoDesktop;
    return RunMode::Windows;
}

std::string RunModeNote(RunMode mode) {
    switch (mode) {
    case RunMode::SilentAsSystem:
        return "Runs as with /S: started without it as the SYSTEM account, where nobody could "
               "answer a question";
    case RunMode::SilentNoDesktop:
        return "Runs as with /S: started without it where no user sees the desktop (session 0 "
               "or a window station that is not shown)";
    case RunMode::Windows:
    case RunMode::Silent:
        break;
    }
    return {};
}
