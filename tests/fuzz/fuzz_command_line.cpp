// libFuzzer target: a command line through the parser of the installer's switches and the
// entries of the install log, checked against properties rather than expected values:
//   - an accepted /D= folder is not empty, holds no quote, no blank or line break at either
//     end, and no switch word;
//   - a word "/S" after the program's path, wherever it stands, means silent and no progress
//     window;
//   - the text searched for the start-up check's "/t" holds it only where the line does;
//   - an accepted line closes every quote, and parses the same when written again from
//     its parts;
//   - every line of the log begins with its stamp and ends in CR LF;
//   - the folder's one spelling is its own one spelling.
// The first byte picks the program's path (quoted with blanks, or plain); the rest is the
// arguments.
#include "engine/files.h"
#include "engine/log.h"
#include "install/options.h"
#include "toolkit/format.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + ' ') {
        if (!IsBlank(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

bool IsSwitchWord(const std::string& word) {
    const std::string upper = tk::AsciiUpper(word);
    return upper == "/S" || upper == "/NOSHORTCUT" || upper == "/NOSTARTMENU" ||
           upper.rfind("/LOG=", 0) == 0 || upper.rfind("/D=", 0) == 0;
}

void Check(bool property) {
    if (!property) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string program =
        (data[0] & 1) != 0 ? "\"C:\\Setup Files\\PentaroSetup.exe\"" : "PentaroSetup.exe";
    const std::string arguments(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string line = program + " " + arguments;
    const InstallOptions options = ParseCommandLine(line);

    if (options.hasFolder && !options.Bad()) {
        Check(!options.folder.empty());
        Check(options.folder.find('"') == std::string::npos);
        Check(!IsBlank(options.folder.front()) && !IsBlank(options.folder.back()));
        for (const std::string& word : Words(options.folder))
            Check(!IsSwitchWord(word));
    }

    std::string unquoted;
    for (char c : arguments)
        if (c != '"') unquoted += c;
    for (const std::string& word : Words(unquoted))
        if (tk::AsciiUpper(word) == "/S") Check(options.silent && !options.showProgress);
    Check(!options.showProgress || options.silent);

    if (tk::AsciiLower(options.testSwitchText).find("/t") != std::string::npos)
        Check(tk::AsciiLower(line).find("/t") != std::string::npos);

    if (!options.Bad()) {
        Check(std::count(arguments.begin(), arguments.end(), '"') % 2 == 0);
        std::string again = program;
        if (options.silent) again += options.showProgress ? " /SILENT" : " /S";
        if (options.help) again += " /?";
        if (options.noShortcut) again += " /NOSHORTCUT";
        if (options.noStartMenu) again += " /NOSTARTMENU";
        if (!options.logFile.empty()) again += " \"/LOG=" + options.logFile + "\"";
        if (options.hasFolder) again += " /D=" + options.folder;
        const InstallOptions rebuilt = ParseCommandLine(again);
        Check(!rebuilt.Bad());
        Check(rebuilt.silent == options.silent && rebuilt.showProgress == options.showProgress &&
              rebuilt.help == options.help && rebuilt.noShortcut == options.noShortcut &&
              rebuilt.noStartMenu == options.noStartMenu &&
              rebuilt.logFile == options.logFile && rebuilt.hasFolder == options.hasFolder &&
              rebuilt.folder == options.folder);
    }

    const std::string folder = NormalFolderPath(options.folder);
    Check(NormalFolderPath(folder) == folder);

    // The entries an unattended install writes from the line.
    const std::string stamp = "2004-05-11 10:24:00";
    const std::string log =
        LogEntry(stamp, "Start: Pentaro 3.24 unattended install, command line: " + line) +
        LogEntry(stamp, "Command line: " + options.Problem()) +
        LogEntry(stamp, "Folder: " + folder) + LogEntry(stamp, "Message:", arguments);
    Check(log.size() >= 2 && log.compare(log.size() - 2, 2, "\r\n") == 0);
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find("\r\n", start);
        Check(end != std::string::npos);
        const std::string entry = log.substr(start, end - start);
        Check(entry.rfind(stamp + "  ", 0) == 0);
        Check(entry.find_first_of("\r\n") == std::string::npos);
        start = end + 2;
    }
    return 0;
}
