#include "engine/ucargo.h"

std::string DosBoxExePath;
