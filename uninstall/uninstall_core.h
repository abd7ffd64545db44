#pragma once
// What an install made, recorded in the install folder (InstallRecordFile), and what the
// uninstaller removes of it: the record's text both ways and the removal plan, worked out
// from the record and what is on disk now. Portable: no system calls.
//
// Paths are 8-bit ANSI text with backslashes, compared as the file system compares them
// (SameName, FoldedName: the system's one rule for case). Folders end in exactly one
// backslash.
#include "toolkit/exception.h"

#include <cstdint>
#include <string>
#include <vector>

// The key under HKCU or HKLM that holds the product's Apps & Features entry:
// "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane Pentaro".
inline constexpr char UninstallKeyParent[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
std::string UninstallKeyPath();

// The first line of every record; a later format gets a new number. Formats 1 (written
// before files found in the folder were recorded) and 2 (before files carried their time
// and a record was written ahead of the first file) are read too.
inline constexpr char InstallRecordFormatLine[] = "PentaroSetup install record 3";
inline constexpr char InstallRecordFormat2Line[] = "PentaroSetup install record 2";
inline constexpr char InstallRecordFormat1Line[] = "PentaroSetup install record 1";
// What every format line begins with: a file that does not is no record of this installer.
inline constexpr char InstallRecordFormatPrefix[] = "PentaroSetup install record ";

// A record is a few hundred bytes a file; one larger than this cannot be the installer's.
inline constexpr std::size_t MaxInstallRecordBytes = 16u << 20;

// One file the install wrote into the install folder.
struct RecordedFile {
    std::string name;       // bare file name
    std::uint64_t size = 0; // bytes written
    std::string sha256;     // of the bytes written: 64 lower-case hex digits
    // A file of that name was in the folder before the install wrote it (the sibling
    // product's, or the user's own): it stays when the product is removed.
    bool existedBefore = false;
    // The last-write time the install left on it, in FILETIME ticks (100 ns since
    // 1601-01-01 UTC); 0 when not known (records before format 3).
    std::uint64_t time = 0;
};

// The entry the install registered. The uninstaller reads and deletes it in the same
// registry root and view it was written in.
struct RecordedEntry {
    std::string root; // "HKCU" (per user) or "HKLM" (all users); empty: no entry was written
    std::string view; // "32": the 32-bit registry view (under WOW6432Node on 64-bit Windows)
    std::string key;  // UninstallKeyPath()
};

struct InstallRecord {
    std::string folder; // the install folder
    // What the run wrote there, dosbox.conf included, in the order written. The uninstaller
    // (UninstallerFile) and the record itself are not listed: they always belong to the
    // install, and they are always removed.
    std::vector<RecordedFile> files;
    // Full paths of the shortcuts made, each a .lnk file on the desktop or in the Start
    // menu's programs of its day (either may have moved since: the uninstaller looks for the
    // name in today's, ShortcutPlaces).
    std::vector<std::string> shortcuts;
    // The folders the run created, which did not exist before: the install folder and, when
    // the run made them too, its parents (each the parent of the next). Empty when the
    // install folder existed.
    std::vector<std::string> createdFolders;
    RecordedEntry entry;
    // Written before the install's first file and not yet rewritten by its end: the run
    // that wrote it was stopped (a failure, a kill, a cancel) somewhere between.
    bool incomplete = false;
};

// The record as it is written: the format line, then one line per fact, fields separated
// by a tab, every line ending in CR LF:
//   folder   <install folder>
//   file     <size> <sha256> <time> <name>   (format 1 and 2: no time)
//   existed  <name>          (a recorded file that was in the folder before the install)
//   shortcut <full path>
//   created  <folder>
//   entry    <root> <view> <key>
//   incomplete                (InstallRecord::incomplete)
std::string FormatInstallRecord(const InstallRecord& record);

// Raised when the record cannot be used: missing, unreadable, or naming something the
// install cannot have made. The message says why, names the record, and says that nothing
// was deleted.
class EUnusableRecord : public tk::Exception {
public:
    // `reason` completes "the record of its installation, <recordPath>, ...": "is missing",
    // "cannot be read", "has a line 3 that is not understood: ...".
    EUnusableRecord(const std::string& recordPath, const std::string& reason);
};

// Why a record of `bytes` bytes, more than MaxInstallRecordBytes, is refused: its length in
// megabytes (the reader of the file says it before reading it).
std::string RecordTooLongReason(std::uint64_t bytes);

// Reads a record written by FormatInstallRecord for the uninstaller that runs in
// `installFolder`, in time linear in its length. Raises EUnusableRecord for a text longer
// than MaxInstallRecordBytes, a missing or unknown format line, a line not understood or
// repeated, a folder other than `installFolder`, a file name that is not a bare file name
// (a path, "..", a device name), an "existed" line for a name no file line has, a shortcut
// that is not a .lnk file named by its full path (drive or network), a created folder that
// is not the install folder or a parent of it in an unbroken line, and an entry other than
// the product's own. Lines may also end in LF alone; empty lines are skipped.
InstallRecord ParseInstallRecord(const std::string& text, const std::string& installFolder);

// Where to look for the recorded shortcut `recorded` today: itself when it lies directly in
// one of `folders` (the folders shortcuts go to as they are now: the user's and the public
// desktop, the user's and all users' Start-menu programs), else its file name in each of them
// (its folder moved since the install: a OneDrive backup, a redirection).
std::vector<std::string> ShortcutPlaces(const std::string& recorded,
                                        const std::vector<std::string>& folders);

// The name under which an install keeps a file of the user's that it would otherwise write
// over: "pentaro1.kdb" last changed on "2026-12-08" is "pentaro1 (your version of
// 2026-12-08).kdb"; `number` 2, 3... (for when that name is taken) adds " 2", " 3" before
// the ")".
std::string KeptVersionName(const std::string& name, const std::string& date, int number = 1);

// What an install does with one of its files that it finds already in the folder. The
// rule of Windows Installer for files without versions: a file the install did not write
// is the user's. A file is the product's only when its bytes are those the install is
// about to write; every other file is kept beside (KeptVersionName) before the product's is
// written, whatever an earlier record says and whether or not there is one, with one
// exception: the cut write of a run that was stopped (its record is incomplete and names the
// file with more bytes than are there; that run had moved any file of the user's aside
// before it wrote its record).
struct FoundFileAction {
    bool existedBefore = false;    // record it as there before the install (kept at removal)
    bool keepUsersVersion = false; // not the product's bytes: move it aside first
};
struct FileOnDisk;
// `found`: what lies under the name (FileOnDisk below; its sha256 may stay empty when its
// size differs from `itemSize`); `itemSize`, `itemSha256`: what the install writes there;
// `earlier`: the file in the usable record of an earlier install (null when there is no
// such record or it does not name the file), from a record that is `earlierIncomplete`.
FoundFileAction ActionForFoundFile(const FileOnDisk& found, std::uint64_t itemSize,
                                   const std::string& itemSha256, const RecordedFile* earlier,
                                   bool earlierIncomplete);

// --- What is on disk now, as the uninstaller's Win32 side finds it ---

// A name that is a link means a reparse point (symbolic link, junction, mount point) or a
// file with more than one name (a hard link).

// One name in a folder's listing ("." and ".." left out).
struct ListedItem {
    std::string name;
    bool isFolder = false;
    bool isLink = false;
};

// A recorded file as found under its name in the install folder.
struct FileOnDisk {
    bool exists = false;
    bool isFolder = false;
    bool isLink = false;
    std::uint64_t size = 0;
    // Of the bytes there now, lower or upper case; may stay empty when the size differs
    // from the recorded one (the file has changed either way), when StateOfRecordedFile
    // needs no hash to decide, or when it is a link or a folder.
    std::string sha256;
    // Its last-write time (FILETIME ticks, as RecordedFile::time); 0 when not looked at.
    std::uint64_t time = 0;
};

// Whether a recorded file, found as `found` (a file, no link), holds what the install wrote.
// The rule of Windows Installer for files without versions: a file written to since the
// install is the user's. Of the recorded size and with the last-write time the install left
// on it, it is unchanged without reading a byte; of the recorded size but another time (or
// no recorded time: records before format 3, time 0) only its bytes can tell, HashNeeded
// until `found.sha256` holds their hash; of another size, changed. So the uninstall reads
// only files whose time moved, and its time follows the number of files, not their bytes.
enum class RecordedFileState { Unchanged, Changed, HashNeeded };
RecordedFileState StateOfRecordedFile(const RecordedFile& file, const FileOnDisk& found);

// A recorded shortcut as found.
struct ShortcutOnDisk {
    bool exists = false;
    bool isLink = false; // the .lnk name itself; such a shortcut is left alone
    // What the shortcut file says, as its shell link reads it; both empty when it cannot be
    // read (then it is left alone).
    std::string target;
    std::string arguments;
    // Where it was found, when not where the record says (ShortcutPlaces: on today's
    // desktop or in today's Start menu); empty for the recorded path.
    std::string path;
    // False when found only where the record says and that is in none of today's shortcut
    // folders: it is then left alone and named.
    bool inShortcutFolder = true;
};

// A created folder, or the install folder, as found.
struct FolderOnDisk {
    bool exists = false;
    bool isLink = false;
    std::vector<ListedItem> items; // its whole listing
};

struct DiskSnapshot {
    FolderOnDisk installFolder;
    std::vector<FileOnDisk> files;         // one per InstallRecord::files, in its order
    std::vector<ShortcutOnDisk> shortcuts; // one per InstallRecord::shortcuts
    // One per InstallRecord::createdFolders. The listing of the install folder itself is
    // taken from `installFolder`: its entry here needs only `exists` and `isLink`.
    std::vector<FolderOnDisk> createdFolders;
    // The entry in the recorded root, view and key: whether it exists and its
    // InstallLocation value.
    bool entryExists = false;
    std::string entryLocation;
};

// --- What the uninstall does ---

struct RemovalPlan {
    // Links found where the install put a file or folder (full paths, folders with a
    // trailing backslash). When there is one, nothing may be deleted: every list of what
    // goes below is then empty and removeEntry false.
    std::vector<std::string> links;

    // What goes: files (recorded files whose bytes are those written, a temporary record
    // left by a stopped install, then the record, then the uninstaller), shortcuts, folders
    // (deepest first), the entry. The order in which they go is RemovalOrder's.
    std::vector<std::string> deleteFiles;     // full paths in the install folder
    std::vector<std::string> deleteShortcuts; // full paths
    std::vector<std::string> removeFolders;   // the created folders that will be empty
    bool removeEntry = false;

    // What stays, and why.
    std::vector<std::string> keptChanged;   // recorded files whose size or bytes changed
    std::vector<std::string> keptExisted;   // recorded files that were there before
    std::vector<std::string> keptAdded;     // files and folders (trailing backslash) the
                                            // install did not make
    std::vector<std::string> keptShortcuts; // that no longer point into the folder, or
                                            // are links, or cannot be read
    std::vector<std::string> keptFolders;   // created folders with something kept in them
    bool entryPointsElsewhere = false;      // the entry exists for another install folder

    bool Refused() const { return !links.empty(); }
};

// The removal plan: nothing the user made or changed is planned for deletion, nothing is
// deleted through a link, and a created folder is removed only when everything in it goes.
// A shortcut goes when its target lies in the install folder (with no ".." in it) or its
// arguments name that folder (the DOSBox shortcut starts DOSBox with the dosbox.conf there). `disk`
// must hold one entry per recorded file, shortcut and created folder (else std::invalid_argument).
RemovalPlan PlanRemoval(const InstallRecord& record, const DiskSnapshot& disk);

// The order in which the plan's deletions are done, so that a stop at any moment (power,
// a kill, a failure) leaves what a second run finishes: first the product's files and the
// shortcuts, all together or none; then the entry; then the record (which names what the
// second run must look for); the uninstaller and the emptied folders last, once it has ended.
struct RemovalStep {
    enum Kind { Together, Entry, Record, Uninstaller, Folders } kind;
    std::vector<std::string> paths; // Together: files then shortcuts; Record: the temporary
                                    // record, then the record; Folders: deepest first
};
std::vector<RemovalStep> RemovalOrder(const RemovalPlan& plan);

// The message for a refused plan: the links found, one a line, and that nothing was
// deleted.
std::string LinksRefusalMessage(const std::vector<std::string>& links);
