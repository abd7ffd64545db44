#pragma once
// /? (/H, /HELP): the switches and exit codes instead of an install.
#include "install/options.h"

// Writes UsageText for this program to the console it was started from (or to where its
// standard output leads) and, unless `options` are silent, shows it in one message.
// Returns the exit code: 0.
int ShowUsage(const InstallOptions& options);
