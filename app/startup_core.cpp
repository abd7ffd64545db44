#include "app/startup.h"

#include "resources/product.h"
#include "toolkit/format.h"

bool HasTestSwitch(const std::string& commandLine) {
    return tk::AsciiLower(commandLine).find("/t") != std::string::npos;
}

std::string NamedDosBoxMissingText(const std::string& path) {
    return "The DOSBox program given with /DOSBOX= does not exist:\n\n" + path;
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
