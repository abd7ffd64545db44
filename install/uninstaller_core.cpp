#include "install/uninstaller.h"

#include "install/registration.h"
#include "resources/product.h"
#include "toolkit/format.h"

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

std::vector<std::string> KeptItems(const RemovalPlan& plan) {
    std::vector<std::string> kept;
    for (const auto* list :
         {&plan.keptChanged, &plan.keptAdded, &plan.keptShortcuts, &plan.keptFolders})
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
        {plan.keptAdded, "Kept, because they were added since the install:"},
        {plan.keptShortcuts, "Kept, because they no longer start this installation:"},
        {plan.keptFolders, "Kept, because they still hold what was kept:"},
    };
    for (const auto& group : groups)
        if (!group.paths.empty())
            text += std::string("\r\n\r\n") + group.why + OnePerLine(group.paths);
    return text;
}

bool IsUninstallerProgram(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/:");
    const std::string name =
        tk::AsciiUpper(slash == std::string::npos ? path : path.substr(slash + 1));
    return name == tk::AsciiUpper(UninstallerFile);
}
