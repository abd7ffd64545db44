// Writes the seeds of fuzz_pe: minimal PE images carrying real payload items.
//   pe_seed OUTFILE          two items under the catalogue's names
//   pe_seed OUTFILE same     three items, names stored in mixed case, two of them with the
//                            same file name in different case
#include "tests/fuzz/minimal_pe.h"
#include "tools/pack_core.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && std::strcmp(argv[2], "same") == 0)) return 2;
    const std::string pe =
        argc == 2
            ? minimal_pe::MinimalPe(
                  {{"RS_README", ScramblePayloadImage(MakePayloadImage(
                                     "readme.txt", 0x2C4E6000, "Pentaro 3.24\r\n\r\nSeed.\r\n"))},
                   {"RS_ICON", ScramblePayloadImage(MakePayloadImage("penta.ico", 1, "P+"))}})
            : minimal_pe::MinimalPe(
                  {{"rs_Cmd", ScramblePayloadImage(MakePayloadImage("tarnw.exe", 1, "MZ"))},
                   {"RS_EXE", ScramblePayloadImage(MakePayloadImage("TARNW.EXE", 2, "MZ!"))},
                   {"rs_readme", ScramblePayloadImage(MakePayloadImage("readme.txt", 3, "x"))}});
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) return 1;
    const bool ok = std::fwrite(pe.data(), 1, pe.size(), f) == pe.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
