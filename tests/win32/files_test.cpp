// The file and path helpers on the real (Wine) file system of the test prefix.
#include "engine/files.h"
#include "toolkit/process_win.h"

#include <gtest/gtest.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// A fresh folder under the prefix's temp folder for each test, removed afterwards.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::string(temp) + "pentaro-files-" + info->name() + "-" +
                std::to_string(GetCurrentProcessId());
        RemoveTree(root_);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(root_); }

    std::string root_;
};

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    std::string data;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        data.append(buffer, got);
    CloseHandle(file);
    return data;
}

FILETIME LastWrite(const std::string& path) {
    FILETIME written{};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << path;
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return written;
}

// The last-write time as the DOS date-time of the local clock: the way back from
// what SetFileDosDate stored.
std::uint32_t LastWriteAsDos(const std::string& path) {
    FILETIME utc = LastWrite(path), local{};
    FileTimeToLocalFileTime(&utc, &local);
    WORD date = 0, time = 0;
    FileTimeToDosDateTime(&local, &date, &time);
    return (static_cast<std::uint32_t>(date) << 16) | time;
}

// The rights the access of `path`, read back through the system (not through the text that
// set it), allows the user groups: Users, Everyone, Authenticated Users. (Whether the access
// is protected from inheritance, and its owner, only Windows shows: Wine keeps neither, and
// shows the entries it can keep in the Unix permissions.)
DWORD UserGroupsRights(const std::string& path) {
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_EQ(GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &access, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS))
        << path;
    DWORD rights = access == nullptr ? GENERIC_ALL : 0; // no DACL: everyone, everything
    for (WORD i = 0; access != nullptr && i < access->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(access, i, reinterpret_cast<void**>(&ace));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        for (WELL_KNOWN_SID_TYPE users :
             {WinBuiltinUsersSid, WinWorldSid, WinAuthenticatedUserSid})
            if (IsWellKnownSid(&ace->SidStart, users)) rights |= ace->Mask;
    }
    LocalFree(descriptor);
    return rights;
}

} // namespace

TEST_F(FilesTest, EnsureFolderCreatesEveryMissingLevel) {
    std::string folder = root_ + "\\a\\b\\c\\";
    EXPECT_TRUE(EnsureFolder(folder));
    EXPECT_EQ(folder, root_ + "\\a\\b\\c\\");
    EXPECT_TRUE(IsFolder(root_ + "\\a\\b\\c"));

    // Present already: true again, nothing changes.
    EXPECT_TRUE(EnsureFolder(folder));
    EXPECT_EQ(folder, root_ + "\\a\\b\\c\\");
}

TEST_F(FilesTest, EnsureFolderTakesARelativeFolderAgainstTheCurrentDirectory) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    std::string folder = "sub\\";
    bool made = EnsureFolder(folder);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(made);
    EXPECT_EQ(folder, root_ + "\\sub");
    EXPECT_TRUE(IsFolder(root_ + "\\sub"));
}

TEST_F(FilesTest, EnsureFolderFailureLeavesTheVariableAlone) {
    // A file where a folder should be.
    WriteStringToFile(root_ + "\\file.txt", "x");
    std::string blocked = root_ + "\\file.txt\\sub";
    EXPECT_FALSE(EnsureFolder(blocked));
    EXPECT_EQ(blocked, root_ + "\\file.txt\\sub");

    // A name no Windows file system accepts, one level below a folder that can be made:
    // the outer folder stays.
    std::string invalid = root_ + "\\outer\\bad|name";
    EXPECT_FALSE(EnsureFolder(invalid));
    EXPECT_EQ(invalid, root_ + "\\outer\\bad|name");
    EXPECT_TRUE(IsFolder(root_ + "\\outer"));

    std::string empty;
    EXPECT_FALSE(EnsureFolder(empty));
}

TEST_F(FilesTest, EnsureFolderOnAMissingDriveIsFalse) {
    DWORD drives = GetLogicalDrives();
    char letter = 0;
    for (char c = 'Q'; c <= 'Y' && letter == 0; ++c)
        if (!(drives & (1u << (c - 'A')))) letter = c;
    ASSERT_NE(letter, 0) << "no free drive letter";
    for (std::string folder : {std::string(1, letter) + ":\\", std::string(1, letter) + ":\\x\\"}) {
        std::string before = folder;
        EXPECT_FALSE(EnsureFolder(folder)) << before;
        EXPECT_EQ(folder, before);
    }
}

