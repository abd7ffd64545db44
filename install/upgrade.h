#pragma once
// Where an install that is given no folder goes when the product is already installed: into
// that install's folder, so that it replaces the install rather than making a second one
// elsewhere and moving the entry away from the first one's files (which nothing could then
// remove). The package manager passes no folder on an upgrade. The rule is portable; the
// entry and the disk are read in upgrade_win.cpp.
#include <string>

// The folder to install into again, from `location`, the InstallLocation of the product's
// Apps & Features entry: `location` without its trailing backslash (a drive root keeps it)
// when it is a full drive-letter path whose folder holds a usable install record naming that
// folder (`usableRecord` says so of "<folder>\uninstall.rec"). Empty otherwise: a location
// the installer cannot have written (empty, relative, a network path, a name holding a
// quote, '?', '/' or a control character), or a folder without such a record (the product
// removed by hand, a record cut or of another program), where the install goes where it
// would go on a first install.
std::string UpgradeFolder(const std::string& location,
                          bool (*usableRecord)(const std::string& recordPath));

// --- Win32 build only ---

// UpgradeFolder of the entry of one scope (`allUsers`: the machine's, else the user's);
// empty when there is no entry or it names no install.
std::string InstalledFolder(bool allUsers);
