#include "uninstall/uninstaller.h"

#include "engine/files.h"
#include "resources/product.h"
#include "toolkit/format.h"
#include "uninstall/entry.h"

namespace {

std::string OnePerLine(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "\r\n" + line;
    return text;
}

} // namespace

std::string RemoveQuestion(const std::string& folder) {
    return "Remove " + ProductTitle() + " from " + folder + "?";
}

std::string InUseMessage(const std::vector<std::string>& paths) {
    return "These cannot be removed now:\r\n" + OnePerLine(paths) +
           tk::Format("\r\n\r\nClose the programs that use them (DOSBox, %s), or run the "
                      "uninstaller as an administrator where that is needed, then click Retry. "
                      "Nothing has been removed.",
                      ProductName);
}

std::string DeniedMessage(const std::vector<std::string>& paths) {
    return "You may not remove these:\r\n" + OnePerLine(paths) +
           "\r\n\r\nRun the uninstaller as an administrator. Nothing has been removed.";
}

std::string EntryNotRemovedMessage(const std::string& folder, const std::string& entry,
                                   const std::string& reason) {
    return ProductTitle() + " was removed from " + folder + ", but its entry in Apps & " +
           "Features (" + entry + ") could not be deleted" +
           (reason.empty() ? std::string(".") : ": " + reason) +
           "\r\n\r\nStart the uninstaller again (as an administrator for an installation for "
           "all users) to finish the removal.";
}

RightsStep StepForRights(bool recordForAllUsers, bool administrator, bool silent) {
    if (!recordForAllUsers || administrator) return RightsStep::GoAhead;
    return silent ? RightsStep::Refuse : RightsStep::Elevate;
}

std::string AllUsersUninstallRefusedMessage(const std::string& folder) {
    return ProductTitle() + " in " + folder +
           " was installed for all users of this computer: only an administrator may remove "
           "it. Run the uninstaller as an administrator. Nothing was removed.";
}

std::string InPlaceLeftMessage(const std::string& uninstaller) {
    return "Everything else was removed, but the uninstaller could not remove itself (a "
           "running program cannot, and no copy of it could be started in the temporary "
           "folder): " +
           uninstaller +
           " and its folder are still there. Delete them, or start the uninstaller again once "
           "the temporary folder can be written.";
}

std::string UninstallCopyRefusedMessage() {
    return tk::Format("/UNINSTALLCOPY= is given by the %s uninstaller to the copy of itself "
                      "that it starts, and works there only. Nothing was done.",
                      ProductName);
}

std::string FolderBusyMessage(const std::string& folder) {
    return tk::Format("%s is being installed into or removed from %s by another program. Try "
                      "again when it has finished.",
                      ProductName, folder.c_str());
}

std::vector<std::string> KeptItems(const RemovalPlan& plan) {
    std::vector<std::string> kept;
    for (const auto* list : {&plan.keptChanged, &plan.keptExisted, &plan.keptAdded,
                             &plan.keptShortcuts, &plan.keptFolders})
        kept.insert(kept.end(), list->begin(), list->end());
    return kept;
}

std::string RemovedMessage(const std::string& folder, const RemovalPlan& plan) {
    std::string text = ProductTitle() + " was removed from " + folder + ".";
    const struct {
        const std::vector<std::string>& paths;
        const char* why;
    } groups[] = {
        {plan.keptChanged, "Kept, because they were changed since the install:"},
        {plan.keptExisted, "Kept, because they were there before the install:"},
        {plan.keptAdded, "Kept, because they were added since the install:"},
        {plan.keptShortcuts, "Kept, because they no longer start this installation:"},
        {plan.keptFolders, "Kept, because they still hold what was kept:"},
    };
    // A message box grows with its text: a few paths name what happened, the log has all.
    std::size_t shown = 0, left = 0;
    for (const auto& group : groups) {
        std::vector<std::string> some;
        for (const std::string& path : group.paths) {
            if (shown == KeptShownInMessage) {
                ++left;
                continue;
            }
            some.push_back(path);
            ++shown;
        }
        if (!some.empty()) text += std::string("\r\n\r\n") + group.why + OnePerLine(some);
    }
    if (left > 0)
        text += tk::Format("\r\n\r\n... and %lu more kept (the log, /LOG=, lists them all).",
                           static_cast<unsigned long>(left));
    return text;
}

bool IsUninstallerProgram(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/:");
    return SameName(slash == std::string::npos ? path : path.substr(slash + 1), UninstallerFile);
}