TEST_F(FilesTest, WriteStringToFileReplacesTheWholeFile) {
    std::string path = root_ + "\\data.bin";
    std::string binary("P+\0\r\n\xff", 6);
    WriteStringToFile(path, "a much longer first content");
    WriteStringToFile(path, binary);
    EXPECT_EQ(ReadFile(path), binary);
}

TEST_F(FilesTest, WriteStringToFileWithNoDataDeletesAndNeverCreates) {
    std::string path = root_ + "\\gone.txt";
    WriteStringToFile(path, "x");
    ASSERT_TRUE(Exists(path));
    WriteStringToFile(path, "");
    EXPECT_FALSE(Exists(path));
    WriteStringToFile(path, "");
    EXPECT_FALSE(Exists(path));
}

TEST_F(FilesTest, WriteStringToFileLeavesAFileItCannotOpenAlone) {
    std::string path = root_ + "\\busy.txt";
    WriteStringToFile(path, "original");
    {
        // Another program holds the file open without sharing it.
        HANDLE holder =
            CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        WriteStringToFile(path, "replacement");
        CloseHandle(holder);
    }
    EXPECT_EQ(ReadFile(path), "original");

    WriteStringToFile(root_ + "\\no such folder\\x.txt", "data");
    EXPECT_FALSE(Exists(root_ + "\\no such folder"));
}

TEST_F(FilesTest, WriteStringToFileLeavesAReadOnlyFileAlone) {
    std::string path = root_ + "\\locked.txt";
    WriteStringToFile(path, "original");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        // Wine keeps the read-only attribute as Unix permissions, which root ignores.
        CloseHandle(probe);
        GTEST_SKIP() << "read-only files are writable here (running as root?)";
    }
    WriteStringToFile(path, "replacement");
    EXPECT_EQ(ReadFile(path), "original");
}

TEST_F(FilesTest, SetFileDosDateStoresTheLocalTime) {
    std::string path = root_ + "\\dated.txt";
    WriteStringToFile(path, "x");

    // 5 June 2024, 12:00:00: date (44 << 9) | (6 << 5) | 5, time 12 << 11.
    const std::uint32_t june = 0x58C56000;
    EXPECT_EQ(SetFileDosDate(path, static_cast<std::int32_t>(june)), 0u);
    FILETIME utc = LastWrite(path), local{};
    FileTimeToLocalFileTime(&utc, &local);
    SYSTEMTIME fields{};
    FileTimeToSystemTime(&local, &fields);
    EXPECT_EQ(fields.wYear, 2024);
    EXPECT_EQ(fields.wMonth, 6);
    EXPECT_EQ(fields.wDay, 5);
    EXPECT_EQ(fields.wHour, 12);
    EXPECT_EQ(fields.wMinute, 0);
    EXPECT_EQ(LastWriteAsDos(path), june);

    // Years from 2044 on set the sign bit of the 32-bit value.
    const std::uint32_t y2050 =
        (70u << 25) | (1u << 21) | (1u << 16) | (23u << 11) | (59u << 5) | 29;
    EXPECT_EQ(SetFileDosDate(path, static_cast<std::int32_t>(y2050)), 0u);
    EXPECT_EQ(LastWriteAsDos(path), y2050);
}

TEST_F(FilesTest, SetFileDosDateReportsFailures) {
    EXPECT_EQ(SetFileDosDate(root_ + "\\missing.txt", 0x58C56000), ERROR_FILE_NOT_FOUND);

    std::string path = root_ + "\\dated.txt";
    WriteStringToFile(path, "x");
    ASSERT_EQ(SetFileDosDate(path, 0x58C56000), 0u);
    // Month 13 is no date: an error code, and the time stays as it was.
    const std::uint32_t month13 = (44u << 25) | (13u << 21) | (5u << 16);
    EXPECT_NE(SetFileDosDate(path, static_cast<std::int32_t>(month13)), 0u);
    EXPECT_EQ(LastWriteAsDos(path), 0x58C56000u);
}

