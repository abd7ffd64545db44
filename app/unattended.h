#pragma once
// The unattended install (/S) for deployment tools: the same checks and the same run as
// the interactive installer, with no window, dialog or web page (with /SILENT the progress
// window alone); the outcome is the exit code, and what the user would have read goes to
// the log (/LOG=).
#include "engine/exit_code.h"
#include "install/options.h"

#include <string>

// Runs the whole install for `options` parsed from `commandLine`. Catches everything the
// run raises: std::bad_alloc gives OutOfMemory, any other error UnexpectedError (its
// message logged).
ExitCode RunUnattended(const InstallOptions& options, const std::string& commandLine);
