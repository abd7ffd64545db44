#include "engine/files.h"
#include "engine/sha256.h"
#include "uninstall/uninstall_core.h"
#include "resources/product.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Paths = std::vector<std::string>;
using Steps = std::vector<RemovalStep>;

const std::string kFolder = "c:\\corvane\\tq\\";
const std::string kDesktop = "C:\\Users\\ann\\Desktop\\";
const std::string kPublicDesktop = "C:\\Users\\Public\\Desktop\\";
const Paths kDesktops = {kDesktop, kPublicDesktop};

// What a 64-bit install into a new c:\corvane\tq makes.
InstallRecord SampleRecord() {
    InstallRecord record;
    record.folder = kFolder;
    record.files = {{"tarnw.exe", 3, Sha256Hex("MZ1")},
                    {"pentaro1.kdb", 5, Sha256Hex("data1")},
                    {"dosbox.conf", 6, Sha256Hex("[sdl]\n")}};
    record.shortcuts = {kDesktop + "Penta DOSbox.lnk", kDesktop + "Print F.lnk"};
    record.createdFolders = {"c:\\corvane\\", kFolder};
    record.entry = {"HKCU", "32", UninstallKeyPath()};
    return record;
}

// The disk as the install left it.
DiskSnapshot Untouched(const InstallRecord& record) {
    DiskSnapshot disk;
    disk.installFolder.exists = true;
    for (const RecordedFile& file : record.files) {
        disk.files.push_back({true, false, false, file.size, file.sha256});
        disk.installFolder.items.push_back({file.name});
    }
    disk.installFolder.items.push_back({UninstallerFile});
    disk.installFolder.items.push_back({InstallRecordFile});
    for (const std::string& shortcut : record.shortcuts) {
        ShortcutOnDisk found{true, false, record.folder + "spool32.exe", "f", {}, true};
        if (shortcut.ends_with("DOSbox.lnk"))
            found = {true, false, "c:\\program files\\dosbox-0.74\\dosbox.exe",
                     "-noconsole -conf " + record.folder + "dosbox.conf", {}, true};
        disk.shortcuts.push_back(found);
    }
    for (const std::string& folder : record.createdFolders) {
        FolderOnDisk found{true, false, {}};
        if (folder == "c:\\corvane\\") found.items = {{"tq", true, false}};
        disk.createdFolders.push_back(found);
    }
    disk.entryExists = !record.entry.root.empty();
    disk.entryLocation = record.folder;
    return disk;
}

Paths InFolder(const Paths& names) {
    Paths paths;
    for (const std::string& name : names)
        paths.push_back(kFolder + name);
    return paths;
}

void ExpectNothingGoes(const RemovalPlan& plan) {
    EXPECT_TRUE(plan.Refused());
    EXPECT_TRUE(plan.deleteFiles.empty());
    EXPECT_TRUE(plan.deleteShortcuts.empty());
    EXPECT_TRUE(plan.removeFolders.empty());
    EXPECT_FALSE(plan.removeEntry);
}

} // namespace

TEST(InstallRecord, WrittenAndReadBack) {
    const InstallRecord record = SampleRecord();
    const std::string text = FormatInstallRecord(record);
    // The format is read by later uninstallers: one fact a line, tab-separated, CR LF.
    const std::string hash = Sha256Hex("MZ1");
    EXPECT_TRUE(text.starts_with("PentaroSetup install record 3\r\n"
                                 "folder\tc:\\corvane\\tq\\\r\n"
                                 "file\t3\t" +
                                 hash + "\t0\ttarnw.exe\r\n"))
        << text;
    EXPECT_NE(text.find("\r\nentry\tHKCU\t32\tSoftware\\Microsoft\\Windows\\CurrentVersion\\"
                        "Uninstall\\Corvane Pentaro\r\n"),
              std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 10);

    // The uninstaller may find its folder in other letters, and the text with LF alone.
    std::string lfOnly = text;
    std::erase(lfOnly, '\r');
    for (const std::string& read : {text, lfOnly}) {
        const InstallRecord back = ParseInstallRecord(read, "C:\\Corvane\\TQ");
        EXPECT_EQ(back.folder, "c:\\corvane\\tq\\"); // as the install wrote it
        ASSERT_EQ(back.files.size(), 3u);
        EXPECT_EQ(back.files[2].name, "dosbox.conf");
        EXPECT_EQ(back.files[2].size, 6u);
        EXPECT_EQ(back.files[2].sha256, Sha256Hex("[sdl]\n"));
        EXPECT_EQ(back.shortcuts, record.shortcuts);
        EXPECT_EQ(back.createdFolders, record.createdFolders);
        EXPECT_EQ(back.entry.root, "HKCU");
        EXPECT_EQ(back.entry.view, "32");
        EXPECT_EQ(back.entry.key, UninstallKeyPath());
    }

    // A per-user install into an existing folder, on the public desktop, with no entry.
    InstallRecord plain;
    plain.folder = "d:\\games\\tq";
    plain.files = {{"a b.txt", 0, Sha256Hex("")}};
    plain.shortcuts = {kPublicDesktop + "pentaro.lnk"};
    const InstallRecord back =
        ParseInstallRecord(FormatInstallRecord(plain), "d:\\games\\tq\\");
    EXPECT_EQ(back.files[0].name, "a b.txt");
    EXPECT_TRUE(back.createdFolders.empty());
    EXPECT_TRUE(back.entry.root.empty());
}

