#pragma once
// File and path helpers shared by the start-up check, the main window, the installation
// run and the DOSBox set-up. Paths are 8-bit ANSI text with backslashes. None of these
// shows a message or raises on an ordinary file-system failure: each reports through its
// result (false, empty text, a system error code) or, where stated, not at all.
#include "toolkit/exception.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct _ITEMIDLIST;

// --- Pure path logic (no system calls) ---

// `path` ending in exactly one backslash, however many it ended in before
// ("C:" -> "C:\", "C:\data\\\" -> "C:\data\", "\\" -> "\"). Empty text stays empty.
std::string AddTrailingBackslash(const std::string& path);

// `path` without any trailing backslash ("C:\" -> "C:", "\" -> "").
std::string StripTrailingBackslashes(const std::string& path);

// Cuts `text` at its first NUL character, if it has one (a buffer the system filled
// becomes the zero-terminated string it holds).
void TrimAtFirstNul(std::string& text);

// Splits the first token off `text`. A one-character `separator` splits at its first
// occurrence; a longer one is a set of characters, any of which splits (an empty one
// never does). Returns the text before the split; `text` keeps what follows the
// separator character, which goes to neither. Without a separator the whole text is
// the token and `text` becomes empty.
std::string SplitNextToken(std::string& text, const std::string& separator);

// True when `folder` names a place independent of the current directory: its first
// character is a backslash or its second a colon.
bool IsRootedFolder(const std::string& folder);

// `path` with every forward slash turned into a backslash ("c:/tq/sub" -> "c:\tq\sub"), the
// form in which the rules here and the folder walk of EnsureFolder see its parts.
std::string WithBackslashes(std::string path);

// True when every name in `folder` (the parts between backslashes or forward slashes) is
// kept by Windows as written: none ends in a blank or a dot, which Windows silently drops
// ("c:\tq   " would make c:\tq, and the files then go nowhere). "." and ".." pass; so does
// empty text, which EnsureFolder refuses for its own reason.
bool FolderNamesAreKept(const std::string& folder);

// `path` (rooted: "c:\..." or "\\server\share\...") in one spelling: '/' read as '\', runs of
// backslashes as one (after the two that begin a network path), "." names dropped, and each
// ".." taking away the name before it (never the root), as Windows reads the path; ends in
// exactly one backslash. Case is kept. "c:\.\tq", "c:\\tq\" and "c:\x\..\tq" all give "c:\tq\".
// A path that is not rooted keeps its leading "..".
std::string NormalFolderPath(const std::string& path);

// `text` with its letters in one case by the system's rule, so that two names are the same
// name to the file system when their folded forms are equal (SameName). The Win32 build
// folds as the system does in its ANSI code page (upper case, "Übung" and "ÜBUNG" alike);
// the native build by Windows-1252's letters. The one rule for comparing paths and names.
std::string FoldedName(std::string_view text);
bool SameName(std::string_view a, std::string_view b);
// Sets the rule FoldedName follows (the Win32 shell sets the system's at start-up).
void SetNameFolding(std::string (*rule)(std::string_view));

// The folder part of `path`: everything up to and including its last backslash or
// colon; empty when it has neither ("C:\a\b" -> "C:\a\", "C:" -> "C:").
std::string ParentPart(const std::string& path);

// The file-system operations that EnsureFolder needs, so that its rules can be tested
// without a disk. The Win32 build supplies the real ones.
class FolderSystem {
public:
    virtual ~FolderSystem() = default;
    virtual std::string CurrentDirectory() = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Creates one folder whose parent exists; false on failure.
    virtual bool CreateFolder(const std::string& path) = 0;
};

// EnsureFolder's rules on the given file system (see EnsureFolder below).
bool EnsureFolderIn(FolderSystem& system, std::string& folder,
                    std::vector<std::string>* created = nullptr);

// --- Operations on the real file system (Win32 build only) ---

// Makes sure `folder` exists, creating every missing folder of it, outermost first.
// Forward slashes count as backslashes. A folder with a name that Windows would not keep
// as written (FolderNamesAreKept) is refused before anything is created, with the last
// error ERROR_INVALID_NAME. A relative folder is taken against the current directory (its absolute
// form then has no trailing backslash); a rooted one (leading backslash, or drive letter and colon)
// is used as given. Returns true when the folder exists afterwards; `folder` then holds
// the folder used. On false (empty text, a creation failed) `folder` keeps its value,
// and folders created before the failure stay. `created`, when given, receives each folder
// this call made, outermost first (also on false). `access`, when given, is the security (in
// SDDL) each folder it makes gets in the very call that makes it, so that nobody can open or
// change the folder in between.
bool EnsureFolder(std::string& folder, std::vector<std::string>* created = nullptr,
                  const char* access = nullptr);

