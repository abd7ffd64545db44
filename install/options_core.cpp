#include "install/options.h"

#include "engine/exit_code.h"
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
// (Inno Setup's /VERYSILENT, Windows Installer's /QUIET, /Q and /QN): each means that no
// window may open, so the deployment never waits on one.
bool IsWindowlessWord(const std::string& upper) {
    for (const char* word : {"/S", "/VERYSILENT", "/QUIET", "/Q", "/QN"})
        if (upper == word) return true;
    return false;
}

// Inno Setup's /SILENT and Windows Installer's /PASSIVE: unattended, with the progress
// window and nothing else.
bool IsProgressWord(const std::string& upper) {
    return upper == "/SILENT" || upper == "/PASSIVE";
}

bool IsSilentWord(const std::string& upper) {
    return IsWindowlessWord(upper) || IsProgressWord(upper);
}

// Switches of other installers that administrators type from habit and that ask for what
// this installer does anyway: no message boxes when unattended, no restart, no prompt to
// close programs, no Cancel. Inno Setup's, and /NORESTART also Windows Installer's.
bool IsHabitWord(const std::string& upper) {
    for (const char* word :
         {"/SUPPRESSMSGBOXES", "/NORESTART", "/SP-", "/NOCANCEL", "/CLOSEAPPLICATIONS",
          "/NOCLOSEAPPLICATIONS", "/NORESTARTAPPLICATIONS"})
        if (upper == word) return true;
    return false;
}

bool IsHelpWord(const std::string& upper) {
    return upper == "/?" || upper == "/H" || upper == "/HELP";
}

bool IsSwitchWord(const std::string& word) {
    std::string upper = tk::AsciiUpper(word);
    return IsSilentWord(upper) || IsHabitWord(upper) || IsHelpWord(upper) ||
           upper == "/NOSHORTCUT" || upper == "/NOSTARTMENU" || upper == "/ALLUSERS" ||
           upper.rfind("/UNINSTALLCOPY=", 0) == 0 || upper.rfind("/LOG=", 0) == 0 ||
           upper.rfind("/DOSBOX=", 0) == 0 || upper.rfind("/D=", 0) == 0;
}

// A file value (of /LOG= or /DOSBOX=) that holds a switch word took in what was meant as
// another argument (a quote closed in the wrong place): refused rather than used.
void RefuseSwitchIn(const std::string& value, const char* name, std::string& error) {
    for (const std::string& word : Words(value))
        if (IsSwitchWord(word)) error = tk::Format("%s holds the switch %s", name, word.c_str());
}

// What the "/t" search sees of a value (raw, quotes and all): only its later words that
// begin with '/', which were written as switches; the path itself is not searched.
std::string SwitchesInValue(const std::string& value) {
    std::string kept;
    const std::vector<std::string> words = Words(value);
    for (size_t w = 1; w < words.size(); ++w) {
        const size_t start = words[w].find_first_not_of('"');
        if (start != std::string::npos && words[w][start] == '/') kept += " " + words[w];
    }
    return kept;
}

// The raw text of an argument with a value (`raw` from its first character, a quote
// included) as the "/t" search sees it: up to the '=' as written, then SwitchesInValue.
std::string ValueSwitchForTest(const std::string& raw) {
    const size_t equals = raw.find('=');
    if (equals == std::string::npos) return raw;
    return raw.substr(0, equals + 1) + SwitchesInValue(raw.substr(equals + 1));
}

