#pragma once
// Other processes: which one started this one, and which program a process runs.
#include <string>

namespace tk {

// The id of the process that started this one, or 0 when the system's process list cannot
// be read.
unsigned long ParentProcessId();

// The full path of the program that process `process` (whose id is `id`) runs, or empty
// text when it cannot be read. From Windows Vista on the system names it
// (QueryFullProcessImageName); on Windows XP it is the first entry of the process's module
// list (ProgramPathFromModuleList).
std::string ProgramPathOfProcess(void* process, unsigned long id);
std::string ProgramPathFromModuleList(unsigned long id);

} // namespace tk
