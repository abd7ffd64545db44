#pragma once
// Writing the DOSBox configuration file "dosbox.conf" into the install folder (Win32).
// The text itself is built by dosbox/conf_core.h.
#include <string>
#include <vector>

// Writes "dosbox.conf" beside the DOS program `programPath` (a full path such as
// "D:\Apps\Pentaro\tarnw.exe"): the template resource "rs_Conf" with autoexec lines that mount
// the program's folder as C:, delete the print file "f", run the program with "/ns" and exit.
// The old files (OldConfFiles) go to the Recycle Bin first, silently; where the drive has no
// Recycle Bin, they stay and only dosbox.conf is replaced (a failed deletion is not reported:
// the new file replaces a leftover "dosbox.conf"). dosbox.conf is never written through a link
// (WriteFileChecked; its ELinkedPath passes to the caller). Returns 0 when the file was written
// in full, else the system's error code (nothing incomplete is left behind). Raises
// tk::EResNotFound ("Resource rs_Conf not found") when the template is missing, before anything
// is deleted.
unsigned long WriteDosBoxConf(const std::string& programPath);

// The files of `folder` (ending in a backslash) whose names end in ".conf", as full paths;
// folders and links (IsLinkedName) left out: the shell would send away what a link leads to.
std::vector<std::string> OldConfFiles(const std::string& folder);

// Deletes the files `paths` through the shell: files only (a folder stays), no progress window,
// no questions, no error boxes, into the Recycle Bin where the drive has one (and for good where
// it has none: see DriveHasRecycleBin). Returns true when the shell reported success (or there
// was nothing to delete).
bool ShellDeleteFiles(const std::vector<std::string>& paths);

// True when files deleted from `folder` (a drive-letter path) go to a Recycle Bin: a fixed
// drive for which the shell answers a query of its bin. False for removable, network and
// unknown drives and for paths without a drive letter.
bool DriveHasRecycleBin(const std::string& folder);
