#include "ui/dialogs.h"

#include "toolkit/format.h"

#include <gtest/gtest.h>

using Buttons = std::vector<int>;

TEST(DescribeMessageBox, StartupWarningFlags) {
    // MB_OKCANCEL | MB_ICONEXCLAMATION: the start-up warning.
    DialogDescription d = DescribeMessageBox("text", "Helmstar355 Installer", 0x31);
    EXPECT_EQ(d.icon, DialogIcon::Warning);
    EXPECT_EQ(d.buttons, (Buttons{drOK, drCancel}));
    EXPECT_EQ(d.defaultButton, drOK);
    EXPECT_TRUE(d.cancellable);
    EXPECT_EQ(d.caption, "Helmstar355 Installer");
    EXPECT_EQ(d.text, "text");
}

TEST(DescribeMessageBox, IconsButtonsAndDefaults) {
    EXPECT_EQ(DescribeMessageBox("", "", 0x10).icon, DialogIcon::Error);
    EXPECT_EQ(DescribeMessageBox("", "", 0x20).icon, DialogIcon::Question);
    EXPECT_EQ(DescribeMessageBox("", "", 0x40).icon, DialogIcon::Information);
    EXPECT_EQ(DescribeMessageBox("", "", 0x00).icon, DialogIcon::None);
    EXPECT_EQ(DescribeMessageBox("", "", 0x50).icon, DialogIcon::None);

    DialogDescription ok = DescribeMessageBox("", "", 0x00);
    EXPECT_EQ(ok.buttons, Buttons{drOK});
    EXPECT_FALSE(ok.cancellable);

    DialogDescription ync = DescribeMessageBox("", "", 0x203); // MB_YESNOCANCEL | MB_DEFBUTTON3
    EXPECT_EQ(ync.buttons, (Buttons{drYes, drNo, drCancel}));
    EXPECT_EQ(ync.defaultButton, drCancel);
    EXPECT_TRUE(ync.cancellable);

    DialogDescription yn = DescribeMessageBox("", "", 0x104); // MB_YESNO | MB_DEFBUTTON2
    EXPECT_EQ(yn.buttons, (Buttons{drYes, drNo}));
    EXPECT_EQ(yn.defaultButton, drNo);
    EXPECT_FALSE(yn.cancellable);

    DialogDescription rc = DescribeMessageBox("", "", 0x35); // MB_RETRYCANCEL | MB_ICONWARNING
    EXPECT_EQ(rc.buttons, (Buttons{drRetry, drCancel}));
    EXPECT_EQ(rc.defaultButton, drRetry);
    EXPECT_TRUE(rc.cancellable);

    // A default beyond the buttons shown falls back to the first one.
    EXPECT_EQ(DescribeMessageBox("", "", 0x204).defaultButton, drYes);
    EXPECT_EQ(DescribeMessageBox("", "", 0x301).defaultButton, drOK);
    // Button codes the installer never uses show OK alone.
    EXPECT_EQ(DescribeMessageBox("", "", 0x02).buttons, Buttons{drOK});
}

TEST(DescribeAskDialog, TypesFixCaptionAndIcon) {
    struct Case {
        int type;
        const char* caption;
        DialogIcon icon;
    } cases[] = {{dtWarning, "Warning", DialogIcon::Warning},
                 {dtError, "Error", DialogIcon::Error},
                 {dtInformation, "Information", DialogIcon::Information},
                 {dtConfirmation, "Confirm", DialogIcon::Question},
                 {dtCustom, "", DialogIcon::None}};
    for (const Case& c : cases) {
        DialogDescription d = DescribeAskDialog("q", c.type, dbYes | dbNo);
        EXPECT_EQ(d.caption, c.caption) << c.type;
        EXPECT_EQ(d.icon, c.icon) << c.type;
    }
}

TEST(DescribeAskDialog, ButtonsInShownOrderFirstIsDefaultAlwaysCancellable) {
    DialogDescription yn = DescribeAskDialog("q", dtWarning, dbYes | dbNo);
    EXPECT_EQ(yn.buttons, (Buttons{drYes, drNo}));
    EXPECT_EQ(yn.defaultButton, drYes);
    EXPECT_TRUE(yn.cancellable);

    DialogDescription all = DescribeAskDialog("q", dtWarning, dbCancel | dbNo | dbYes | dbOK);
    EXPECT_EQ(all.buttons, (Buttons{drOK, drYes, drNo, drCancel}));
    EXPECT_EQ(all.defaultButton, drOK);

    DialogDescription none = DescribeAskDialog("q", dtWarning, 0);
    EXPECT_EQ(none.buttons, Buttons{drOK});
    EXPECT_TRUE(none.cancellable);
}

