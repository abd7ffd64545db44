#pragma once
// Where DOSBox lies on a 64-bit Windows: the places looked at, in their fixed order, the
// executables accepted there, and which build was found. Portable: the places are read
// through DosBoxPlaces, which the Win32 build answers from the file system and the
// registry (dosbox/locate.h).
//
// The order (docs/deployment.md, "Where the installer looks for DOSBox", says the same):
//  1. The first entry of the Program Files folder for 32-bit programs, in the order the file
//     system lists them, whose name contains "dosbox" (any case) and that is marked neither
//     hidden nor system: its dosbox.exe. This is where DOSBox 0.74 installs itself, and
//     when the file is there, it is the answer.
//  2. Every such entry of that folder, in the same order.
//  3. The same entries of the Program Files folder for 64-bit programs (DOSBox Staging for
//     all users: "DOSBox Staging").
//  4. The same entries of the user's own programs folder, %LOCALAPPDATA%\Programs (DOSBox
//     Staging for one user, its default).
//  5. The folders that the builds' installers record in the registry (DosBoxRegistryValues,
//     in that order).
//  6. The folder DOSBox-X at the root of the Windows drive (DOSBox-X's default).
// In each folder, the executables of DosBoxExeNames, in that order; the first that is a
// file is DOSBox.
#include "engine/ucargo.h"

#include <string>
#include <vector>

// True when a folder entry with these file attributes and this name is a DOSBox
// installation to look at: its name contains "dosbox" in any case, and it is marked
// neither hidden nor system. Folders and files alike qualify (a file simply holds no
// executable).
bool IsDosBoxEntry(unsigned long attributes, const std::string& name);

// The executable a DOSBox entry would hold, all lower case: `base` (a folder, lower case,
// with its trailing backslash) + entry name + "\" + `exeName` (dosbox.exe by default).
std::string DosBoxExeCandidate(const std::string& base, const std::string& entryName,
                               const std::string& exeName = "dosbox.exe");

// The executables accepted in a DOSBox folder, in the order they are tried: dosbox.exe
// (DOSBox 0.74 writes DOSBox.exe, DOSBox Staging dosbox.exe; Windows names ignore case)
// and DOSBox-X's dosbox-x.exe.
inline constexpr const char* DosBoxExeNames[] = {"dosbox.exe", "dosbox-x.exe"};

// The folder DOSBox-X installs itself into, at the root of the Windows drive.
inline constexpr char DosBoxXFolderName[] = "DOSBox-X";

// One entry of a folder listing.
struct FolderEntry {
    std::string Name;
    unsigned long Attributes = 0; // FILE_ATTRIBUTE_*
};

// A registry value in which a DOSBox build's installer records its folder.
struct DosBoxRegistryValue {
    bool LocalMachine = false; // HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
    bool View64 = true;        // the 64-bit registry view, else the 32-bit one
    std::string Key;           // below the root
    std::string Name;
    bool Staging = false; // written by DOSBox Staging's installer
    // How the log names it: "HKEY_CURRENT_USER\Software\dosbox-staging, Path (64-bit view)".
    std::string Describe() const;
};

// The values, in the order they are read: HKEY_CURRENT_USER before HKEY_LOCAL_MACHINE; in
// each the 64-bit view before the 32-bit one; in each view DOSBox Staging's value Path
// under Software\dosbox-staging, its uninstall entry's InstallLocation, then the same two
// of DOSBox-X.
std::vector<DosBoxRegistryValue> DosBoxRegistryValues();

// The folders the search looks in, as the system names them (without trailing backslash is
// fine); an empty one is skipped.
struct DosBoxFolders {
    std::string ProgramFiles;   // for 32-bit programs: what this 32-bit program is given
    std::string ProgramFiles64; // for 64-bit programs: a 32-bit program must ask for it
    std::string UserPrograms;   // %LOCALAPPDATA%\Programs
    std::string WindowsDrive;   // the root of the Windows drive, "C:\"
};

// What the search reads of the system.
class DosBoxPlaces {
public:
    virtual ~DosBoxPlaces() = default;
    // The entries of `folder` (ending in a backslash) in the order the file system lists
    // them; none when it cannot be read.
    virtual std::vector<FolderEntry> List(const std::string& folder) = 0;
    // The text of a registry value, environment strings expanded; empty when there is none.
    virtual std::string Read(const DosBoxRegistryValue& value) = 0;
    // True when `path` is a file (not a folder).
    virtual bool IsFile(const std::string& path) = 0;
    // The product name and file description of the executable's version resource, joined
    // by a blank; empty when it has none.
    virtual std::string ProductName(const std::string& exe) = 0;
};

// The Staging rule. DOSBox Staging is told from the builds that read the given file alone
// by what was found: it was found through Staging's registry values (`fromStagingRegistry`),
// or the name of the folder that holds the executable contains "staging" (its installer's
// "DOSBox Staging", its archives' "dosbox-staging-..."), or the executable's version
// resource (`productName`) names "staging"; any case.
DosBoxBuild DosBoxBuildOf(const std::string& exePath, bool fromStagingRegistry,
                          const std::string& productName);

// The product name and file description in an executable's version resource (the bytes of
// its VS_VERSIONINFO block), joined by a blank, characters beyond ASCII as "?"; empty when
// the block holds neither or is damaged.
std::string VersionProductName(const std::string& block);

// The outcome of a search.
struct DosBoxSearch {
    bool Found = false;
    std::string Path; // the executable, full path in lower case; empty when not found
    DosBoxBuild Build = DosBoxBuild::ConfOnly;
    // The places looked at, in order, as the log names them: each folder searched (its
    // entries named like "dosbox" with a trailing "*dosbox*"), each registry value read.
    std::vector<std::string> Searched;
};

// Looks for DOSBox in the fixed order above and stops at the first executable found.
DosBoxSearch SearchDosBox(const DosBoxFolders& folders, DosBoxPlaces& places);

// The executable named on the command line (/DOSBOX=), made a full path by the caller:
// found when it is a file; its build by the Staging rule.
DosBoxSearch NamedDosBox(const std::string& exePath, DosBoxPlaces& places);
