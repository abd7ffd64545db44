#include "install/registration.h"

#include "engine/files.h"
#include "resources/product.h"
#include "toolkit/format.h"

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
