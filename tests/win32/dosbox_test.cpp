// The DOSBox set-up on a real Windows API: dosbox.conf written from the template resource, old
// configuration files sent to the Recycle Bin, the sibling-product case, and the COM errors.
// The full set-up, with the shortcuts read back from the Linux side, is dosbox_lnkinfo.sh.
#include "dosbox/com_win.h"
#include "dosbox/conf.h"
#include "dosbox/shortcuts.h"
#include "engine/ucargo.h"
#include "toolkit/resource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A Unix path as Wine shows it on its Z: drive.
std::string FromUnix(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

// A fresh, empty folder under the temporary folder, removed with its files at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string& name) {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + name + "\\";
        Clear();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Clear(); }
    const std::string& Path() const { return path_; }

private:
    void Clear() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string path_;
};

class DosBoxSetUp : public ::testing::Test {
protected:
    void SetUp() override { DosBoxExePath = "c:\\program files\\dosbox-0.74\\dosbox.exe"; }
    void TearDown() override { DosBoxExePath.clear(); }
};

} // namespace

TEST(DosBoxConfTemplate, IsTheResourceRsConf) {
    const std::string stored = ReadFile(FromUnix(PENTARO_SOURCE_DIR "/resources/dosbox-0.74.conf"));
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(tk::LoadDeflatedRcData("rs_Conf"), stored);
}

TEST(WriteDosBoxConf, ReplacesEveryConfFileAndLeavesTheRestAndFolders) {
    // Wine's Recycle Bin is the freedesktop trash of the Linux side, which the test run points
    // into the build tree; without that folder Wine deletes for good.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr) CreateDirectoryA(FromUnix(dataHome).c_str(), nullptr);
    // A name of this run only, so that an earlier run's file in the bin proves nothing.
    const std::string other = "Old" + std::to_string(GetCurrentProcessId()) + ".CONF";

    TempFolder folder("dosbox_conf");
    const std::string& dir = folder.Path();
    WriteFile(dir + "dosbox.conf", "old");
    WriteFile(dir + other, "old");
    WriteFile(dir + "readme.txt", "keep");
    WriteFile(dir + "dosbox.conf.txt", "keep");
    WriteFile(dir + "f", "print file");
    // A folder of the user's whose name ends in .conf, with files inside.
    const std::string nginx = dir + "nginx.conf";
    CreateDirectoryA(nginx.c_str(), nullptr);
    CreateDirectoryA((nginx + "\\sites").c_str(), nullptr);
    WriteFile(nginx + "\\sites\\default", "server");

    WriteDosBoxConf(dir + "tarnw.exe");

    EXPECT_EQ(ReadFile(nginx + "\\sites\\default"), "server");
    DeleteFileA((nginx + "\\sites\\default").c_str());
    RemoveDirectoryA((nginx + "\\sites").c_str());
    RemoveDirectoryA(nginx.c_str());

    const std::string folderText = dir.substr(0, dir.size() - 1);
    EXPECT_EQ(ReadFile(dir + "dosbox.conf"), tk::LoadDeflatedRcData("rs_Conf") + "mount c " + folderText +
                                                 "\r\nc:\r\ndel f\r\ntarnw.exe /ns\r\nexit\r\n");
    EXPECT_FALSE(Exists(dir + other));
    EXPECT_EQ(ReadFile(dir + "readme.txt"), "keep");
    EXPECT_EQ(ReadFile(dir + "dosbox.conf.txt"), "keep");
    EXPECT_EQ(ReadFile(dir + "f"), "print file");
    if (dataHome != nullptr) {
        // Wine adds a suffix to a name the bin already holds (process ids repeat across runs).
        const std::string bin = FromUnix(dataHome) + "\\Trash\\files\\";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((bin + other + "*").c_str(), &found);
        EXPECT_NE(search, INVALID_HANDLE_VALUE) << bin;
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            DeleteFileA((bin + found.cFileName).c_str());
        }
    }
}

