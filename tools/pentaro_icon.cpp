// pentaro-icon: writes the installer's own icon, the mark "P+" in every size the installer's
// windows and Explorer ask for, as one .ico file. Same bytes on every run.
//
//   pentaro-icon FILE.ico [PREVIEW_DIR]
// With PREVIEW_DIR, also writes each size there as mark-<size>.png, to look at.
#include "tools/icon_core.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

bool Write(const std::string& path, const std::string& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "pentaro-icon: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: pentaro-icon FILE.ico [PREVIEW_DIR]\n");
        return 2;
    }
    try {
        if (!Write(argv[1], IconFile())) return 1;
        if (argc == 3)
            for (int size : kIconSizes)
                if (!Write(std::string(argv[2]) + "/mark-" + std::to_string(size) + ".png",
                           PngImage(MarkPicture(size), size)))
                    return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pentaro-icon: %s\n", error.what());
        return 1;
    }
    return 0;
}
