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

// The access right that lets a holder of a process's handle ask for its id and its program:
// PROCESS_QUERY_LIMITED_INFORMATION from Windows Vista on, PROCESS_QUERY_INFORMATION on
// Windows XP, which refuses the newer right.
unsigned long ProcessQueryRight();

} // namespace tk
