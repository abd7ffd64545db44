#pragma once
// The installation engine: the program-wide DOSBox path, the payload loader, the
// installation run and the file and path helpers it rests on.
#include "engine/files.h"
#include "engine/payload.h"
#include "engine/run_core.h"

#include <string>

// Full path of DOSBox's executable, lower case; set by the start-up check on a 64-bit
// Windows, read by the DOSBox set-up; empty otherwise.
extern std::string DosBoxExePath;

// True when this 32-bit program runs on a 64-bit Windows (under WOW64); false also on a
// Windows too old to know WOW64 (the export is looked up at run time). Raises
// tk::Exception "Bad process handle" when the system cannot answer for this process.
bool Is64BitWindows();

// Installs the product into `folder` (a drive-letter path as the main window checked it):
// creates the folder, loads every payload item before writing anything, writes them with
// their dates under the progress window (Pause, Cancel), then makes the product startable
// and shows the closing message. True when every file was written and the user did not
// cancel. Errors of the loader (EResNotFound, EDecompressionError) and of the DOSBox
// set-up pass to the caller; the progress window and the items are released on every
// path. A folder that cannot be created or a file that cannot be written in full is told
// to the user and gives false.
bool RunInstallation(const std::string& folder);
// The same with another payload catalogue (comma-separated resource names).
bool RunInstallationOf(const std::string& folder, const std::string& catalogue);

// True when the maker's menu program "tqmenu.exe" is a file in the parent of `folder`;
// never looked for in a drive root.
bool IsMenuProgramInParent(const std::string& folder);