TEST(InstallRecord, TimesAndTheStoppedRunsMarkAndEarlierFormats) {
    InstallRecord record = SampleRecord();
    record.files[0].time = 134090208000000000ull; // 2025-12-08 00:00 UTC
    record.incomplete = true;
    const std::string text = FormatInstallRecord(record);
    EXPECT_NE(text.find("\t134090208000000000\ttarnw.exe\r\n"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("\r\nincomplete\r\n")) << text;
    const InstallRecord back = ParseInstallRecord(text, kFolder);
    EXPECT_EQ(back.files[0].time, 134090208000000000ull);
    EXPECT_EQ(back.files[1].time, 0u);
    EXPECT_TRUE(back.incomplete);
    record.incomplete = false;
    EXPECT_FALSE(ParseInstallRecord(FormatInstallRecord(record), kFolder).incomplete);

    // Formats 1 and 2 have no time on their file lines and no mark; each format's own shape
    // of line is the only one it reads.
    const std::string hash = Sha256Hex("MZ1");
    const std::string head = "folder\tc:\\corvane\\tq\\\r\n";
    const struct {
        std::string text;
        bool read;
    } cases[] = {
        {"PentaroSetup install record 2\r\n" + head + "file\t3\t" + hash + "\ttarnw.exe\r\n", true},
        {"PentaroSetup install record 1\r\n" + head + "file\t3\t" + hash + "\ttarnw.exe\r\n", true},
        {"PentaroSetup install record 2\r\n" + head + "file\t3\t" + hash + "\t0\ttarnw.exe\r\n",
         false},
        {"PentaroSetup install record 3\r\n" + head + "file\t3\t" + hash + "\ttarnw.exe\r\n", false},
        {"PentaroSetup install record 3\r\n" + head + "file\t3\t" + hash + "\t-1\ttarnw.exe\r\n",
         false},
        {"PentaroSetup install record 2\r\n" + head + "incomplete\r\n", false},
        {"PentaroSetup install record 3\r\n" + head + "incomplete\r\nincomplete\r\n", false},
        {"PentaroSetup install record 3\r\n" + head + "incomplete\tyes\r\n", false},
    };
    for (const auto& c : cases) {
        bool read = true;
        try {
            const InstallRecord old = ParseInstallRecord(c.text, kFolder);
            EXPECT_EQ(old.files.at(0).time, 0u);
            EXPECT_FALSE(old.incomplete);
        } catch (const EUnusableRecord&) {
            read = false;
        }
        EXPECT_EQ(read, c.read) << c.text;
    }

    // A record's length is told as it is, not as far as it was read: 1.9 GB of zeros
    // appended is not "16 MB long".
    EXPECT_NE(RecordTooLongReason(1900ull << 20).find("1900 MB long"), std::string::npos);
    EXPECT_NE(RecordTooLongReason(MaxInstallRecordBytes + 1).find("17 MB long"),
              std::string::npos);
}

TEST(InstallRecord, TamperedRecordsAreRefused) {
    const std::string base = FormatInstallRecord(SampleRecord());
    const std::string hash = Sha256Hex("x");
    auto with = [&](const std::string& line) { return base + line + "\r\n"; };
    const struct {
        std::string text;
        std::string named; // what the message must name
    } cases[] = {
        {"", "PentaroSetup install record 3"},
        {base.substr(base.find('\n') + 1), "PentaroSetup install record 3"},
        {"PentaroSetup install record 4\r\n" + base.substr(base.find('\n') + 1),
         "PentaroSetup install record 4"},
        {"PentaroSetup install record 1 \r\n" + base.substr(base.find('\n') + 1),
         "PentaroSetup install record 1 "},
        {"PentaroSetup install record 1\r\n", "install folder"},
        {with("delete\tc:\\windows\\"), "\"delete c:\\windows\\\""},
        {with("file\t1\t" + hash), "\"file 1 " + hash + "\""},
        {with("file\t-1\t" + hash + "\tx.txt"), "-1"},
        {with("file\t18446744073709551616\t" + hash + "\tx.txt"), "18446744073709551616"},
        {with("file\t1\t" + hash.substr(1) + "\tx.txt"), "x.txt"},
        {with("file\t1\t" + hash.substr(1) + "g\tx.txt"), "x.txt"},
        {with("file\t1\t" + hash + "\t..\\boot.ini"), "..\\boot.ini"},
        {with("file\t1\t" + hash + "\tc:\\windows\\win.ini"), "c:\\windows\\win.ini"},
        {with("file\t1\t" + hash + "\tsub\\x.txt"), "sub\\x.txt"},
        {with("file\t1\t" + hash + "\tsub/x.txt"), "sub/x.txt"},
        {with("file\t1\t" + hash + "\tnul.txt"), "nul.txt"},
        {with("file\t1\t" + hash + "\t.."), ".."},
        {with("file\t1\t" + hash + "\t"), "file"},
        {with("file\t1\t" + hash + "\tTARNW.EXE"), "TARNW.EXE"},
        {with("file\t1\t" + hash + "\tUninstall.exe"), "Uninstall.exe"},
        {with("folder\tc:\\corvane\\tq\\"), "c:\\corvane\\tq\\"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\windows\\\r\n", "c:\\windows\\"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\corvane\\tq\\..\\tq\\\r\n", ".."},
        {with("shortcut\tx.lnk"), "x.lnk"},
        {with("shortcut\t\\x.lnk"), "\\x.lnk"},
        {with("existed\treadme.txt"), "readme.txt"},
        {with("existed\t..\\tarnw.exe"), "..\\tarnw.exe"},
        {with("existed\ttarnw.exe\r\nexisted\tTARNW.exe"), "TARNW.exe"},
        {base + std::string(MaxInstallRecordBytes, '\n'), "MB long"},
        {with("shortcut\t" + kDesktop + "..\\..\\x.lnk"), kDesktop + "..\\..\\x.lnk"},
        {with("shortcut\t" + kDesktop + "x.exe"), kDesktop + "x.exe"},
        {with("shortcut\t" + kDesktop + ".lnk"), kDesktop + ".lnk"},
        {with("shortcut\t" + kDesktop), kDesktop},
        {with("shortcut\t" + kDesktop + "print f.LNK"), kDesktop + "print f.LNK"},
        {with("created\tc:\\windows\\"), "c:\\windows\\"},
        {with("created\tc:\\"), "c:\\"},
        {with("created\t" + kFolder + "sub\\"), kFolder + "sub\\"},
        {with("created\tc:\\corvane\\tq\\..\\"), ".."},
        {with("created\tc:\\corvane"), "c:\\corvane"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\corvane\\tq\\\r\ncreated\tc:\\corvane\\\r\n",
         "c:\\corvane\\"},
        {with("entry\tHKCU\t32\t" + UninstallKeyPath()), "entry"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\corvane\\tq\\\r\n"
         "entry\tHKCR\t32\t" +
             UninstallKeyPath() + "\r\n",
         "HKCR"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\corvane\\tq\\\r\n"
         "entry\tHKLM\t64\t" +
             UninstallKeyPath() + "\r\n",
         "64"},
        {"PentaroSetup install record 1\r\nfolder\tc:\\corvane\\tq\\\r\n"
         "entry\tHKCU\t32\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Run\r\n",
         "CurrentVersion\\Run"},
    };
    for (const auto& c : cases) {
        try {
            ParseInstallRecord(c.text, kFolder);
            ADD_FAILURE() << "accepted:\n" << c.text;
        } catch (const EUnusableRecord& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(kFolder + InstallRecordFile), std::string::npos) << message;
            EXPECT_NE(message.find(c.named), std::string::npos) << message;
        }
    }
}