TEST(SpecialFolders, KnownFoldersAndFailures) {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(lstrcmpiA(GetSpecialFolderPath(CSIDL_WINDOWS).c_str(), windows), 0);

    std::string desktop = GetSpecialFolderPath(CSIDL_DESKTOP);
    EXPECT_TRUE(IsFolder(desktop)) << desktop;
    EXPECT_NE(desktop.back(), '\\');
    EXPECT_EQ(desktop.find('\0'), std::string::npos);

    std::string programs = GetSpecialFolderPath(CSIDL_PROGRAM_FILES);
    EXPECT_EQ(lstrcmpiA(programs.c_str(), "C:\\Program Files"), 0) << programs;

    EXPECT_EQ(GetSpecialFolderPath(0x7E), "");         // unknown to the system
    EXPECT_EQ(GetSpecialFolderPath(CSIDL_DRIVES), ""); // a shell folder with no path
}

TEST(SpecialFolders, ItemIdListPaths) {
    EXPECT_EQ(PathFromItemIdList(nullptr), "");
    LPITEMIDLIST root = ILCreateFromPathA("C:\\");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(PathFromItemIdList(root), "C:\\");
    ILFree(root);
}

TEST_F(FilesTest, RemoveLinkedNameTakesAHardLinkApartAndLeavesOrdinaryFiles) {
    const std::string other = root_ + "\\other.kdb", path = root_ + "\\pentaro1.kdb";
    WriteStringToFile(other, "the user's own file");
    ASSERT_TRUE(CreateHardLinkA(path.c_str(), other.c_str(), nullptr));

    EXPECT_TRUE(RemoveLinkedName(path));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(ReadFile(other), "the user's own file");

    // Nothing there, or an ordinary file: left for the write to create or replace.
    EXPECT_FALSE(RemoveLinkedName(path));
    EXPECT_FALSE(RemoveLinkedName(other));
    EXPECT_EQ(ReadFile(other), "the user's own file");
}

