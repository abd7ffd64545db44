#include "engine/sha256.h"
#include "install/uninstall_core.h"
#include "resources/product.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Paths = std::vector<std::string>;

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
        ShortcutOnDisk found{true, false, record.folder + "spool32.exe", "f"};
        if (shortcut.ends_with("DOSbox.lnk"))
            found = {true, false, "c:\\program files\\dosbox-0.74\\dosbox.exe",
                     "-noconsole -conf " + record.folder + "dosbox.conf"};
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
    EXPECT_TRUE(text.starts_with("PentaroSetup install record 1\r\n"
                                 "folder\tc:\\corvane\\tq\\\r\n"
                                 "file\t3\t" +
                                 hash + "\ttarnw.exe\r\n"))
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
        const InstallRecord back = ParseInstallRecord(read, "C:\\Corvane\\TQ", kDesktops);
        EXPECT_EQ(back.folder, "C:\\Corvane\\TQ\\");
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
        ParseInstallRecord(FormatInstallRecord(plain), "d:\\games\\tq\\", kDesktops);
    EXPECT_EQ(back.files[0].name, "a b.txt");
    EXPECT_TRUE(back.createdFolders.empty());
    EXPECT_TRUE(back.entry.root.empty());
}

TEST(InstallRecord, TamperedRecordsAreRefused) {
    const std::string base = FormatInstallRecord(SampleRecord());
    const std::string hash = Sha256Hex("x");
    auto with = [&](const std::string& line) { return base + line + "\r\n"; };
    const struct {
        std::string text;
        std::string named; // what the message must name
    } cases[] = {
        {"", "PentaroSetup install record 1"},
        {base.substr(base.find('\n') + 1), "PentaroSetup install record 1"},
        {"PentaroSetup install record 2\r\n" + base.substr(base.find('\n') + 1),
         "PentaroSetup install record 2"},
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
        {with("shortcut\tc:\\windows\\x.lnk"), "c:\\windows\\x.lnk"},
        {with("shortcut\t" + kFolder + "x.lnk"), kFolder + "x.lnk"},
        {with("shortcut\t" + kDesktop + "sub\\x.lnk"), kDesktop + "sub\\x.lnk"},
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
            ParseInstallRecord(c.text, kFolder, kDesktops);
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
        {{true, false, "C:\\CORVANE\\TQ\\PENTARO.EXE", ""}, true},
        {{true, false, "c:\\program files\\dosbox\\dosbox.exe",
          "-conf \"C:\\Corvane\\TQ\\dosbox.conf\""},
         true},
        {{true, false, "c:\\corvane\\tq2\\pentaro.exe", ""}, false},
        {{true, false, "c:\\corvane\\tq\\..\\..\\windows\\notepad.exe", ""}, false},
        {{true, false, "c:\\corvane\\tq", ""}, true},
        {{true, false, "c:\\program files\\dosbox\\dosbox.exe", "-conf c:\\other\\dosbox.conf"},
         false},
        {{true, false, "", ""}, false},                            // unreadable
        {{true, true, "c:\\corvane\\tq\\pentaro.exe", ""}, false}, // the .lnk is a link
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
    disk.shortcuts = {{true, false, kDesktop + "pentaro.exe", ""}};
    const RemovalPlan plan = PlanRemoval(record, disk);
    EXPECT_EQ(plan.deleteShortcuts, record.shortcuts);
    EXPECT_EQ(plan.keptAdded, Paths{kDesktop + "letter.doc"});
    EXPECT_EQ(plan.deleteFiles.size(), 3u);
}
