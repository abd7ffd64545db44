// pentaro-deflate: stores a resource file of the installer (a window layout, the DOSBox
// configuration template) as one zlib stream, which the installer inflates where it loads
// it (tk::LoadDeflatedRcData). Same bytes on every run; an unchanged output keeps its time.
//
//   pentaro-deflate IN OUT
#include "tools/host_files.h"
#include "tools/pack_core.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pentaro-deflate IN OUT\n");
        return 2;
    }
    try {
        WriteFileIfDifferent(argv[2], DeflateStream(ReadWholeFile(argv[1]), argv[1]));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pentaro-deflate: %s\n", error.what());
        return 1;
    }
    return 0;
}
