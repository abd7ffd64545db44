#pragma once
// The installation engine: the program-wide DOSBox path, the payload loader, the
// installation run and the file and path helpers it rests on.
#include <string>

// Full path of DOSBox's executable, lower case; set by the start-up check on a 64-bit
// Windows, read by the DOSBox set-up; empty otherwise.
extern std::string DosBoxExePath;