TEST(RemovalPlan, UntouchedInstallGoesWhole) {
    const InstallRecord record = SampleRecord();
    const RemovalPlan plan = PlanRemoval(record, Untouched(record));
    EXPECT_FALSE(plan.Refused());
    EXPECT_EQ(plan.deleteFiles, InFolder({"tarnw.exe", "pentaro1.kdb", "dosbox.conf",
                                          InstallRecordFile, UninstallerFile}));
    EXPECT_EQ(plan.deleteShortcuts, record.shortcuts);
    EXPECT_EQ(plan.removeFolders, (Paths{kFolder, "c:\\corvane\\"}));
    EXPECT_TRUE(plan.removeEntry);
    EXPECT_TRUE(plan.keptChanged.empty());
    EXPECT_TRUE(plan.keptAdded.empty());
    EXPECT_TRUE(plan.keptShortcuts.empty());
    EXPECT_TRUE(plan.keptFolders.empty());
    EXPECT_FALSE(plan.entryPointsElsewhere);
}

TEST(RemovalPlan, ChangedAndAddedStayWithTheirFolders) {
    const InstallRecord record = SampleRecord();
    DiskSnapshot disk = Untouched(record);
    // The database worked in (same size, other bytes); dosbox.conf edited (other size).
    disk.files[1].sha256 = Sha256Hex("data2");
    disk.files[2] = {true, false, false, 9, ""};
    // A file and a folder of the user's, and the parent holding a file of theirs too.
    disk.installFolder.items.push_back({"notes.txt"});
    disk.installFolder.items.push_back({"Backup", true, false});
    RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_FALSE(plan.Refused());
    EXPECT_EQ(plan.deleteFiles, InFolder({"tarnw.exe", InstallRecordFile, UninstallerFile}));
    EXPECT_EQ(plan.keptChanged, InFolder({"pentaro1.kdb", "dosbox.conf"}));
    EXPECT_EQ(plan.keptAdded, InFolder({"notes.txt", "Backup\\"}));
    EXPECT_EQ(plan.deleteShortcuts, record.shortcuts);
    EXPECT_TRUE(plan.removeFolders.empty());
    EXPECT_EQ(plan.keptFolders, (Paths{kFolder, "c:\\corvane\\"}));
    EXPECT_TRUE(plan.removeEntry);

    // Only an added subfolder: the install folder stays, so does its parent.
    disk = Untouched(record);
    disk.installFolder.items.push_back({"saves", true, false});
    plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.keptAdded, InFolder({"saves\\"}));
    EXPECT_EQ(plan.deleteFiles.size(), 5u);
    EXPECT_EQ(plan.keptFolders, (Paths{kFolder, "c:\\corvane\\"}));

    // A recorded name that is now a folder of the user's, and a file already deleted.
    disk = Untouched(record);
    disk.files[0] = {true, true, false, 0, ""};
    disk.installFolder.items[0].isFolder = true;
    disk.files[1].exists = false;
    disk.installFolder.items.erase(disk.installFolder.items.begin() + 1);
    plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.keptAdded, InFolder({"tarnw.exe\\"}));
    EXPECT_EQ(plan.deleteFiles, InFolder({"dosbox.conf", InstallRecordFile, UninstallerFile}));
}

