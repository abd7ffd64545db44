#include "dosbox/shortcuts_core.h"

#include <gtest/gtest.h>

TEST(LowerBaseName, TakesTheNameBeforeItsFirstDotInLowerCase) {
    EXPECT_EQ(LowerBaseName("C:\\Dir\\Penta.Ico"), "penta");
    EXPECT_EQ(LowerBaseName("readme"), "readme");
    EXPECT_EQ(LowerBaseName("a.b.c"), "a");
    EXPECT_EQ(LowerBaseName("D:Penta.ico"), "penta");
    EXPECT_EQ(LowerBaseName("C:\\Dot.Dir\\NoExt"), "noext");
    EXPECT_EQ(LowerBaseName("C:\\Dir\\"), "");
    // Only ASCII letters change case: code-page letters stay as they are.
    EXPECT_EQ(LowerBaseName("\xC4PFEL.ICO"), "\xC4pfel");
}

TEST(CapitaliseWords, RaisesTheFirstLetterOfEachWord) {
    EXPECT_EQ(CapitaliseWords("penta"), "Penta");
    EXPECT_EQ(CapitaliseWords("my-tool_x"), "My-tool_X");
    EXPECT_EQ(CapitaliseWords("a0b"), "A0B");
    EXPECT_EQ(CapitaliseWords("a1b"), "A1b");
    EXPECT_EQ(CapitaliseWords("PENTA DOSBOX"), "Penta Dosbox");
    EXPECT_EQ(CapitaliseWords("a9z.x"), "A9z.X");
    EXPECT_EQ(CapitaliseWords(""), "");
    EXPECT_EQ(CapitaliseWords("  x"), "  X");
    EXPECT_EQ(CapitaliseWords("\xE9t\xE9"), "\xE9T\xE9");
}

TEST(DosBoxShortcut, NameAndArguments) {
    const auto plain = DosBoxBuild::ConfOnly, staging = DosBoxBuild::Staging;
    EXPECT_EQ(DosBoxShortcutName(), "Penta DOSbox");
    EXPECT_EQ(DosBoxLinkArguments("C:\\pentaro\\", plain),
              "-noconsole -conf C:\\pentaro\\dosbox.conf");
    // Unquoted, DOSBox would look for "C:\My" and silently start with its defaults.
    EXPECT_EQ(DosBoxLinkArguments("C:\\My Games\\Pentaro\\", plain),
              "-noconsole -conf \"C:\\My Games\\Pentaro\\dosbox.conf\"");
    // Staging reads our file alone only when told so, before the file is named.
    EXPECT_EQ(DosBoxLinkArguments("C:\\pentaro\\", staging),
              "-noconsole --noprimaryconf --nolocalconf -conf C:\\pentaro\\dosbox.conf");
    EXPECT_EQ(DosBoxLinkArguments("C:\\My Games\\", staging),
              "-noconsole --noprimaryconf --nolocalconf -conf \"C:\\My Games\\dosbox.conf\"");
}

TEST(DosBoxClosingMessage, KeepsItsMixedLineEnds) {
    EXPECT_EQ(DosBoxClosingMessage("Penta DOSbox"),
              "Pentaro has been installed and shortcuts created to run it in DOSbox and another "
              "to Print to File F.\r\r"
              "Click the Penta DOSbox Icon to start Pentaro.  To print from Pentaro, choose "
              "\"print to file\" and always name it the single letter \"f\".\n\n"
              "To send the file F to the default printer,\n"
              "    click \"Print F\" icon or \r"
              "    press CTRL+ALT+P.");
    // Percent signs in the name are text, not formatting.
    EXPECT_NE(DosBoxClosingMessage("100%s").find("Click the 100%s Icon"), std::string::npos);
}