// What the system will run is always a file this process made, whole: never one found under
// the name (someone's, with their ownership), never one cut short.
TEST_F(FilesTest, WriteFileAnewMakesANewFileWholeOrNothing) {
    const std::string path = root_ + "\\uninstall.exe", temporary = path + ".new";
    auto pieces = [](const std::string& a, const std::string& b) {
        return [=](const PieceWriter& write) {
            write(a.data(), a.size());
            write(b.data(), b.size());
        };
    };
    auto fileIndex = [](const std::string& name) {
        BY_HANDLE_FILE_INFORMATION info{};
        HANDLE file = CreateFileA(name.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        GetFileInformationByHandle(file, &info);
        CloseHandle(file);
        return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    WriteStringToFile(path, "found here");
    WriteStringToFile(temporary, "left by someone");
    const std::uint64_t found = fileIndex(path);
    ASSERT_EQ(WriteFileAnew(path, pieces("first ", "install")), 0u);
    EXPECT_EQ(ReadFile(path), "first install");
    EXPECT_NE(fileIndex(path), found);
    EXPECT_FALSE(Exists(temporary));

    // Stopped half-way: what was there stays as it was, nothing else is left.
    EXPECT_THROW(WriteFileAnew(path,
                               [](const PieceWriter& write) {
                                   write("cut", 3);
                                   throw tk::Exception("the program's file cannot be read");
                               }),
                 tk::Exception);
    EXPECT_EQ(ReadFile(path), "first install");
    EXPECT_FALSE(Exists(temporary));

    // A folder under the temporary name cannot be removed as a file: refused.
    ASSERT_TRUE(CreateDirectoryA(temporary.c_str(), nullptr));
    EXPECT_EQ(WriteFileAnew(path, pieces("second ", "install")),
              static_cast<unsigned long>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadFile(path), "first install");
    EXPECT_TRUE(IsFolder(temporary));
}

TEST_F(FilesTest, AFolderForAllUsersGetsProgramFilesAccessAndNothingInherited) {
    std::string folder = root_ + "\\shared\\pentaro";
    std::vector<std::string> made;
    ASSERT_TRUE(EnsureFolder(folder, &made, AllUsersFolderAccess));
    EXPECT_EQ(made, (std::vector<std::string>{root_ + "\\shared", root_ + "\\shared\\pentaro"}));
    for (const std::string& path : made)
        EXPECT_EQ(UserGroupsRights(path) & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE |
                                            FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER),
                  0u)
            << path;
}

// A log, as the system account writes it into a folder users share: appended to, created
// when missing, never through a name that leads to another file.
TEST_F(FilesTest, OpenToAppendNeverWritesThroughALink) {
    const std::string log = root_ + "\\setup.log", other = root_ + "\\victim.dll";
    const auto append = [](const std::string& path, const std::string& text) {
        HANDLE file = OpenToAppend(path);
        if (file == INVALID_HANDLE_VALUE) return GetLastError();
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        return 0ul;
    };
    EXPECT_EQ(append(log, "one "), 0ul);
    EXPECT_EQ(append(log, "two"), 0ul);
    EXPECT_EQ(ReadFile(log), "one two");

    ASSERT_TRUE(DeleteFileA(log.c_str()));
    WriteStringToFile(other, "the system's own file");
    ASSERT_TRUE(CreateHardLinkA(log.c_str(), other.c_str(), nullptr));
    EXPECT_EQ(append(log, "planted"), static_cast<unsigned long>(ERROR_CANT_RESOLVE_FILENAME));
    EXPECT_EQ(ReadFile(other), "the system's own file");
}

// The hand-over's check of the program that started the copy: one file, whatever the name
// it was started by.
TEST_F(FilesTest, SameFileByIdentityNotByName) {
    const std::string folder = root_ + "\\Pentaro Game Folder";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\uninstall program.exe", other = root_ + "\\b.exe";
    WriteStringToFile(file, "x");
    WriteStringToFile(other, "x");
    char shortName[MAX_PATH];
    const DWORD length = GetShortPathNameA(file.c_str(), shortName, MAX_PATH);
    ASSERT_GT(length, 0u);
    ASSERT_NE(std::string(shortName), file);
    EXPECT_TRUE(SameFile(shortName, file)) << shortName;
    EXPECT_TRUE(SameFile(file, file));
    EXPECT_FALSE(SameFile(file, other));
    EXPECT_FALSE(SameFile(file, root_ + "\\missing.exe"));
}

// The system account's folder for its copy of the uninstaller: new, with its access from the
// first moment.
TEST_F(FilesTest, AProtectedFolderIsNewAndOnlyTheSystemsAndTheAdministrators) {
    const std::string folder = root_ + "\\private";
    ASSERT_EQ(CreateProtectedFolder(folder, SystemOnlyAccess), 0u);
    // Nobody but the system and the administrators: no user group may do anything.
    EXPECT_EQ(UserGroupsRights(folder), 0u);
    // A folder that is there, made by anyone, is never taken.
    EXPECT_EQ(CreateProtectedFolder(folder, SystemOnlyAccess),
              static_cast<unsigned long>(ERROR_ALREADY_EXISTS));
}

// The program a process runs, both ways: the system's name for it (Vista on) and the first
// entry of its module list (the way on Windows XP), for this process, whose program is
// known; and no program for a process that is gone.
TEST(Processes, ProgramPathBothWays) {
    char own[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, own, MAX_PATH), 0u);
    const DWORD id = GetCurrentProcessId();
    const std::string named = tk::ProgramPathOfProcess(GetCurrentProcess(), id);
    const std::string listed = tk::ProgramPathFromModuleList(id);
    EXPECT_TRUE(SameName(NormalFolderPath(named), NormalFolderPath(own))) << named;
    EXPECT_TRUE(SameName(NormalFolderPath(listed), NormalFolderPath(own))) << listed;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    char command[] = "cmd.exe /c exit";
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               nullptr, &startup, &child));
    WaitForSingleObject(child.hProcess, 10000);
    CloseHandle(child.hThread);
    EXPECT_EQ(tk::ProgramPathFromModuleList(child.dwProcessId), "");
    CloseHandle(child.hProcess);
}
