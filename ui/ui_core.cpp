#include "ui/ui_core.h"

#include "toolkit/format.h"

int CenteredLeft(int parentWidth, int ownWidth) {
    return (parentWidth - ownWidth) / 2;
}

std::string FormatThousands(std::uint32_t value, const std::string& separator) {
    std::string digits = std::to_string(value);
    std::string result;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) result += separator;
        result += digits[i];
    }
    return result;
}

std::string BytesDoneText(std::uint32_t done, std::uint32_t total, const std::string& separator) {
    return FormatThousands(done, separator) + " of " + FormatThousands(total, separator) + " bytes";
}

std::string InstallRoot(const std::string& folder) {
    return folder.substr(0, 3);
}

bool IsDriveRoot(const std::string& root) {
    if (root.size() < 2 || root.size() > 3 || root[1] != ':') return false;
    if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return false;
    char letter = root[0];
    return (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
}

std::string UnusableFolderMessage(const std::string& shown) {
    return tk::Format("The folder name %s contains characters that cannot be used here. Please "
                      "choose another folder.",
                      shown.c_str());
}

bool IsInstallableDriveType(unsigned driveType) {
    return driveType >= 2 && driveType <= 4;
}

int LogoFontHeight(int height, int penWidth) {
    return height - (penWidth * 9) / 2 - 1;
}

int LogoTextLeft(int width, int textWidth) {
    return (width - textWidth + 1) / 2;
}

int LogoTextTop(int height, int textHeight) {
    return (height - textHeight) / 2;
}