TEST(RemovalPlan, CreatedFoldersGoButNotThoseThatExisted) {
    InstallRecord record = SampleRecord();
    // The parent existed and holds something of the user's: only the install folder goes.
    DiskSnapshot disk = Untouched(record);
    disk.createdFolders[0].items.push_back({"other.txt"});
    RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.removeFolders, (Paths{kFolder}));
    EXPECT_EQ(plan.keptFolders, (Paths{"c:\\corvane\\"}));

    // The parent holds another folder (an install of another product).
    disk = Untouched(record);
    disk.createdFolders[0].items.push_back({"tq2", true, false});
    EXPECT_EQ(PlanRemoval(record, disk).removeFolders, (Paths{kFolder}));

    // Only the install folder was created.
    record.createdFolders = {kFolder};
    disk = Untouched(record);
    EXPECT_EQ(PlanRemoval(record, disk).removeFolders, (Paths{kFolder}));

    // The folder existed before the install: it stays, though empty.
    record.createdFolders.clear();
    plan = PlanRemoval(record, Untouched(record));
    EXPECT_TRUE(plan.removeFolders.empty());
    EXPECT_TRUE(plan.keptFolders.empty());
    EXPECT_EQ(plan.deleteFiles.size(), 5u);

    // A created folder already gone is skipped.
    record = SampleRecord();
    disk = Untouched(record);
    disk.createdFolders[0].exists = false;
    EXPECT_EQ(PlanRemoval(record, disk).removeFolders, (Paths{kFolder}));
}

TEST(RemovalPlan, AnyPlantedLinkStopsEverything) {
    const InstallRecord record = SampleRecord();
    const struct {
        const char* what;
        void (*plant)(DiskSnapshot&);
        std::string link;
    } cases[] = {
        {"a symbolic link or hard link in place of a product file",
         [](DiskSnapshot& d) { d.files[1].isLink = true; }, kFolder + "pentaro1.kdb"},
        {"seen only in the listing",
         [](DiskSnapshot& d) { d.installFolder.items[1].isLink = true; }, kFolder + "pentaro1.kdb"},
        {"a link as the record", [](DiskSnapshot& d) { d.installFolder.items[4].isLink = true; },
         kFolder + InstallRecordFile},
        {"a link as the uninstaller",
         [](DiskSnapshot& d) { d.installFolder.items[3].isLink = true; },
         kFolder + UninstallerFile},
        {"the install folder a junction", [](DiskSnapshot& d) { d.installFolder.isLink = true; },
         kFolder},
        {"a created parent a junction", [](DiskSnapshot& d) { d.createdFolders[0].isLink = true; },
         "c:\\corvane\\"},
    };
    for (const auto& c : cases) {
        DiskSnapshot disk = Untouched(record);
        c.plant(disk);
        const RemovalPlan plan = PlanRemoval(record, disk);
        SCOPED_TRACE(c.what);
        ExpectNothingGoes(plan);
        EXPECT_EQ(plan.links, Paths{c.link});
        EXPECT_NE(LinksRefusalMessage(plan.links).find(c.link), std::string::npos);
    }

    // A link the user made in the folder is theirs: kept, not followed, no refusal.
    DiskSnapshot disk = Untouched(record);
    disk.installFolder.items.push_back({"mydata", true, true});
    disk.installFolder.items.push_back({"todo.txt", false, true});
    const RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_FALSE(plan.Refused());
    EXPECT_EQ(plan.keptAdded, InFolder({"mydata\\", "todo.txt"}));
}

