// The install record as the uninstaller reads it: any text either raises EUnusableRecord
// or gives a record whose every path lies where the uninstaller may delete, which reads
// back the same once written, and whose removal plan deletes only what the record names.
#include "uninstall/uninstall_core.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const std::string kFolder = "c:\\corvane\\tq\\";

void Require(bool condition) {
    if (!condition) std::abort();
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    InstallRecord record;
    try {
        record = ParseInstallRecord(text, kFolder);
    } catch (const EUnusableRecord&) {
        return 0;
    }
    for (const RecordedFile& file : record.files)
        Require(file.name.find_first_of("\\/:") == std::string::npos && file.name != "..");
    for (const std::string& shortcut : record.shortcuts) {
        // A .lnk file named by its full path: a drive's or a share's, its name bare.
        const std::string lower = Lower(shortcut);
        Require((lower.size() > 3 && lower[1] == ':' && lower[2] == '\\') ||
                StartsWith(lower, "\\\\"));
        const std::string name = lower.substr(lower.rfind('\\') + 1);
        Require(name != ".." && name.ends_with(".lnk") && lower.find("\\..\\") == std::string::npos);
    }
    for (const std::string& folder : record.createdFolders)
        Require(StartsWith(kFolder, Lower(folder)) && folder.size() > 3);

    const InstallRecord back = ParseInstallRecord(FormatInstallRecord(record), kFolder);
    Require(FormatInstallRecord(back) == FormatInstallRecord(record));

    // Everything on disk as the record says, plus one file of the user's.
    DiskSnapshot disk;
    disk.installFolder.exists = true;
    for (const RecordedFile& file : record.files) {
        disk.files.push_back({true, false, false, file.size, file.sha256});
        disk.installFolder.items.push_back({file.name});
    }
    disk.installFolder.items.push_back({"mine.txt"});
    for (std::size_t i = 0; i < record.shortcuts.size(); ++i)
        disk.shortcuts.push_back({true, false, kFolder + "x.exe", "", {}, true});
    for (std::size_t i = 0; i < record.createdFolders.size(); ++i)
        disk.createdFolders.push_back({true, false, {}});
    const RemovalPlan plan = PlanRemoval(record, disk);
    std::size_t ours = 0;
    for (const RecordedFile& file : record.files)
        ours += file.existedBefore ? 0 : 1;
    Require(plan.deleteFiles.size() == ours);
    for (const std::string& path : plan.deleteFiles)
        Require(StartsWith(Lower(path), kFolder) &&
                path.find('\\', kFolder.size()) == std::string::npos);
    Require(plan.deleteShortcuts == record.shortcuts);
    // The folder as the record spells it, which is the uninstaller's in other letters.
    Require(Lower(record.folder) == kFolder);
    Require(plan.keptAdded == std::vector<std::string>{record.folder + "mine.txt"});
    // The folder keeps the user's file, so no created folder goes.
    Require(plan.removeFolders.empty() && !plan.Refused());
    return 0;
}
