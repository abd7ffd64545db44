// Writes the seed of fuzz_pe: a minimal PE image carrying two real payload items.
//   pe_seed OUTFILE
#include "tests/fuzz/minimal_pe.h"
#include "tools/pack_core.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string pe = minimal_pe::MinimalPe(
        {{"RS_README", ScramblePayloadImage(MakePayloadImage("readme.txt", 0x2C4E6000,
                                                             "Pentaro 3.24\r\n\r\nSeed.\r\n"))},
         {"RS_ICON", ScramblePayloadImage(MakePayloadImage("penta.ico", 1, "P+"))}});
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) return 1;
    const bool ok = std::fwrite(pe.data(), 1, pe.size(), f) == pe.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
