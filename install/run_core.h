#pragma once
// The installation run's texts and folder rules, which need no window system.
#include "resources/product.h"

#include <string>
#include <vector>

// The stage line of the progress window while the items load.
inline constexpr char InstallingStage[] = "Installing ...";

// One more than the number of commas: the number of catalogue entries.
int CatalogueCount(const std::string& catalogue);

// "\r\nError Reading resource item <name>, Filename <file>".
std::string LoadErrorLine(const std::string& catalogueName, const std::string& fileName);
// The collected load-error lines as the user sees them: without the line break the
// first line begins with.
std::string LoadErrorList(const std::string& lines);
// "Installation cancelled. <written> of <count> files were installed."
std::string CancelMessage(int written, int count);
// The finish when the maker's menu program lies in the parent folder.
std::string MenuProgramMessage();
// "Pentaro, version 3.24, was installed successfully."
std::string SuccessLine();
// The closing message when the sibling program lies in the install folder.
std::string SiblingInstalledMessage();
// The success line, an empty line (two LF) and the desktop-shortcut question.
std::string ShortcutQuestion();
// After Yes to the question / after any other answer.
std::string DesktopIconMessage();
std::string StartFromSiblingMessage();
// A file of the payload that could not be written, then an empty line and the system's
// reason (left out when there is none).
std::string WriteErrorMessage(const std::string& path, const std::string& reason);
// The install folder that could not be created, the same way.
std::string FolderErrorMessage(const std::string& folder, const std::string& reason);

// What an install does about its folder's access: for all users, the folders it makes get
// Program Files' access as they are made (Protect), and a folder that a user who is no
// administrator may change (`usersMayChange`: the folder that was there, what is in it or
// what would be made in it, or a folder above it, PlaceOpenToUsers) is refused (Refuse: the
// system account would later run the uninstaller from there); a folder that was there and
// that users may not change, and every install for one user, are left as they are.
enum class FolderAccessStep { Leave, Protect, Refuse };
FolderAccessStep AccessStepFor(bool allUsers, bool folderExisted, bool usersMayChange);

// An install refused: `path` in `folder`, where the install writes its uninstaller or its
// record, is another program's.
std::string OtherProgramsFileMessage(const std::string& folder, const std::string& path);

// An install for all users refused: `folder` was there already and users may write it.
std::string FolderOpenToUsersMessage(const std::string& folder);
// The same for `place`, the first place a user may change (PlaceOpenToUsers): a folder above
// `folder`, `folder` itself, or something in it. Both end in a backslash where they are folders.
std::string OpenToUsersMessage(const std::string& folder, const std::string& place);

// The files of the user's that the run moved aside before writing the product's own, each
// "<path>, kept as <name>", and that nothing of theirs was lost.
std::string KeptVersionsMessage(const std::vector<std::string>& kept);

// The parent folder in which the maker's menu program is looked for: the folder text up
// to and including the backslash before its last part (one trailing backslash ignored).
// Empty when there is none or when the parent is a drive root (shorter than 4
// characters), where the menu program is never looked for.
std::string MenuProgramParent(const std::string& folder);

// The drive root of the Windows folder: the text up to and including its first
// backslash ("C:\WINDOWS" gives "C:\"); empty when it has none.
std::string DriveRootOf(const std::string& windowsFolder);

// The folder the installer proposes on a drive whose root is `root`: the maker's standard
// folder root + "corvane\tq" where that exists (`corvaneFolderExists`), else root + "tq".
std::string ProposedFolderOn(const std::string& root, bool corvaneFolderExists);
// The maker's standard folder under a drive root, looked for by ProposedInstallFolder.
inline constexpr char CorvaneFolder[] = "corvane\\tq";