TEST(RemovalPlan, ShortcutsGoOnlyWhenTheyLeadIntoTheFolder) {
    InstallRecord record = SampleRecord();
    record.shortcuts.push_back(kDesktop + "pentaro.lnk");
    record.shortcuts.push_back(kPublicDesktop + "pentaro.lnk");
    const struct {
        ShortcutOnDisk found;
        bool goes;
    } cases[] = {
        {{true, false, "C:\\CORVANE\\TQ\\PENTARO.EXE", "", {}, true}, true},
        {{true, false, "c:\\program files\\dosbox\\dosbox.exe",
          "-conf \"C:\\Corvane\\TQ\\dosbox.conf\"", {}, true},
         true},
        {{true, false, "c:\\corvane\\tq2\\pentaro.exe", "", {}, true}, false},
        {{true, false, "c:\\corvane\\tq\\..\\..\\windows\\notepad.exe", "", {}, true}, false},
        {{true, false, "c:\\corvane\\tq", "", {}, true}, true},
        {{true, false, "c:\\program files\\dosbox\\dosbox.exe", "-conf c:\\other\\dosbox.conf", {}, true},
         false},
        {{true, false, "", "", {}, true}, false},                            // unreadable
        {{true, true, "c:\\corvane\\tq\\pentaro.exe", "", {}, true}, false}, // the .lnk is a link
    };
    for (const auto& c : cases) {
        DiskSnapshot disk = Untouched(record);
        disk.shortcuts[2] = c.found;
        disk.shortcuts[3].exists = false; // deleted by the user: nothing to do
        const RemovalPlan plan = PlanRemoval(record, disk);
        SCOPED_TRACE(c.found.target + " " + c.found.arguments);
        const Paths expectedGo =
            c.goes ? Paths{record.shortcuts[0], record.shortcuts[1], record.shortcuts[2]}
                   : Paths{record.shortcuts[0], record.shortcuts[1]};
        EXPECT_EQ(plan.deleteShortcuts, expectedGo);
        EXPECT_EQ(plan.keptShortcuts, c.goes ? Paths{} : Paths{record.shortcuts[2]});
        EXPECT_FALSE(plan.Refused());
        // A kept shortcut keeps nothing else.
        EXPECT_EQ(plan.removeFolders.size(), 2u);
    }
}

TEST(RemovalPlan, TheEntryGoesOnlyWhenItIsThisFolders) {
    const InstallRecord record = SampleRecord();
    const struct {
        bool exists;
        std::string location;
        bool removed, elsewhere;
    } cases[] = {
        {true, "C:\\Corvane\\TQ", true, false},
        {true, "d:\\tq\\", false, true},
        {true, "c:\\corvane\\", false, true},
        {true, "", false, true},
        {false, "", false, false},
    };
    for (const auto& c : cases) {
        DiskSnapshot disk = Untouched(record);
        disk.entryExists = c.exists;
        disk.entryLocation = c.location;
        const RemovalPlan plan = PlanRemoval(record, disk);
        EXPECT_EQ(plan.removeEntry, c.removed) << c.location;
        EXPECT_EQ(plan.entryPointsElsewhere, c.elsewhere) << c.location;
        EXPECT_EQ(plan.deleteFiles.size(), 5u);
    }
    // No entry was recorded: none is touched.
    InstallRecord noEntry = record;
    noEntry.entry = {};
    DiskSnapshot disk = Untouched(record);
    EXPECT_FALSE(PlanRemoval(noEntry, disk).removeEntry);
}

TEST(RemovalPlan, InstalledOntoTheDesktopItsShortcutIsNoUserFile) {
    InstallRecord record;
    record.folder = kDesktop;
    record.files = {{"pentaro.exe", 3, Sha256Hex("MZ2")}};
    record.shortcuts = {kDesktop + "pentaro.lnk"};
    DiskSnapshot disk;
    disk.installFolder = {
        true,
        false,
        {{"pentaro.exe"}, {"Pentaro.LNK"}, {UninstallerFile}, {InstallRecordFile}, {"letter.doc"}}};
    disk.files = {{true, false, false, 3, Sha256Hex("MZ2")}};
    disk.shortcuts = {{true, false, kDesktop + "pentaro.exe", "", {}, true}};
    const RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.deleteShortcuts, record.shortcuts);
    EXPECT_EQ(plan.keptAdded, Paths{kDesktop + "letter.doc"});
    EXPECT_EQ(plan.deleteFiles.size(), 3u);
}

TEST(InstallRecord, FilesFoundThereBeforeAreReadBackAndKept) {
    InstallRecord record = SampleRecord();
    record.files[0].existedBefore = true; // the sibling product's tarnw.exe
    const std::string text = FormatInstallRecord(record);
    EXPECT_NE(text.find("\r\nexisted\ttarnw.exe\r\n"), std::string::npos) << text;
    const InstallRecord back = ParseInstallRecord(text, kFolder);
    EXPECT_TRUE(back.files[0].existedBefore);
    EXPECT_FALSE(back.files[1].existedBefore);

    // Its bytes are the product's, and still it stays; the folder with it.
    const RemovalPlan plan = PlanRemoval(back, Untouched(back));
    EXPECT_EQ(plan.keptExisted, InFolder({"tarnw.exe"}));
    EXPECT_EQ(plan.deleteFiles,
              InFolder({"pentaro1.kdb", "dosbox.conf", InstallRecordFile, UninstallerFile}));
    EXPECT_EQ(plan.removeFolders, Paths{});
    EXPECT_EQ(plan.keptFolders, (Paths{kFolder, "c:\\corvane\\"}));

    // A record of the first format (before such lines) is read as before.
    std::string old = FormatInstallRecord(SampleRecord());
    old.replace(0, old.find('\r'), InstallRecordFormat1Line);
    // Nor had it the file's time.
    for (auto at = old.find("\t0\t"); at != std::string::npos; at = old.find("\t0\t"))
        old.replace(at, 3, "\t");
    EXPECT_EQ(ParseInstallRecord(old, kFolder).files.size(), 3u);
}

