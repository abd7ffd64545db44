#include "engine/ucargo.h"

std::string DosBoxExePath;
DosBoxBuild DosBoxExeBuild = DosBoxBuild::ConfOnly;
