#include "uninstall/entry.h"

#include "resources/product.h"
#include "toolkit/format.h"

std::string ProductTitle() {
    return ProductDisplayName;
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
