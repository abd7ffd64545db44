#include "dosbox/shortcuts_core.h"

#include "dosbox/conf_core.h"
#include "toolkit/format.h"

namespace {

char AsciiUpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Characters after which a letter stays small: those that continue a word.
bool ContinuesWord(char c) {
    return c == '-' || (c >= '1' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr char kProductName[] = "Pentaro";

} // namespace

std::string LowerBaseName(const std::string& path) {
    std::string name = tk::AsciiLower(SplitProgramPath(path).FileName);
    return name.substr(0, name.find('.'));
}

std::string CapitaliseWords(const std::string& text) {
    std::string result = tk::AsciiLower(text);
    for (std::string::size_type i = 0; i < result.size(); ++i) {
        if (i == 0 || !ContinuesWord(result[i - 1])) result[i] = AsciiUpperChar(result[i]);
    }
    return result;
}

std::string DosBoxShortcutName() {
    return CapitaliseWords(LowerBaseName(kProductIconName)) + " DOSbox";
}

std::string DosBoxLinkArguments(const std::string& installFolder) {
    return "-noconsole -conf " + QuoteForDosBox(installFolder + kDosBoxConfName);
}

std::string DosBoxClosingMessage(const std::string& shortcutName) {
    return tk::Format("%s has been installed and shortcuts created to run it in DOSbox and another "
                      "to Print to File F.\r\r"
                      "Click the %s Icon to start %s.  To print from %s, choose \"print to file\" "
                      "and always name it the single letter \"f\".\n\n"
                      "To send the file F to the default printer,\n"
                      "    click \"Print F\" icon or \r"
                      "    press CTRL+ALT+P.",
                      kProductName, shortcutName.c_str(), kProductName, kProductName);
}