TEST(DescribeInfo, SingleOkNotCancellable) {
    DialogDescription d = DescribeInfo("", "Install Directory is not on a valid device.");
    EXPECT_EQ(d.icon, DialogIcon::Information);
    EXPECT_EQ(d.buttons, Buttons{drOK});
    EXPECT_EQ(d.defaultButton, drOK);
    EXPECT_FALSE(d.cancellable);
    EXPECT_EQ(d.caption, "");
}

TEST(DefaultDialogCaption, ExeNameWithoutExtension) {
    EXPECT_EQ(DefaultDialogCaption("C:\\cd\\PentaroSetup.exe"), "PentaroSetup");
    EXPECT_EQ(DefaultDialogCaption("Z:\\build.dir\\setup"), "setup");
    EXPECT_EQ(DefaultDialogCaption("D:\\my.setup.v2.exe"), "my.setup.v2");
    EXPECT_EQ(DefaultDialogCaption("plain.exe"), "plain");
}

TEST(WithCrLfBreaks, EveryBreakBecomesCrLf) {
    EXPECT_EQ(WithCrLfBreaks("a\n\nb"), "a\r\n\r\nb");
    EXPECT_EQ(WithCrLfBreaks("a\r\nb\rc\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(WithCrLfBreaks("no breaks"), "no breaks");
}

namespace {
std::string Formatted(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = tk::FormatV(format, args);
    va_end(args);
    return text;
}
} // namespace

TEST(FormatV, FillsPlaceholders) {
    EXPECT_EQ(Formatted("%s was not installed.", "Pentaro"), "Pentaro was not installed.");
    EXPECT_EQ(Formatted("Files: %d of %d", 3, 10), "Files: 3 of 10");
    EXPECT_EQ(Formatted("%s", ""), "");
    std::string longText(5000, 'x');
    EXPECT_EQ(Formatted("%s!", longText.c_str()), longText + "!");
}

TEST(LayoutDialog, AtTwiceTheScaleEverythingIsTwiceAsFar) {
    // Text, icon and buttons measured at 192 dpi are twice their 96-dpi size; so must be
    // every place and the spacing between them.
    DialogLayout small = LayoutDialog(300, 39, true, 32, 2, 75, 23);
    DialogLayout large = LayoutDialog(600, 78, true, 64, 2, 150, 46, 192);
    auto twice = [](DialogRect r) {
        return std::vector<int>{2 * r.left, 2 * r.top, 2 * r.width, 2 * r.height};
    };
    auto same = [](DialogRect r) { return std::vector<int>{r.left, r.top, r.width, r.height}; };
    EXPECT_EQ(large.clientWidth, 2 * small.clientWidth);
    EXPECT_EQ(large.clientHeight, 2 * small.clientHeight);
    EXPECT_EQ(same(large.icon), twice(small.icon));
    EXPECT_EQ(same(large.text), twice(small.text));
    ASSERT_EQ(large.buttons.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(same(large.buttons[i]), twice(small.buttons[i])) << i;
}

TEST(LayoutDialog, EverythingFitsAndButtonsAreInOrder) {
    DialogLayout l = LayoutDialog(400, 60, true, 32, 2, 75, 23);
    // Text right of the icon, inside the client area.
    EXPECT_GE(l.text.left, l.icon.left + l.icon.width);
    EXPECT_LE(l.text.left + l.text.width, l.clientWidth);
    ASSERT_EQ(l.buttons.size(), 2u);
    EXPECT_LT(l.buttons[0].left + l.buttons[0].width, l.buttons[1].left);
    EXPECT_LE(l.buttons[1].left + l.buttons[1].width, l.clientWidth);
    EXPECT_GE(l.buttons[0].top, l.text.top + l.text.height);
    EXPECT_LE(l.buttons[0].top + l.buttons[0].height, l.clientHeight);

    // A one-line text beside the icon is centred on it; buttons still below the icon.
    DialogLayout s = LayoutDialog(100, 14, true, 32, 1, 75, 23);
    EXPECT_EQ(s.text.top + s.text.height / 2, s.icon.top + s.icon.height / 2);
    EXPECT_GE(s.buttons[0].top, s.icon.top + s.icon.height);

    // Many wide buttons widen the dialog beyond a short text.
    DialogLayout w = LayoutDialog(20, 14, false, 32, 4, 90, 23);
    EXPECT_GE(w.buttons[0].left, 0);
    EXPECT_GE(w.clientWidth, 4 * 90);
}
