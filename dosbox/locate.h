#pragma once
// Finding DOSBox on this computer (Win32): the search of dosbox/locate_core.h over the real
// folders and registry.
#include "dosbox/locate_core.h"

#include <string>

// The folders the search looks in on this system: the Program Files folder this 32-bit
// program is given, the 64-bit one (the ProgramW6432 environment variable, else the
// registry's ProgramFilesDir in its 64-bit view), %LOCALAPPDATA%\Programs and the root of
// the Windows drive.
DosBoxFolders SystemDosBoxFolders();

// Looks for DOSBox in the fixed order (SearchDosBox). When `named` is not empty (the
// /DOSBOX= switch) only that executable counts, made a full path against the current
// folder.
DosBoxSearch LocateDosBox(const std::string& named);