TEST(InstallRecord, ReadInTimeLinearInItsLength) {
    // 50,000 files: a quadratic reader takes minutes here, a linear one a moment. The
    // uninstaller must be able to refuse or use such a record without hanging.
    InstallRecord record = SampleRecord();
    for (int i = 0; i < 50000; ++i)
        record.files.push_back({"f" + std::to_string(i) + ".dat", 1, Sha256Hex("x"), i % 2 == 0});
    const std::string text = FormatInstallRecord(record);
    const InstallRecord back = ParseInstallRecord(text, kFolder);
    ASSERT_EQ(back.files.size(), record.files.size());
    EXPECT_TRUE(back.files[3].existedBefore);
    DiskSnapshot disk = Untouched(back);
    EXPECT_EQ(PlanRemoval(back, disk).keptExisted.size(), 25000u);
}

TEST(InstallRecord, FolderNamesCompareAsTheSystemFoldsThem) {
    // Installed into "C:\Spiele\ÜBUNG" (lower-cased by the system's rule to "übung"); the
    // uninstaller finds its folder in the letters on disk.
    InstallRecord record;
    record.folder = "c:\\spiele\\\xFC" "bung\\";
    record.createdFolders = {record.folder};
    const InstallRecord back =
        ParseInstallRecord(FormatInstallRecord(record), "C:\\Spiele\\\xDC" "BUNG\\");
    EXPECT_EQ(back.createdFolders.size(), 1u);
    EXPECT_TRUE(SameName("c:\\spiele\\\xFC" "bung\\", "C:\\SPIELE\\\xDC" "BUNG\\"));
}

TEST(RemovalPlan, ShortcutsAreLookedForOnTodaysDesktops) {
    const Paths moved = {"D:\\OneDrive\\Desktop\\", kPublicDesktop};
    const struct {
        std::string recorded;
        Paths desktops;
        Paths places;
    } cases[] = {
        {kDesktop + "Print F.lnk", kDesktops, {kDesktop + "Print F.lnk"}},
        {"c:\\users\\ann\\desktop\\Print F.lnk", kDesktops,
         {"c:\\users\\ann\\desktop\\Print F.lnk"}},
        // The desktop moved (OneDrive's backup, a redirection): the name on today's.
        {kDesktop + "Print F.lnk", moved,
         {"D:\\OneDrive\\Desktop\\Print F.lnk", kPublicDesktop + "Print F.lnk"}},
        // Never where a tampered record says, unless that is a desktop.
        {"c:\\windows\\system32\\x.lnk", kDesktops,
         {kDesktop + "x.lnk", kPublicDesktop + "x.lnk"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortcutPlaces(c.recorded, c.desktops), c.places) << c.recorded;

    // Found on the moved desktop, it goes; found only where the record says, on no desktop
    // of today, it stays and is named.
    const InstallRecord record = SampleRecord();
    DiskSnapshot disk = Untouched(record);
    disk.shortcuts[0].path = "D:\\OneDrive\\Desktop\\Penta DOSbox.lnk";
    disk.shortcuts[1].inShortcutFolder = false;
    const RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.deleteShortcuts, Paths{"D:\\OneDrive\\Desktop\\Penta DOSbox.lnk"});
    EXPECT_EQ(plan.keptShortcuts, Paths{record.shortcuts[1]});
}

// The Start-menu entry is recorded and removed by the desktop shortcuts' rules; the Start
// menu, too, may have moved since the install (a roaming profile, a redirection).
TEST(RemovalPlan, TheStartMenuEntryGoesByTheShortcutsRules) {
    const std::string programs =
        "C:\\Users\\ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\";
    const std::string commonPrograms =
        "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
    const std::string redirected = "\\\\server\\profiles\\ann\\Start Menu\\Programs\\";
    const std::string name = "Pentaro 3.24.lnk";
    const Paths today = {kDesktop, kPublicDesktop, programs, commonPrograms};
    const struct {
        std::string recorded;
        Paths folders;
        Paths places;
    } cases[] = {
        {programs + name, today, {programs + name}},
        {commonPrograms + name, today, {commonPrograms + name}},
        // Moved: the name in every shortcut folder of today.
        {programs + name,
         {kDesktop, kPublicDesktop, redirected, commonPrograms},
         {kDesktop + name, kPublicDesktop + name, redirected + name, commonPrograms + name}},
        // A folder the system could not name is no place.
        {programs + name, {kDesktop, "", programs}, {programs + name}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortcutPlaces(c.recorded, c.folders), c.places) << c.recorded;

    InstallRecord record = SampleRecord();
    record.shortcuts.push_back(programs + name);
    const InstallRecord back = ParseInstallRecord(FormatInstallRecord(record), kFolder);
    EXPECT_EQ(back.shortcuts, record.shortcuts);

    // Through DOSBox with the folder's dosbox.conf, found in the moved Start menu: it goes.
    // Changed by the user to start something else: it stays, and nothing else does for it.
    const ShortcutOnDisk throughDosBox{true, false, "c:\\dosbox\\dosbox.exe",
                                       "-noconsole -conf " + kFolder + "dosbox.conf",
                                       redirected + name, true};
    DiskSnapshot disk = Untouched(record);
    disk.shortcuts[2] = throughDosBox;
    RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.deleteShortcuts,
              (Paths{record.shortcuts[0], record.shortcuts[1], redirected + name}));
    EXPECT_TRUE(plan.keptShortcuts.empty());

    disk.shortcuts[2].arguments = "-noconsole -conf d:\\mine\\dosbox.conf";
    plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.deleteShortcuts, (Paths{record.shortcuts[0], record.shortcuts[1]}));
    EXPECT_EQ(plan.keptShortcuts, Paths{redirected + name});
    EXPECT_EQ(plan.removeFolders.size(), 2u);
}

