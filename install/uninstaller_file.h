#pragma once
// Writing uninstall.exe: this program without its payload (engine/uninstaller_image.h).
#include <string>

// --- Win32 build only ---

// Writes the uninstaller to `target`, whole or not at all, as a file this process makes (see
// WriteFileAnew, whose ELinkedPath passes to the caller): UninstallerPieces made from this
// program's own file, read piece by piece where it lies, the payload never read (and a signed
// installer that must write itself whole streamed, never held in memory). Returns empty
// text, or the reason it could not be written (the system's message, or what is wrong with
// the program's own file).
std::string WriteUninstallerFile(const std::string& target);
