#include "dosbox/shortcuts_core.h"

#include "dosbox/conf_core.h"
#include "resources/product.h"
#include "toolkit/format.h"

namespace {

char AsciiUpperChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Characters after which a letter stays small: those that continue a word.
bool ContinuesWord(char c) {
    return c == '-' || (c >= '1' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string WithReason(std::string text, const std::string& reason) {
    if (!reason.empty()) text += "\r\n\r\n" + reason;
    return text;
}

} // namespace

Shortcut DosBoxShortcut(const std::string& installFolder, const std::string& desktopFolder,
                        const std::string& dosBoxExePath, DosBoxBuild build) {
    Shortcut link;
    link.LinkPath = desktopFolder + DosBoxShortcutName() + ".lnk";
    link.Target = dosBoxExePath;
    link.Arguments = DosBoxLinkArguments(installFolder, build);
    link.WorkingFolder = SplitProgramPath(dosBoxExePath).Folder;
    link.Description = ProductName;
    link.IconPath = installFolder + ProductIconFile;
    return link;
}

Shortcut PrintShortcut(const std::string& installFolder, const std::string& desktopFolder) {
    Shortcut link;
    link.LinkPath = desktopFolder + kPrintLinkName;
    link.Target = installFolder + PrintUtilityFile;
    // Moved in from a string of its own: GCC 12 at -O3 takes the assignment of a
    // one-character literal for an overlapping copy (a false -Wrestrict warning).
    link.Arguments = std::string(PrintFile);
    link.WorkingFolder = installFolder;
    link.Description = kPrintLinkDescription;
    link.IconPath = installFolder + ProductIconFile;
    link.HotKey = kPrintLinkHotkey;
    return link;
}

Shortcut ProductShortcut(const std::string& installFolder, const std::string& desktopFolder) {
    Shortcut link;
    link.LinkPath = desktopFolder + kProductLinkName;
    link.Target = installFolder + ProductProgramFile;
    link.WorkingFolder = installFolder;
    link.Description = ProductName;
    link.IconPath = installFolder + ProductIconFile;
    return link;
}

std::string StartMenuLinkName() {
    return std::string(ProductDisplayName) + ".lnk";
}

Shortcut StartMenuShortcut(Shortcut desktopShortcut, const std::string& programsFolder) {
    desktopShortcut.LinkPath = programsFolder + StartMenuLinkName();
    return desktopShortcut;
}

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
    return CapitaliseWords(LowerBaseName(ProductIconFile)) + " DOSbox";
}

std::string DosBoxLinkArguments(const std::string& installFolder, DosBoxBuild build) {
    const char* onlyOurs = build == DosBoxBuild::Staging ? "--noprimaryconf --nolocalconf " : "";
    return std::string("-noconsole ") + onlyOurs + "-conf " +
           QuoteForDosBox(installFolder + kDosBoxConfName);
}

std::string DosBoxClosingMessage(const std::string& shortcutName) {
    return tk::Format("%s has been installed and shortcuts created to run it in DOSbox and another "
                      "to Print to File F.\r\r"
                      "Click the %s Icon to start %s.  To print from %s, choose \"print to file\" "
                      "and always name it the single letter \"f\".\n\n"
                      "To send the file F to the default printer,\n"
                      "    click \"Print F\" icon or \r"
                      "    press CTRL+ALT+P.",
                      ProductName, shortcutName.c_str(), ProductName, ProductName);
}

std::string ShortcutNotMadeMessage(const std::string& linkPath, const std::string& reason) {
    return WithReason("Could not create the shortcut " + linkPath, reason);
}

std::string FileNotWrittenMessage(const std::string& path, const std::string& reason) {
    return WithReason("Could not write the file " + path, reason);
}

std::string LinkedNameReason() {
    return "A link to another place stands under this name, and the installer does not write "
           "through links. Remove the link, then run the installer again.";
}
