#include "install/run_core.h"

#include "engine/files.h"
#include "toolkit/format.h"

#include <algorithm>

int CatalogueCount(const std::string& catalogue) {
    return 1 + static_cast<int>(std::count(catalogue.begin(), catalogue.end(), ','));
}

std::string LoadErrorLine(const std::string& catalogueName, const std::string& fileName) {
    return tk::Format("\r\nError Reading resource item %s, Filename %s", catalogueName.c_str(),
                      fileName.c_str());
}

std::string LoadErrorList(const std::string& lines) {
    return lines.rfind("\r\n", 0) == 0 ? lines.substr(2) : lines;
}

std::string CancelMessage(int written, int count) {
    return tk::Format("Installation cancelled. %d of %d files were installed.", written, count);
}

std::string MenuProgramMessage() {
    return tk::Format(
        "\r\n\r\nTo run %s, start the Corvane Menu program,\r\nand click the %s icon.", ProductName,
        ProductMark);
}

std::string SuccessLine() {
    return tk::Format("%s, version %s, was installed successfully.", ProductName, ProductVersion);
}

std::string SiblingInstalledMessage() {
    return SuccessLine() + "\r\n\r\n" +
           tk::Format("To run %s, first run %s, then press the function key %s.", ProductName,
                      SiblingProductName, SiblingFunctionKey);
}

std::string ShortcutQuestion() {
    return SuccessLine() + "\n\n" +
           tk::Format("Normally %s is run from inside %s by pressing the function key, %s. "
                      "If you are not \ninstalling %s, you need a shortcut on the \ndesktop "
                      "to run this wheel program. \n\nClick NO if you do NOT want the %s shortcut "
                      "created.",
                      ProductName, SiblingProductName, SiblingFunctionKey, SiblingProductName,
                      ProductMark);
}

std::string DesktopIconMessage() {
    return tk::Format("To run %s, click the %s icon on your desktop.", ProductName, ProductMark);
}

std::string StartFromSiblingMessage() {
    return tk::Format("To run %s, start %s and press function key %s.", ProductName,
                      SiblingProductName, SiblingFunctionKey);
}

std::string WriteErrorMessage(const std::string& path, const std::string& reason) {
    return "Error writing file " + path + (reason.empty() ? "" : "\r\n\r\n" + reason);
}

std::string FolderErrorMessage(const std::string& folder, const std::string& reason) {
    return "Error creating folder " + folder + (reason.empty() ? "" : "\r\n\r\n" + reason);
}

std::string MenuProgramParent(const std::string& folder) {
    size_t end = folder.size();
    if (end > 0 && folder[end - 1] == '\\') --end;
    if (end == 0) return {};
    size_t slash = folder.rfind('\\', end - 1);
    if (slash == std::string::npos) return {};
    std::string parent = folder.substr(0, slash + 1);
    if (parent.size() < 4) return {};
    return parent;
}

std::string DriveRootOf(const std::string& windowsFolder) {
    const std::string::size_type slash = windowsFolder.find('\\');
    return slash == std::string::npos ? std::string() : windowsFolder.substr(0, slash + 1);
}

std::string ProposedFolderOn(const std::string& root, bool corvaneFolderExists) {
    return root + (corvaneFolderExists ? CorvaneFolder : "tq");
}

std::string KeptVersionsMessage(const std::vector<std::string>& kept) {
    std::string text = "These files were changed since the last installation. Your versions "
                       "were kept under new names, and the installed versions written:\r\n";
    for (const std::string& line : kept)
        text += "\r\n" + line;
    return text;
}

FolderAccessStep AccessStepFor(bool allUsers, bool folderExisted, bool usersMayChange) {
    if (!allUsers) return FolderAccessStep::Leave;
    if (usersMayChange) return FolderAccessStep::Refuse;
    return folderExisted ? FolderAccessStep::Leave : FolderAccessStep::Protect;
}

std::string OtherProgramsFileMessage(const std::string& folder, const std::string& path) {
    return tk::Format("%s was not installed into %s: %s belongs to another program, and the "
                      "installation would write its own over it, so that the other program "
                      "could no longer be removed. Choose another folder. Nothing was written.",
                      ProductName, folder.c_str(), path.c_str());
}

std::string FolderOpenToUsersMessage(const std::string& folder) {
    return tk::Format("%s was not installed for all users into %s: every user of this computer "
                      "may change what is in that folder, and the system would later run its "
                      "uninstaller from there. Choose a new folder (it is made so that only "
                      "administrators may change it) or one in Program Files.",
                      ProductName, folder.c_str());
}

std::string OpenToUsersMessage(const std::string& folder, const std::string& place) {
    if (place.size() < folder.size() && SameName(place, folder.substr(0, place.size())))
        return tk::Format(
            "%s was not installed for all users into %s: a user who is no administrator may "
            "change %s above it (rename or replace what is in it, or change its access), and the "
            "system would later run the uninstaller from below it. Choose a folder in Program "
            "Files, or one in a folder that only administrators may change.",
            ProductName, folder.c_str(), place.c_str());
    if (place.size() > folder.size())
        return tk::Format("%s was not installed for all users into %s: a user who is no "
                          "administrator may change %s in it, and the system would later run "
                          "the uninstaller from that folder. Choose a new folder (it is made so "
                          "that only administrators may change it) or one in Program Files.",
                          ProductName, folder.c_str(), place.c_str());
    return FolderOpenToUsersMessage(folder);
}
