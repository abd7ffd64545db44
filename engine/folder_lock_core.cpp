#include "engine/folder_lock.h"

#include "engine/files.h"
#include "toolkit/format.h"

#include <cstdint>

std::string FolderMutexName(const std::string& folder, bool global) {
    // Lower case for ASCII after the system's folding, so that the name of a plain path is
    // that of its lower-case spelling.
    const std::string key = tk::AsciiLower(FoldedName(NormalFolderPath(folder)));
    // FNV-1a: a kernel object name may be at most MAX_PATH long and may not hold a
    // backslash after its namespace, so the folder goes in as a hash.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return tk::Format("%s\\PentaroSetup-%08lx%08lx", global ? "Global" : "Local",
                      static_cast<unsigned long>(hash >> 32),
                      static_cast<unsigned long>(hash & 0xffffffffu));
}
