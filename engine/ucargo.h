#pragma once
// The installation engine: the program-wide DOSBox path, the 64-bit test, the payload
// loader and the file and path helpers. The installation run that uses them lives above,
// in install/.
#include "engine/files.h"
#include "engine/payload.h"

#include <string>

// Full path of DOSBox's executable, lower case; set by the start-up check on a 64-bit
// Windows, read by the DOSBox set-up; empty otherwise.
extern std::string DosBoxExePath;

// How the DOSBox of DosBoxExePath reads its configuration. DOSBox 0.74 and DOSBox-X, given
// "-conf <file>", read that file alone; DOSBox Staging first reads the user's own primary
// configuration and a dosbox.conf in its working folder, unless told not to, and joins
// their [autoexec] sections with ours. How Staging is told apart: dosbox/locate_core.h.
enum class DosBoxBuild { ConfOnly, Staging };
// Set with DosBoxExePath; ConfOnly otherwise.
extern DosBoxBuild DosBoxExeBuild;

// True when this 32-bit program runs on a 64-bit Windows (under WOW64); false also on a
// Windows too old to know WOW64 (the export is looked up at run time). Raises
// tk::Exception "Bad process handle" when the system cannot answer for this process.
bool Is64BitWindows();