TEST(RemovalPlan, TheTemporaryRecordOfAStoppedInstallGoesWithTheRecord) {
    const InstallRecord record = SampleRecord();
    DiskSnapshot disk = Untouched(record);
    disk.installFolder.items.push_back({std::string(InstallRecordFile) + ".new"});
    // The uninstaller cut short by a stop while it was written.
    disk.installFolder.items.push_back({std::string(UninstallerFile) + ".NEW"});
    const RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_TRUE(plan.keptAdded.empty());
    EXPECT_EQ(plan.removeFolders.size(), 2u);
    const Steps steps = RemovalOrder(plan);
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[2].kind, RemovalStep::Record);
    EXPECT_EQ(steps[2].paths, InFolder({std::string(InstallRecordFile) + ".new",
                                        std::string(UninstallerFile) + ".NEW", InstallRecordFile}));
}

namespace {

// The disk and the registry as a model: what is there, by path.
struct World {
    std::vector<std::string> present; // files and shortcuts
    bool entry = true;
    bool Has(const std::string& path) const {
        return std::find(present.begin(), present.end(), path) != present.end();
    }
    void Remove(const std::string& path) { std::erase(present, path); }
};

// The snapshot an uninstaller started now would take of `world`.
DiskSnapshot Look(const InstallRecord& record, const World& world) {
    DiskSnapshot disk = Untouched(record);
    for (std::size_t i = 0; i < record.files.size(); ++i)
        disk.files[i].exists = world.Has(kFolder + record.files[i].name);
    for (std::size_t i = 0; i < record.shortcuts.size(); ++i)
        disk.shortcuts[i].exists = world.Has(record.shortcuts[i]);
    std::erase_if(disk.installFolder.items,
                  [&](const ListedItem& item) { return !world.Has(kFolder + item.name); });
    disk.entryExists = world.entry;
    return disk;
}

void Do(const RemovalStep& step, World& world) {
    if (step.kind == RemovalStep::Entry) world.entry = false;
    if (step.kind != RemovalStep::Folders)
        for (const std::string& path : step.paths)
            world.Remove(path);
}

} // namespace

TEST(RemovalOrder, AStopAtAnyMomentLeavesWhatASecondRunFinishes) {
    const InstallRecord record = SampleRecord();
    World full;
    for (const RecordedFile& file : record.files)
        full.present.push_back(kFolder + file.name);
    for (const char* name : {UninstallerFile, InstallRecordFile})
        full.present.push_back(kFolder + name);
    full.present.insert(full.present.end(), record.shortcuts.begin(), record.shortcuts.end());

    const Steps steps = RemovalOrder(PlanRemoval(record, Look(record, full)));
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].kind, RemovalStep::Together);
    EXPECT_EQ(steps[1].kind, RemovalStep::Entry);
    EXPECT_EQ(steps[2].kind, RemovalStep::Record);
    EXPECT_EQ(steps[3].kind, RemovalStep::Uninstaller);
    EXPECT_EQ(steps[4].kind, RemovalStep::Folders);

    // Stopped after each step (power, a kill, a failed deletion): while the record is there,
    // a second run plans from what is left and removes all of it; once it is gone, only the
    // uninstaller and the folders remain, which the stopped run's first process removes.
    for (std::size_t stop = 0; stop <= steps.size(); ++stop) {
        SCOPED_TRACE(stop);
        World world = full;
        for (std::size_t i = 0; i < stop; ++i)
            Do(steps[i], world);
        if (!world.Has(kFolder + InstallRecordFile)) {
            EXPECT_FALSE(world.entry);
            for (const std::string& path : world.present)
                EXPECT_EQ(path, kFolder + UninstallerFile);
            continue;
        }
        const RemovalPlan again = PlanRemoval(record, Look(record, world));
        EXPECT_FALSE(again.Refused());
        for (const RemovalStep& step : RemovalOrder(again))
            Do(step, world);
        EXPECT_FALSE(world.entry);
        EXPECT_EQ(world.present, Paths{});
    }
}