// True when `path` exists and is a file (not a folder) / a folder (not a file). Any
// failure to ask (no such path, no access to its parent) counts as false.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Raised when a file of the installation would be written through a link that someone
// else may have placed: the message names the link and tells the user what to do.
class ELinkedPath : public tk::Exception {
public:
    explicit ELinkedPath(const std::string& link);
};

// Whether the folders of a path are checked for links: the install folder's are (a link
// there would carry every file elsewhere); the desktop's are not, since it is the user's own
// choice where the desktop lies (a redirected desktop is a link). The name itself is always
// checked.
enum class LinkedFolders { Refuse, Follow };

// Readies `path` for a file to be written anew without going through a link. A folder of
// `path` below its drive root that is a link (a reparse point: symbolic link, junction,
// mounted folder) raises ELinkedPath unless `folders` says Follow. When `path` itself is a
// link (also one that leads nowhere, which the system reports as no file at all), or a file
// with more than one name (a hard link), that name alone is removed, never what it leads to,
// and the result is true: the caller then creates the file with CREATE_NEW, so that a name
// put back in the meantime fails instead of being followed. Where the name cannot be removed
// without following it (Wine opens every file link through to its target), ELinkedPath is
// raised and nothing changes. False when nothing is there or an ordinary file is, which may
// be replaced in place.
bool RemoveLinkedName(const std::string& path, LinkedFolders folders = LinkedFolders::Refuse);

// True when the name `path` is a link by the rules of RemoveLinkedName (a reparse point that
// leads elsewhere, a name that leads nowhere, a file with several names), or a folder that is
// a reparse point leading elsewhere, without changing anything: what a clean-up or the
// uninstaller must leave alone, since the shell would act on what it leads to. False when
// nothing is there.
bool IsLinkedName(const std::string& path);

// Raises ELinkedPath for the first folder of `path` below its root (a drive letter, or
// \\server\share) that is a link (a reparse point that leads elsewhere).
void RefuseLinkedFolders(const std::string& path);

// Sets the file or folder open as `handle` (a HANDLE opened with DELETE access) to go when
// its last handle closes (`deleting` false takes that back): the name the handle was opened
// by, never what a link leads to when it was opened without following links. 0, or the
// system's error code. Also on Windows XP, which lacks SetFileInformationByHandle.
unsigned long MarkForDeletion(void* handle, bool deleting = true);

// Opens the file `path` to look at it and then perhaps delete it: the name itself, never what
// a link leads to, with no sharing, so that nobody can open, change or delete it while the
// handle stays open, and the open fails (ERROR_SHARING_VIOLATION) while anyone else has it
// open. With read, delete and attribute rights. The handle (a HANDLE), or
// INVALID_HANDLE_VALUE with the system's last error.
void* OpenForRemoval(const std::string& path);

// What a handle from OpenForRemoval shows of its file: its size, whether it is a link (a
// reparse point that leads elsewhere, or one of several names), a folder, read-only.
struct HeldFileInfo {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0; // FILETIME ticks (100 ns since 1601, UTC)
    bool isLink = false;
    bool isFolder = false;
    bool readOnly = false;
};
// 0 or the system's error code.
unsigned long HeldFileInformation(void* handle, const std::string& path, HeldFileInfo& info);
// Reads the file open as `handle` from its start, handing each piece to `take`. 0 or the
// system's error code.
unsigned long ReadHandlePieces(void* handle,
                               const std::function<void(const char*, std::size_t)>& take);
// Sets or clears the read-only attribute of the file open as `handle` (which needs the
// right to write attributes); a read-only file cannot be marked for deletion. 0 or the
// system's error code.
unsigned long SetReadOnly(void* handle, bool readOnly);

// Replaces the file `path` by `data` (created if missing). Empty `data` deletes the
// file instead and creates nothing. Reports nothing at all: a file that cannot be opened
// or deleted is silently left as it was, and a short write goes unnoticed. Callers that
// must know whether the file was written check for themselves.
void WriteStringToFile(const std::string& path, const std::string& data);

// Writes `data` to `path` (created or replaced, in one write call) and checks that every
// byte arrived and the file closed cleanly. Returns 0, or the system error code
// (ERROR_DISK_FULL for a short write that set none); a file left incomplete is removed.
// Empty data creates an empty file. Never writes through a link: see RemoveLinkedName,
// whose ELinkedPath passes to the caller; a name that appears where none was seen (a link
// the system cannot look through) raises ELinkedPath too.
unsigned long WriteFileChecked(const std::string& path, const std::string& data,
                               LinkedFolders folders = LinkedFolders::Refuse);

