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
    EXPECT_EQ(DosBoxShortcutName(), "Penta DOSbox");
    EXPECT_EQ(DosBoxLinkArguments("C:\\pentaro\\"), "-noconsole -conf C:\\pentaro\\dosbox.conf");
    // Unquoted, DOSBox would look for "C:\My" and silently start with its defaults.
    EXPECT_EQ(DosBoxLinkArguments("C:\\My Games\\Pentaro\\"),
              "-noconsole -conf \"C:\\My Games\\Pentaro\\dosbox.conf\"");
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