TEST_F(DosBoxSetUp, WithTheSiblingProductDoesNothing) {
    TempFolder install("dosbox_tarn");
    TempFolder desktop("dosbox_tarn_desktop");
    WriteFile(install.Path() + "tarn.exe", "MZ");
    WriteFile(install.Path() + "old.conf", "old");
    WriteFile(desktop.Path() + "Print F.lnk", "old link");

    const DosBoxSetUpResult result = SetUpDosBox(install.Path(), desktop.Path());

    EXPECT_TRUE(result.Made);
    EXPECT_EQ(result.Message, "");
    EXPECT_FALSE(Exists(install.Path() + "dosbox.conf"));
    EXPECT_EQ(ReadFile(install.Path() + "old.conf"), "old");
    EXPECT_FALSE(Exists(desktop.Path() + "Penta DOSbox.lnk"));
    EXPECT_EQ(ReadFile(desktop.Path() + "Print F.lnk"), "old link");
}

TEST(CreateShellLink, AnUnsavableLinkIsReported) {
    TempFolder folder("dosbox_link");
    const std::string link = folder.Path() + "no such folder\\x.lnk";
    EXPECT_NE(CreateShellLink(link, "C:\\windows\\notepad.exe", "", "x", "", 0, 0), 0u);
    EXPECT_FALSE(Exists(link));
}

// What could not be made is not covered by the instructions that say it was made.
TEST_F(DosBoxSetUp, NamesWhatCouldNotBeMade) {
    TempFolder install("dosbox_unmade");
    const std::string desktop = install.Path() + "no desktop\\";
    const DosBoxSetUpResult missingDesktop = SetUpDosBox(install.Path(), desktop);
    EXPECT_FALSE(missingDesktop.Made);
    EXPECT_TRUE(Exists(install.Path() + "dosbox.conf"));
    EXPECT_EQ(missingDesktop.Message.find("has been installed"), std::string::npos);
    const std::string first =
        "Could not create the shortcut " + desktop + "Penta DOSbox.lnk\r\n\r\n";
    const std::string second = "Could not create the shortcut " + desktop + "Print F.lnk\r\n\r\n";
    EXPECT_EQ(missingDesktop.Message.rfind(first, 0), 0u) << missingDesktop.Message;
    EXPECT_NE(missingDesktop.Message.find("\r\n\r\n" + second), std::string::npos)
        << missingDesktop.Message;

    // A folder that does not exist takes no dosbox.conf either; the links are still made.
    TempFolder desktopFolder("dosbox_unmade_desktop");
    const std::string gone = install.Path() + "gone\\";
    const DosBoxSetUpResult missingFolder = SetUpDosBox(gone, desktopFolder.Path());
    EXPECT_FALSE(missingFolder.Made);
    EXPECT_EQ(
        missingFolder.Message.rfind("Could not write the file " + gone + "dosbox.conf\r\n\r\n", 0),
        0u)
        << missingFolder.Message;
    EXPECT_TRUE(Exists(desktopFolder.Path() + "Penta DOSbox.lnk"));
    EXPECT_TRUE(Exists(desktopFolder.Path() + "Print F.lnk"));
}

TEST(WriteDosBoxConf, ReportsAFileItCouldNotWrite) {
    TempFolder folder("dosbox_conf_fail");
    EXPECT_EQ(WriteDosBoxConf(folder.Path() + "missing\\tarnw.exe"),
              static_cast<unsigned long>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(WriteDosBoxConf(folder.Path() + "tarnw.exe"), 0u);
}

TEST(ComErrors, CarryTheSystemTextAndTheClass) {
    const CLSID unknown = {
        0x12345678, 0x9abc, 0xdef0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef}};
    try {
        CreateComObject(unknown);
        FAIL() << "created an unregistered class";
    } catch (const EOleSysError& error) {
        const std::string text = error.Message();
        const std::string tail = ", ClassID: {12345678-9ABC-DEF0-0123-456789ABCDEF}";
        ASSERT_GT(text.size(), tail.size());
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
        EXPECT_NE(text.find_first_not_of(' '), text.size() - tail.size()) << "no system text";
    }

    tk::ComPtr<IUnknown> link = CreateComObject(kClsidShellLink);
    EXPECT_NO_THROW(QueryComInterface<IShellLinkA>(link.Get(), kIidShellLinkA));
    try {
        QueryComInterface<IUnknown>(link.Get(), unknown);
        FAIL() << "the shell link claims an unknown interface";
    } catch (const EIntfCastError& error) {
        EXPECT_STREQ(error.what(), "Interface not supported");
    }
}