// An unquoted /LOG= or /DOSBOX= (`name`) and the words that followed it (`path`, blanks
// between): when words did follow, a path with blanks that was cut at the first one, which
// the log asks to quote. Clears both.
void RefuseCutPath(std::string& name, std::string& path, InstallOptions& options) {
    if (path.find(' ') != std::string::npos) {
        options.pathCut = true;
        options.error = tk::Format("The path after %s has blanks: quote the whole switch, as in "
                                   "\"%s%s\"",
                                   name.c_str(), name.c_str(), path.c_str());
    }
    name.clear();
    path.clear();
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
    options.testSwitchText = line.substr(0, arguments);
    bool windowless = false;
    // An unquoted /LOG= or /DOSBOX= just before, and the words that followed it: a path
    // with blanks that was not quoted, cut at its first blank.
    std::string cutSwitch;
    std::string cutPath;
    size_t i = arguments;
    while (true) {
        const size_t blanks = i;
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        options.testSwitchText += line.substr(blanks, i - blanks);
        if (i >= line.size()) break;
        // /D= is taken from the raw text: the rest of the line is the folder.
        size_t marker = line[i] == '"' ? i + 1 : i;
        if (StartsWithSwitch(line.substr(marker), "/D=")) {
            options.hasFolder = true;
            options.folder = Trimmed(WithoutQuotes(line.substr(marker + 3)));
            options.testSwitchText += ValueSwitchForTest(line.substr(i));
            if (options.folder.empty()) options.error = "No folder after /D=";
            // A folder name may hold " /s", but far more often a switch written after /D=
            // was meant as one: refuse rather than guess. A /S there still means that no
            // window may open.
            for (const std::string& word : Words(options.folder)) {
                if (!IsSwitchWord(word)) continue;
                options.error = "/D= must be the last argument";
                const std::string upper = tk::AsciiUpper(word);
                if (IsSilentWord(upper)) options.silent = true;
                if (IsWindowlessWord(upper)) windowless = true;
            }
            break;
        }
        const size_t start = i;
        std::string argument = NextArgument(line, i);
        const std::string raw = line.substr(start, i - start);
        std::string upper = tk::AsciiUpper(argument);
        const bool quoted = raw.find('"') != std::string::npos;
        // What follows an unquoted path is taken as the rest of it, up to the next switch.
        if (!cutSwitch.empty() && !quoted && argument.rfind('/', 0) != 0) {
            cutPath += " " + argument;
            continue;
        }
        RefuseCutPath(cutSwitch, cutPath, options);
        bool value = false;
        if (IsSilentWord(upper)) {
            options.silent = true;
            if (IsProgressWord(upper))
                options.showProgress = true;
            else
                windowless = true;
        } else if (IsHabitWord(upper)) {
            options.ignored.push_back(argument);
        } else if (IsHelpWord(upper)) {
            options.help = true;
        } else if (upper == "/NOSHORTCUT") {
            options.noShortcut = true;
        } else if (upper == "/NOSTARTMENU") {
            options.noStartMenu = true;
        } else if (upper == "/ALLUSERS") {
            options.allUsers = true;
        } else if (upper.rfind("/UNINSTALLCOPY=", 0) == 0) {
            options.uninstallCopy = argument.substr(15);
        } else if (upper.rfind("/LOG=", 0) == 0) {
            value = true;
            if (!options.logFile.empty()) options.error = "/LOG= given more than once";
            options.logFile = argument.substr(5);
            if (options.logFile.empty()) options.error = "No file after /LOG=";
            RefuseSwitchIn(options.logFile, "/LOG=", options.error);
            if (!quoted && !options.logFile.empty()) cutSwitch = "/LOG=";
        } else if (upper.rfind("/DOSBOX=", 0) == 0) {
            value = true;
            options.dosBoxExe = argument.substr(8);
            if (options.dosBoxExe.empty()) options.error = "No file after /DOSBOX=";
            RefuseSwitchIn(options.dosBoxExe, "/DOSBOX=", options.error);
            if (!quoted && !options.dosBoxExe.empty()) cutSwitch = "/DOSBOX=";
        } else {
            options.unknown.push_back(argument);
        }
        if (!cutSwitch.empty()) cutPath = argument.substr(cutSwitch.size());
        options.testSwitchText += value ? ValueSwitchForTest(raw) : raw;
    }
    RefuseCutPath(cutSwitch, cutPath, options);
    // A /S that did not stand as an argument of its own ("a /S" in quotes, a log path
    // holding " /S ") still means that no window may open; the line is not used.
    for (const std::string& word : Words(WithoutQuotes(line.substr(arguments)))) {
        const std::string upper = tk::AsciiUpper(word);
        if (IsWindowlessWord(upper)) windowless = true;
        if (!options.silent && IsSilentWord(upper)) {
            options.silent = true;
            options.error = word + " inside another argument";
        }
    }
    // Any windowless switch on the line wins over a progress window.
    if (windowless) options.showProgress = false;
    // A quote left open swallows the rest of the line into one argument, whatever it was
    // meant to be (a log path that takes in the /D= after it): nothing on it can be trusted.
    if (std::count(line.begin() + arguments, line.end(), '"') % 2 != 0)
        options.error = "A quote is not closed";
    return options;
}

std::string UsageText(const std::string& program) {
    // Short lines: a message box shows them unwrapped, and the screen holds all of them.
    std::string text = program + " [switches] [/D=folder]\r\n\r\n";
    for (const char* line : {
             "/S  no window; the outcome is the exit code",
             "/SILENT  the progress window alone, no question",
             "/NOSHORTCUT  no desktop shortcut (32-bit Windows)",
             "/NOSTARTMENU  no Start-menu entry",
             "/ALLUSERS  for all users (administrators only)",
             "\"/LOG=file\"  appends a log to the file",
             "\"/DOSBOX=file\"  the DOSBox program (64-bit Windows)",
             "/D=folder  the install folder: last, no quotes",
             "/?  this message",
             "",
             "Any case. /VERYSILENT, /QUIET, /Q and /QN mean /S, /PASSIVE means /SILENT; "
             "/SUPPRESSMSGBOXES, /NORESTART, /SP-, /NOCANCEL, /CLOSEAPPLICATIONS, "
             "/NOCLOSEAPPLICATIONS and /NORESTARTAPPLICATIONS change nothing.",
             "",
             "Exit codes (0 alone means installed):",
         })
        text += std::string(line) + "\r\n";
    std::string codes;
    for (int value = 0;; ++value) {
        const char* name = ExitCodeName(static_cast<ExitCode>(value));
        if (name[0] == '?') break;
        codes += tk::Format("%s%d %s", codes.empty() ? "" : ", ", value, name);
    }
    return text + codes + ".\r\n";
}
