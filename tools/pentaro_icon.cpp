// pentaro-icon: writes the installer's own icon, the mark "P+" in every size the installer's
// windows and Explorer ask for, as one .ico file. Same bytes on every run.
//
//   pentaro-icon FILE.ico [PREVIEW_DIR]
// With PREVIEW_DIR, also writes each size there as mark-<size>.png, to look at.
#include "tools/host_files.h"
#include "tools/icon_core.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: pentaro-icon FILE.ico [PREVIEW_DIR]\n");
        return 2;
    }
    try {
        WriteWholeFile(argv[1], IconFile());
        if (argc == 3)
            for (int size : kIconSizes)
                WriteWholeFile(std::string(argv[2]) + "/mark-" + std::to_string(size) + ".png",
                               PngImage(MarkPicture(size), size));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pentaro-icon: %s\n", error.what());
        return 1;
    }
    return 0;
}