// The name under which WriteFileAnew writes `path` before it renames it into place: `path`
// with ".new" appended. A run that was stopped may leave it; the uninstaller removes it.
std::string TemporaryFileName(const std::string& path);

// Writes a new file under `path`, whole or not at all: `produce` hands the bytes to the
// writer it is given, in pieces, into a file created anew under TemporaryFileName(path),
// which is then renamed over `path` (replacing whatever name is there, a link included,
// never what it leads to). Whatever lay under the temporary name is removed first, never
// followed; a name there that cannot be removed, or that comes back before the file is
// created, refuses the write. So what `path` names afterwards is a file this process made
// (its owner, the access it inherits from the folder), never one someone else made or a cut
// one (a full disk, a kill). 0, or the system's error code (ERROR_DISK_FULL for a short write
// that set none); the temporary file does not stay, also when `produce` raises, which passes
// on. The folders of `path` are checked for links as WriteFileChecked does.
using PieceWriter = std::function<void(const char*, std::size_t)>;
unsigned long WriteFileAnew(const std::string& path,
                            const std::function<void(const PieceWriter&)>& produce);

// Reads the file `path` from start to end, handing each piece to `take` as it arrives,
// never through a link that leads elsewhere (a reparse point is opened as itself). 0, or
// the system's error code.
unsigned long ReadFilePieces(const std::string& path,
                             const std::function<void(const char*, std::size_t)>& take);
// ReadFilePieces into `data`: the whole file.
unsigned long ReadFileBytes(const std::string& path, std::string& data);

// The full path of this program's file, in its long form (empty when longer than MAX_PATH).
std::string OwnProgramPath();

// `path` as a full path against the current folder; as given where the system cannot say
// (empty text stays empty).
std::string FullPath(const std::string& path);

// True when the names `a` and `b` reach one file: the same volume (its serial number) and
// the same file index there, however each is spelt (a short name for a long one, another
// case, a second hard link). False when either cannot be opened.
bool SameFile(const std::string& a, const std::string& b);

// Opens the file `path` to append to it, created when missing, without following a link: a
// name that is a link (a reparse point leading elsewhere, a file with several names, a name
// the system reaches elsewhere) is refused with ERROR_CANT_RESOLVE_FILENAME and nothing is
// written. The handle (a HANDLE), or INVALID_HANDLE_VALUE with the system's last error.
void* OpenToAppend(const std::string& path);

// Creates the folder `folder` (whose parent exists) with the access `sddl` as its protected
// DACL from its first moment, nothing inherited: no one else can have put anything into it.
// Never takes a folder that is there already (ERROR_ALREADY_EXISTS). 0 or the system's
// error code.
unsigned long CreateProtectedFolder(const std::string& folder, const char* sddl);
// What only the system and the administrators may open, nothing else and nobody else.
inline constexpr char SystemOnlyAccess[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// The access an install for all users gives the folders it creates, as Program Files has it:
// owned by the administrators, full control for the system and the administrators, reading and
// running for the users, and nothing inherited from above (the root of C: lets every user
// change what is made in it, and the system account later runs the uninstaller from there).
// In SDDL.
inline constexpr char AllUsersFolderAccess[] =
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// Sets the last-write time of the existing file `path` to `dosDateTime` (MS-DOS layout:
// date in the high 16 bits, time in the low 16 bits), read as local time with the
// daylight-saving rules in force on that date, so that the file shows the stored time in
// every season whenever it is installed. Creation and last-access times are untouched.
// Returns 0 on success, else the system error code (ERROR_INVALID_PARAMETER for a date-time the DOS
// layout cannot hold, such as month 13).
// `written`, when given, receives the time set, in FILETIME ticks (UTC).
unsigned long SetFileDosDate(const std::string& path, std::int32_t dosDateTime,
                             std::uint64_t* written = nullptr);
// The last-write time of the file `path` in FILETIME ticks (UTC); 0 when it cannot be read.
std::uint64_t LastWriteTime(const std::string& path);

// Path of the shell special folder `csidl` (CSIDL_PROGRAM_FILES 38, CSIDL_WINDOWS 36,
// CSIDL_DESKTOP 0, ...), without a trailing backslash unless it is a drive root; empty
// when the system does not know the folder or it has no file-system path.
std::string GetSpecialFolderPath(int csidl);

// File-system path of a shell item ID list; empty when the item has none (or `idList`
// is null). The list stays the caller's.
std::string PathFromItemIdList(const _ITEMIDLIST* idList);
