#include "dosbox/conf_core.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace {

std::string TemplateFile() {
    const std::string here = __FILE__;
    const std::string path =
        here.substr(0, here.find_last_of('/')) + "/../../resources/dosbox-0.74.conf";
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        const auto end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start)); // unterminated: kept so the tests see it
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace

TEST(DosBoxAutoexec, MountsTheFolderAndRunsTheProgram) {
    EXPECT_EQ(BuildDosBoxConf("", "D:\\Apps\\Pentaro\\tarnw.exe"),
              "mount c D:\\Apps\\Pentaro\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n");
    // The appended text is 33 fixed bytes, the folder without its backslash and the name.
    EXPECT_EQ(DosBoxAutoexec("D:\\Apps\\Pentaro\\", "tarnw.exe").size(),
              33 + std::string("D:\\Apps\\Pentaro").size() + std::string("tarnw.exe").size());
    // Case is kept as given.
    EXPECT_EQ(DosBoxAutoexec("d:\\GAMES\\", "TARNW.EXE"),
              "mount c d:\\GAMES\r\nc:\r\ndel f\r\nTARNW.EXE /ns\r\nexit\r\n");
}

TEST(DosBoxAutoexec, QuotesAFolderWithBlanksAndDoublesPercents) {
    // DOSBox would read "mount c C:\My" and fail on an unquoted blank.
    EXPECT_EQ(DosBoxAutoexec("C:\\My Games\\Pentaro\\", "tarnw.exe"),
              "mount c \"C:\\My Games\\Pentaro\"\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n");
    // The autoexec is a batch file: a single % would start a variable and vanish.
    EXPECT_EQ(DosBoxAutoexec("C:\\100%\\", "a%b.exe"),
              "mount c C:\\100%%\r\nc:\r\ndel f\r\na%%b.exe /ns\r\nexit\r\n");
    const std::string both = DosBoxAutoexec("C:\\50% off\\", "tarnw.exe");
    EXPECT_EQ(both.substr(0, both.find("\r\n")), "mount c \"C:\\50%% off\"");
}

TEST(DosBoxConf, CutsTheTemplateAtTheFirstLowerCaseMountLine) {
    const std::string tail = DosBoxAutoexec("D:\\P\\", "tarnw.exe");
    EXPECT_EQ(BuildDosBoxConf("[autoexec]\r\n", "D:\\P\\tarnw.exe"), "[autoexec]\r\n" + tail);
    // Also inside a comment, and everything after it goes.
    EXPECT_EQ(BuildDosBoxConf("a\r\n# mount c here\r\nmount c x\r\n", "D:\\P\\tarnw.exe"),
              "a\r\n# " + tail);
    // The match is case-sensitive and needs the blank after the c.
    const std::string kept = "MOUNT C x\r\nMount c y\r\nmount cd\r\n";
    EXPECT_EQ(BuildDosBoxConf(kept, "D:\\P\\tarnw.exe"), kept + tail);
}

TEST(SplitProgramPath, SplitsAtTheLastBackslashOrColon) {
    EXPECT_EQ(SplitProgramPath("D:\\Apps\\Pentaro\\tarnw.exe").Folder, "D:\\Apps\\Pentaro\\");
    EXPECT_EQ(SplitProgramPath("D:\\Apps\\Pentaro\\tarnw.exe").FileName, "tarnw.exe");
    EXPECT_EQ(SplitProgramPath("D:tarnw.exe").Folder, "D:");
    EXPECT_EQ(SplitProgramPath("D:tarnw.exe").FileName, "tarnw.exe");
    EXPECT_EQ(SplitProgramPath("tarnw.exe").Folder, "");
    EXPECT_EQ(SplitProgramPath("C:\\dir\\").FileName, "");
}

// The template resource as stored: DOSBox 0.74's own layout, with the settings the product
// needs, and an [autoexec] section left open for the appended lines.
TEST(DosBoxTemplate, HasTheLayoutAndSettingsTheInstallerReliesOn) {
    const std::string text = TemplateFile();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find('\t'), std::string::npos);
    EXPECT_EQ(text.find("mount c "), std::string::npos);
    for (unsigned char c : text)
        EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            EXPECT_EQ(text[i + 1], '\n') << i;
        }
        if (text[i] == '\n') {
            EXPECT_EQ(text[i - 1], '\r') << i;
        }
    }

    const std::vector<std::string> lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 241u);
    for (const auto& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(lines[0], "# This is the configurationfile for DOSBox 0.74. (Please use the latest "
                        "version of DOSBox)");
    EXPECT_EQ(lines[1][0], '#');
    EXPECT_EQ(lines[2][0], '#');
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[238], "[autoexec]");
    EXPECT_EQ(lines[239], "# Lines in this section will be run at startup.");
    EXPECT_EQ(lines[240], "# You can put your MOUNT lines here.");

    // Each section: header, comments, a blank line, the settings, a blank line.
    std::ostringstream settings;
    std::size_t i = 4;
    while (i < 238) {
        const std::string& header = lines[i++];
        ASSERT_TRUE(header.size() > 2 && header.front() == '[' && header.back() == ']') << i;
        settings << header;
        ASSERT_TRUE(lines[i][0] == '#') << i;
        while (!lines[i].empty())
            EXPECT_EQ(lines[i++][0], '#') << i;
        ++i;
        ASSERT_FALSE(lines[i].empty()) << i;
        while (!lines[i].empty()) {
            EXPECT_NE(lines[i].find('='), std::string::npos) << i;
            settings << ' ' << lines[i++];
        }
        ++i;
        settings << '\n';
    }
    EXPECT_EQ(i, 238u);
    EXPECT_EQ(settings.str(),
              "[sdl] fullscreen=false fulldouble=false fullresolution=original "
              "windowresolution=800x600 output=opengl autolock=true sensitivity=100 "
              "waitonerror=true priority=higher,normal mapperfile=mapper-0.74.map "
              "usescancodes=true\n"
              "[dosbox] language= machine=svga_s3 captures=capture memsize=16\n"
              "[render] frameskip=0 aspect=false scaler=normal2x\n"
              "[cpu] core=auto cputype=auto cycles=max cycleup=10 cycledown=20\n"
              "[mixer] nosound=false rate=44100 blocksize=1024 prebuffer=20\n"
              "[midi] mpu401=intelligent mididevice=default midiconfig=\n"
              "[sblaster] sbtype=sb16 sbbase=220 irq=7 dma=1 hdma=5 sbmixer=true oplmode=auto "
              "oplemu=default oplrate=44100\n"
              "[gus] gus=false gusrate=44100 gusbase=240 gusirq=5 gusdma=3 "
              "ultradir=C:\\ULTRASND\n"
              "[speaker] pcspeaker=true pcrate=44100 tandy=auto tandyrate=44100 disney=true\n"
              "[joystick] joysticktype=auto timed=true autofire=false swap34=false "
              "buttonwrap=false\n"
              "[serial] serial1=dummy serial2=dummy serial3=disabled serial4=disabled\n"
              "[dos] xms=true ems=true umb=true keyboardlayout=auto\n"
              "[ipx] ipx=false\n");

    // With the template as stored, the mount line follows the last comment line directly.
    const std::string conf = BuildDosBoxConf(text, "D:\\Apps\\Pentaro\\tarnw.exe");
    EXPECT_EQ(conf, text + "mount c D:\\Apps\\Pentaro\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n");
}
