#include "ui/dialogs.h"

#include "toolkit/dpi.h"

#include <algorithm>
#include <cstdio>

namespace {

bool Contains(const std::vector<int>& buttons, int code) {
    return std::find(buttons.begin(), buttons.end(), code) != buttons.end();
}

} // namespace

DialogDescription DescribeInfo(const std::string& caption, const std::string& text) {
    DialogDescription d;
    d.caption = caption;
    d.text = text;
    d.icon = DialogIcon::Information;
    d.buttons = {drOK};
    d.defaultButton = drOK;
    d.cancellable = false;
    return d;
}

DialogDescription DescribeMessageBox(const std::string& text, const std::string& caption,
                                     unsigned flags) {
    DialogDescription d;
    d.caption = caption;
    d.text = text;
    switch (flags & 0xF0) {
    case 0x10:
        d.icon = DialogIcon::Error;
        break;
    case 0x20:
        d.icon = DialogIcon::Question;
        break;
    case 0x30:
        d.icon = DialogIcon::Warning;
        break;
    case 0x40:
        d.icon = DialogIcon::Information;
        break;
    default:
        d.icon = DialogIcon::None;
        break;
    }
    switch (flags & 0x0F) {
    case 1:
        d.buttons = {drOK, drCancel};
        break;
    case 3:
        d.buttons = {drYes, drNo, drCancel};
        break;
    case 4:
        d.buttons = {drYes, drNo};
        break;
    case 5:
        d.buttons = {drRetry, drCancel};
        break;
    default:
        d.buttons = {drOK};
        break;
    }
    std::size_t index = (flags & 0x300) >> 8;
    d.defaultButton = index < d.buttons.size() ? d.buttons[index] : d.buttons.front();
    d.cancellable = Contains(d.buttons, drCancel);
    return d;
}

DialogDescription DescribeAskDialog(const std::string& text, int type, int buttons) {
    DialogDescription d;
    d.text = text;
    switch (type) {
    case dtWarning:
        d.caption = "Warning";
        d.icon = DialogIcon::Warning;
        break;
    case dtError:
        d.caption = "Error";
        d.icon = DialogIcon::Error;
        break;
    case dtInformation:
        d.caption = "Information";
        d.icon = DialogIcon::Information;
        break;
    case dtConfirmation:
        d.caption = "Confirm";
        d.icon = DialogIcon::Question;
        break;
    default:
        break;
    }
    if (buttons & dbOK) d.buttons.push_back(drOK);
    if (buttons & dbYes) d.buttons.push_back(drYes);
    if (buttons & dbNo) d.buttons.push_back(drNo);
    if (buttons & dbCancel) d.buttons.push_back(drCancel);
    if (d.buttons.empty()) d.buttons.push_back(drOK);
    d.defaultButton = d.buttons.front();
    d.cancellable = true;
    return d;
}

std::string DefaultDialogCaption(const std::string& exePath) {
    std::string::size_type slash = exePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    std::string::size_type dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string WithCrLfBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            result += "\r\n";
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

std::string ButtonCaption(int code) {
    switch (code) {
    case drOK:
        return "OK";
    case drCancel:
        return "Cancel";
    case drYes:
        return "&Yes";
    case drNo:
        return "&No";
    case drRetry:
        return "&Retry";
    default:
        return std::string();
    }
}

DialogLayout LayoutDialog(int textWidth, int textHeight, bool hasIcon, int iconSize,
                          int buttonCount, int buttonWidth, int buttonHeight, int dpi) {
    // Spacing in pixels at 96 dpi, close to the system's own message boxes.
    const int margin = tk::Scale(11, dpi);
    const int gap = tk::Scale(7, dpi);
    const int aboveButtons = tk::Scale(14, dpi);
    const int minimumWidth = tk::Scale(180, dpi);

    DialogLayout layout;
    int textLeft = margin;
    if (hasIcon) {
        layout.icon = {margin, margin, iconSize, iconSize};
        textLeft += iconSize + margin;
    }
    int contentHeight = std::max(textHeight, hasIcon ? iconSize : 0);
    // A short text sits level with the middle of the icon.
    int textTop = margin + (contentHeight - textHeight) / 2;
    layout.text = {textLeft, textTop, textWidth, textHeight};

    int rowWidth = buttonCount * buttonWidth + std::max(buttonCount - 1, 0) * gap;
    layout.clientWidth =
        std::max({textLeft + textWidth + margin, rowWidth + 2 * margin, minimumWidth});
    int buttonsTop = margin + contentHeight + aboveButtons;
    layout.clientHeight = buttonsTop + buttonHeight + margin;
    int x = layout.clientWidth - margin - rowWidth;
    for (int i = 0; i < buttonCount; ++i) {
        layout.buttons.push_back({x, buttonsTop, buttonWidth, buttonHeight});
        x += buttonWidth + gap;
    }
    return layout;
}