// The three shortcuts against the installer's table of them.
TEST(ShortcutRows, DosBoxPrintAndProduct) {
    const std::string folder = "D:\\Apps\\Pentaro\\";
    const std::string desktop = "C:\\Users\\me\\Desktop\\";

    const Shortcut dosBox = DosBoxShortcut(
        folder, desktop, "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe", DosBoxBuild::ConfOnly);
    EXPECT_EQ(dosBox.LinkPath, "C:\\Users\\me\\Desktop\\Penta DOSbox.lnk");
    EXPECT_EQ(dosBox.Target, "c:\\program files (x86)\\dosbox-0.74\\dosbox.exe");
    EXPECT_EQ(dosBox.Arguments, "-noconsole -conf D:\\Apps\\Pentaro\\dosbox.conf");
    EXPECT_EQ(dosBox.WorkingFolder, "c:\\program files (x86)\\dosbox-0.74\\");
    EXPECT_EQ(dosBox.Description, "Pentaro");
    EXPECT_EQ(dosBox.IconPath, "D:\\Apps\\Pentaro\\penta.ico");
    EXPECT_EQ(dosBox.IconIndex, 0);
    EXPECT_EQ(dosBox.HotKey, 0);
    const Shortcut staging = DosBoxShortcut(
        folder, desktop, "c:\\program files\\dosbox staging\\dosbox.exe", DosBoxBuild::Staging);
    EXPECT_EQ(staging.Target, "c:\\program files\\dosbox staging\\dosbox.exe");
    EXPECT_EQ(staging.Arguments, DosBoxLinkArguments(folder, DosBoxBuild::Staging));
    EXPECT_EQ(staging.WorkingFolder, "c:\\program files\\dosbox staging\\");

    const Shortcut print = PrintShortcut(folder, desktop);
    EXPECT_EQ(print.LinkPath, "C:\\Users\\me\\Desktop\\Print F.lnk");
    EXPECT_EQ(print.Target, "D:\\Apps\\Pentaro\\spool32.exe");
    EXPECT_EQ(print.Arguments, "f");
    EXPECT_EQ(print.WorkingFolder, folder);
    EXPECT_EQ(print.Description, "Print File f (CTRL+ALT+P)");
    EXPECT_EQ(print.IconPath, "D:\\Apps\\Pentaro\\penta.ico");
    EXPECT_EQ(print.IconIndex, 0);
    EXPECT_EQ(print.HotKey, 1616); // P with Ctrl and Alt

    const Shortcut product = ProductShortcut(folder, desktop);
    EXPECT_EQ(product.LinkPath, "C:\\Users\\me\\Desktop\\pentaro.lnk");
    EXPECT_EQ(product.Target, "D:\\Apps\\Pentaro\\pentaro.exe");
    EXPECT_EQ(product.Arguments, "");
    EXPECT_EQ(product.WorkingFolder, folder);
    EXPECT_EQ(product.Description, "Pentaro");
    EXPECT_EQ(product.IconPath, "D:\\Apps\\Pentaro\\penta.ico");
    EXPECT_EQ(product.IconIndex, 0);
    EXPECT_EQ(product.HotKey, 0);
}

// The Start-menu entry starts what the desktop shortcut of its Windows starts, the same way;
// only its name and folder differ.
TEST(ShortcutRows, StartMenuEntry) {
    const std::string folder = "C:\\Program Files (x86)\\Pentaro\\";
    const std::string desktop = "C:\\Users\\Public\\Desktop\\";
    const std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
    const struct {
        const char* windows;
        Shortcut desktopShortcut;
    } cases[] = {
        {"64-bit, DOSBox 0.74",
         DosBoxShortcut(folder, desktop, "c:\\dosbox\\dosbox.exe", DosBoxBuild::ConfOnly)},
        {"64-bit, DOSBox Staging",
         DosBoxShortcut(folder, desktop, "c:\\staging\\dosbox.exe", DosBoxBuild::Staging)},
        {"32-bit", ProductShortcut(folder, desktop)},
    };
    EXPECT_EQ(StartMenuLinkName(), "Pentaro 3.24.lnk");
    for (const auto& c : cases) {
        const Shortcut& from = c.desktopShortcut;
        const Shortcut entry = StartMenuShortcut(from, programs);
        EXPECT_EQ(entry.LinkPath, programs + "Pentaro 3.24.lnk") << c.windows;
        EXPECT_EQ(entry.Target, from.Target) << c.windows;
        EXPECT_EQ(entry.Arguments, from.Arguments) << c.windows;
        EXPECT_EQ(entry.WorkingFolder, from.WorkingFolder) << c.windows;
        EXPECT_EQ(entry.Description, "Pentaro") << c.windows;
        EXPECT_EQ(entry.IconPath, folder + "penta.ico") << c.windows;
        EXPECT_EQ(entry.IconIndex, 0) << c.windows;
        EXPECT_EQ(entry.HotKey, 0) << c.windows;
    }
}
