#include "engine/files.h"

#include "engine/payload.h"
#include "toolkit/format.h"

#include <vector>

ELinkedPath::ELinkedPath(const std::string& link)
    : tk::Exception(tk::Format("%s is a link to another place, which the installer does not "
                               "write through. Remove the link, or choose another folder.",
                               link.c_str())) {}

std::string AddTrailingBackslash(const std::string& path) {
    if (path.empty()) return path;
    std::string result = path;
    if (result.back() != '\\') result += '\\';
    while (result.size() >= 2 && result[result.size() - 2] == '\\')
        result.pop_back();
    return result;
}

std::string StripTrailingBackslashes(const std::string& path) {
    std::string result = path;
    while (!result.empty() && result.back() == '\\')
        result.pop_back();
    return result;
}

void TrimAtFirstNul(std::string& text) {
    std::string::size_type nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
}

std::string SplitNextToken(std::string& text, const std::string& separator) {
    std::string::size_type split =
        separator.size() == 1 ? text.find(separator[0]) : text.find_first_of(separator);
    if (split == std::string::npos) {
        std::string token;
        token.swap(text);
        return token;
    }
    std::string token = text.substr(0, split);
    text.erase(0, split + 1);
    return token;
}

bool IsRootedFolder(const std::string& folder) {
    return (!folder.empty() && folder[0] == '\\') || (folder.size() >= 2 && folder[1] == ':');
}

std::string WithBackslashes(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool FolderNamesAreKept(const std::string& folder) {
    const std::string path = WithBackslashes(folder);
    std::string::size_type start = 0;
    while (start <= path.size()) {
        std::string::size_type end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (!name.empty() && name != "." && name != ".." &&
            (name.back() == ' ' || name.back() == '.'))
            return false;
        start = end + 1;
    }
    return true;
}

std::string NormalFolderPath(const std::string& path) {
    const std::string text = WithBackslashes(path);
    // The root, which ".." never climbs over: "\\" and the first two names (server and
    // share) of a network path, "c:\", "c:" (the drive's current folder), "\", or nothing.
    std::string root;
    std::string::size_type rest = 0;
    std::size_t fixed = 0;
    if (text.rfind("\\\\", 0) == 0) {
        root = "\\\\";
        rest = 2;
        fixed = 2;
    } else if (text.size() >= 2 && text[1] == ':' && text[0] != '\\') {
        rest = text.size() >= 3 && text[2] == '\\' ? 3 : 2;
        root = text.substr(0, rest);
    } else if (!text.empty() && text[0] == '\\') {
        root = "\\";
        rest = 1;
    }
    std::vector<std::string> names;
    for (std::string::size_type start = rest; start <= text.size();) {
        std::string::size_type end = text.find('\\', start);
        if (end == std::string::npos) end = text.size();
        const std::string name = text.substr(start, end - start);
        if (name == "..") {
            if (names.size() > fixed && names.back() != "..")
                names.pop_back();
            else if (root.empty())
                names.push_back(name);
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    std::string result = root;
    for (const std::string& name : names)
        result += name + '\\';
    result = result.empty() ? result : AddTrailingBackslash(result);
    // A relative path whose ".." took away the names before one like "a:..": the result
    // now reads as a drive's path, so it is read once more as one, which is final.
    if (root.empty() && result.size() >= 2 && result[1] == ':') return NormalFolderPath(result);
    return result;
}

std::string TemporaryFileName(const std::string& path) {
    return path + ".new";
}

std::string ParentPart(const std::string& path) {
    std::string::size_type last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

namespace {

// Creates `folder` and its missing parents, outermost first. Texts of one or two
// characters ("C:", "\a") and texts that are their own parent ("X:" after a device
// name) are treated as present, as they cannot be created one level at a time.
bool CreateFolderChain(FolderSystem& system, const std::string& folder,
                       std::vector<std::string>* created) {
    std::string path = StripTrailingBackslashes(folder);
    if (path.size() < 3 || system.DirectoryExists(path)) return true;
    std::string parent = ParentPart(path);
    if (parent == path) return true;
    if (!CreateFolderChain(system, parent, created) || !system.CreateFolder(path)) return false;
    if (created != nullptr) created->push_back(path);
    return true;
}

} // namespace

bool EnsureFolderIn(FolderSystem& system, std::string& folder, std::vector<std::string>* created) {
    if (folder.empty() || !FolderNamesAreKept(folder)) return false;
    const std::string given = WithBackslashes(folder);
    std::string used = IsRootedFolder(given) ? given
                                             : AddTrailingBackslash(system.CurrentDirectory()) +
                                                   StripTrailingBackslashes(given);
    if (!system.DirectoryExists(used)) {
        // The chain treats short texts such as "Q:" as present without looking; a
        // folder on a drive that does not exist must still not be reported as made.
        if (!CreateFolderChain(system, used, created) || !system.DirectoryExists(used))
            return false;
    }
    folder = used;
    return true;
}

namespace {

std::string (*nameFolding)(std::string_view) = nullptr;

} // namespace

void SetNameFolding(std::string (*rule)(std::string_view)) {
    nameFolding = rule;
}

std::string FoldedName(std::string_view text) {
    return nameFolding != nullptr ? nameFolding(text) : FileNameKey(text);
}

bool SameName(std::string_view a, std::string_view b) {
    return FoldedName(a) == FoldedName(b);
}
