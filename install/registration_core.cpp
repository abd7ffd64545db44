#include "install/registration.h"

#include "engine/files.h"
#include "resources/product.h"
#include "toolkit/format.h"

std::string ProductTitle() {
    return std::string(ProductName) + " " + ProductVersion;
}

std::vector<EntryValue> UninstallEntryValues(const std::string& folder, std::uint64_t bytes,
                                             std::uint32_t date) {
    const std::string uninstaller = "\"" + folder + UninstallerFile + "\"";
    std::vector<EntryValue> values;
    const auto text = [&values](const char* name, const std::string& value) {
        values.push_back({name, value, false, 0});
    };
    const auto number = [&values](const char* name, std::uint32_t value) {
        values.push_back({name, {}, true, value});
    };
    text("DisplayName", ProductTitle());
    text("DisplayVersion", ProductVersion);
    text("Publisher", ProductMaker);
    text("InstallLocation", folder);
    text("DisplayIcon", folder + ProductIconFile);
    text("UninstallString", uninstaller);
    text("QuietUninstallString", uninstaller + " /S");
    number("EstimatedSize", static_cast<std::uint32_t>((bytes + 1023) / 1024));
    text("InstallDate", tk::Format("%08lu", static_cast<unsigned long>(date)));
    number("NoModify", 1);
    number("NoRepair", 1);
    return values;
}

std::vector<std::string> MissingFolders(const std::string& folder,
                                        bool (*exists)(const std::string&)) {
    std::vector<std::string> missing;
    std::string path = StripTrailingBackslashes(WithBackslashes(folder));
    // Up to the drive root ("c:"), which is never made.
    while (path.size() > 2 && !exists(path)) {
        missing.insert(missing.begin(), path + "\\");
        const std::string parent = ParentPart(path);
        if (parent.empty()) break;
        path = StripTrailingBackslashes(parent);
    }
    return missing;
}

std::string AllUsersRefusedMessage() {
    return tk::Format("Installing %s for all users (/ALLUSERS) needs administrator rights. Run "
                      "the installer as an administrator, or without /ALLUSERS.",
                      ProductName);
}

std::string NotRegisteredMessage(const std::string& what, const std::string& reason) {
    return tk::Format("%s is installed, but it cannot be removed through Apps & Features: %s "
                      "could not be made.",
                      ProductName, what.c_str()) +
           (reason.empty() ? "" : "\r\n\r\n" + reason);
}