TEST(FoundFiles, OnlyTheProductsOwnBytesAreWrittenOver) {
    // The install is about to write "data1" (5 bytes) as pentaro1.kdb.
    const std::string item = Sha256Hex("data1");
    const RecordedFile earlier{"pentaro1.kdb", 5, item};
    const RecordedFile earlierFound{"pentaro1.kdb", 5, item, true};
    const RecordedFile longer{"pentaro1.kdb", 9, Sha256Hex("data1 new")};
    const FileOnDisk none{};
    const FileOnDisk same{true, false, false, 5, Sha256Hex("data1")};
    const FileOnDisk sameSizeOther{true, false, false, 5, Sha256Hex("DATA1")};
    const FileOnDisk shorter{true, false, false, 3, ""}; // other size: not hashed
    const FileOnDisk link{true, false, true, 5, ""};
    const FileOnDisk folder{true, true, false, 0, ""};
    const struct {
        const char* what;
        const FileOnDisk& found;
        const RecordedFile* earlier;
        bool incomplete;
        bool existedBefore, keepUsersVersion;
    } cases[] = {
        {"nothing there", none, nullptr, false, false, false},
        {"nothing there, recorded", none, &earlier, false, false, false},
        {"the product's bytes, no record (a stopped first run)", same, nullptr, false, false,
         false},
        {"the product's bytes, recorded", same, &earlier, false, false, false},
        {"the product's bytes, recorded as found there", same, &earlierFound, false, true, false},
        {"the user's file, no record (readme.txt in Documents)", sameSizeOther, nullptr, false,
         false, true},
        {"the user's file, no record, other size", shorter, nullptr, false, false, true},
        {"changed since the earlier install", sameSizeOther, &earlier, false, false, true},
        {"recorded, but the record is incomplete: same size is no cut write", sameSizeOther,
         &earlier, true, false, true},
        {"a cut write of a stopped run", shorter, &longer, true, false, false},
        {"shorter than recorded, but the record is complete", shorter, &longer, false, false,
         true},
        {"a link: replaced by its own name", link, nullptr, false, false, false},
        {"a folder: the write fails", folder, nullptr, false, false, false},
    };
    for (const auto& c : cases) {
        const FoundFileAction action = ActionForFoundFile(c.found, 5, item, c.earlier, c.incomplete);
        EXPECT_EQ(action.existedBefore, c.existedBefore) << c.what;
        EXPECT_EQ(action.keepUsersVersion, c.keepUsersVersion) << c.what;
    }
    EXPECT_EQ(KeptVersionName("pentaro1.kdb", "2026-12-08"),
              "pentaro1 (your version of 2026-12-08).kdb");
    EXPECT_EQ(KeptVersionName("pentaro1.kdb", "2026-12-08", 3),
              "pentaro1 (your version of 2026-12-08 3).kdb");
    EXPECT_EQ(KeptVersionName("readme", "2026-12-08"), "readme (your version of 2026-12-08)");
}

// Whether a recorded file still holds what the install wrote: size and last-write time
// decide without reading it; the hash decides only a file of the recorded size whose time
// moved (copied back, restored) and every file of a record without times (formats 1, 2).
TEST(RemovalPlan, SizeAndTimeDecideAndTheHashOnlyWhereTheyCannot) {
    using State = RecordedFileState;
    const std::uint64_t installed = 125000000000000000ull; // a 1997 time, as the payload's
    const std::string product = Sha256Hex("data1"), other = Sha256Hex("data2");
    struct Case {
        const char* What;
        std::uint64_t RecordedTime; // 0: a record of format 1 or 2
        std::uint64_t Size, Time;
        std::string Hash; // empty: not read
        State Expected;
    } cases[] = {
        {"as written: size and time", installed, 5, installed, "", State::Unchanged},
        {"as written, read anyway", installed, 5, installed, product, State::Unchanged},
        {"written to, same size", installed, 5, installed + 1, "", State::HashNeeded},
        {"written to, same size, other bytes", installed, 5, installed + 1, other,
         State::Changed},
        {"the product's bytes copied back", installed, 5, installed + 1, product,
         State::Unchanged},
        {"another size, its time given back", installed, 6, installed, "", State::Changed},
        {"another size", installed, 4, installed + 1, "", State::Changed},
        {"older record: same size", 0, 5, installed, "", State::HashNeeded},
        {"older record: a time of 0 on disk too", 0, 5, 0, "", State::HashNeeded},
        {"older record: the product's bytes", 0, 5, installed, product, State::Unchanged},
        {"older record: other bytes", 0, 5, installed, other, State::Changed},
        {"older record: another size", 0, 9, installed, "", State::Changed},
    };
    for (const Case& c : cases) {
        RecordedFile file{"pentaro1.kdb", 5, product};
        file.time = c.RecordedTime;
        FileOnDisk found{true, false, false, c.Size, c.Hash, c.Time};
        EXPECT_EQ(StateOfRecordedFile(file, found), c.Expected) << c.What;

        // The plan deletes only what is unchanged; a file left unread is kept.
        InstallRecord record = SampleRecord();
        record.files[1] = file;
        DiskSnapshot disk = Untouched(record);
        disk.files[1] = found;
        const RemovalPlan plan = PlanRemoval(record, disk);
        const bool deleted =
            std::find(plan.deleteFiles.begin(), plan.deleteFiles.end(), kFolder + file.name) !=
            plan.deleteFiles.end();
        EXPECT_EQ(deleted, c.Expected == State::Unchanged) << c.What;
        EXPECT_EQ(plan.keptChanged, deleted ? Paths{} : Paths{kFolder + file.name}) << c.What;
    }
}
