#include "app/startup.h"

#include "resources/product.h"
#include "toolkit/format.h"

bool HasTestSwitch(const std::string& commandLine) {
    return tk::AsciiLower(commandLine).find("/t") != std::string::npos;
}

bool IsDosBoxEntry(unsigned long attributes, const std::string& name) {
    constexpr unsigned long hidden = 0x2; // FILE_ATTRIBUTE_HIDDEN
    constexpr unsigned long system = 0x4; // FILE_ATTRIBUTE_SYSTEM
    if (attributes & (hidden | system)) return false;
    return tk::AsciiLower(name).find("dosbox") != std::string::npos;
}

std::string DosBoxExeCandidate(const std::string& base, const std::string& entryName) {
    std::string folder = tk::AsciiLower(base + entryName);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder + "dosbox.exe";
}

std::string ApplicationTitle() {
    return tk::Format("%s Installer Version %s", ProductName, ProductVersion);
}

std::string DllLoadFailureText(const std::string& dll, const std::string& function,
                               unsigned long error) {
    std::string text = "The installer cannot run: the Windows system file " + dll;
    text += function.empty() ? " could not be loaded from the system folder"
                             : " has no function " + function;
    return text + " (error " + std::to_string(error) + ").";
}
