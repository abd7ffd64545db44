// pentaro-standin: writes the stand-in product's data files and its icon, byte for byte
// the same on every run, so that the installer can be built and tested without the
// maker's files.
//
//   pentaro-standin OUTDIR            penta.ico, pentaro1.kdb, pentaro2.kdb, pentaro.hlp,
//                                     kdbv4.kdb, kdbv4add.kdb, readme.txt
//   pentaro-standin --big FILE MB     one knowledge base of about MB megabytes
//   pentaro-standin --mixed DIR [MIB] the three large files of the mixed payload: a
//                                     20 MiB knowledge base (pentaro1.kdb), 12 MiB of
//                                     noise (pentaro2.kdb) and a 16 MiB program-like
//                                     file (spool32.exe); with MIB, the three in the same
//                                     shares of MIB MiB
//
// The data is made of records and sentences drawn from a word list by a fixed pseudo-
// random sequence: it compresses about as well as real text databases do (3 to 4 times),
// not like zeros or noise.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class Sequence {
public:
    explicit Sequence(std::uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t Next(std::uint32_t n) {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<std::uint32_t>((s_ >> 16) % n);
    }

private:
    std::uint64_t s_;
};

const char* const kWords[] = {
    "wheel",  "ratio",   "gear",     "spoke",   "rim",      "hub",     "axle",     "torque",
    "pitch",  "tooth",   "radius",   "angle",   "chord",    "segment", "pattern",  "dial",
    "index",  "scale",   "setting",  "offset",  "turn",     "mark",    "line",     "table",
    "entry",  "value",   "print",    "file",    "record",   "drive",   "folder",   "menu",
    "key",    "press",   "select",   "choose",  "enter",    "return",  "page",     "screen",
    "report", "column",  "row",      "total",   "count",    "sum",     "figure",   "design",
    "shape",  "circle",  "star",     "five",    "pentagon", "point",   "edge",     "side",
    "corner", "centre",  "outer",    "inner",   "small",    "large",   "first",    "second",
    "third",  "next",    "previous", "new",     "old",      "the",     "a",        "of",
    "to",     "and",     "in",       "for",     "with",     "on",      "by",       "from",
    "each",   "every",   "is",       "are",     "was",      "be",      "can",      "will",
    "may",    "should",  "must",     "not",     "no",       "yes",     "when",     "then",
    "if",     "or",      "as",       "at",      "this",     "that",    "which",    "its",
    "their",  "your",    "draw",     "plot",    "measure",  "compute", "store",    "load",
    "save",   "open",    "close",    "copy",    "Pentaro",  "Corvane", "Helmstar", "F6",
    "DOS",    "printer", "window",   "program", "version",
};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string Sentence(Sequence& r, std::size_t words) {
    std::string s;
    for (std::size_t i = 0; i < words; ++i) {
        if (i) s += ' ';
        s += kWords[r.Next(kWordCount)];
    }
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 32);
    return s + '.';
}

void PutU32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU16(std::string& s, std::uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

// A knowledge base: a header, then fixed 160-byte records of a number, two measures,
// a key word and a padded sentence, as the DOS product's record files look.
std::string KnowledgeBase(std::uint64_t seed, std::size_t bytes, const char* version) {
    Sequence r(seed);
    std::string s = "PKDB";
    s += version;
    s.resize(64, '\0');
    for (std::uint32_t id = 1; s.size() + 160 <= bytes; ++id) {
        std::string rec;
        PutU32(rec, id);
        PutU16(rec, static_cast<std::uint16_t>(r.Next(3600)));
        PutU16(rec, static_cast<std::uint16_t>(r.Next(500) + 12));
        std::string key = kWords[r.Next(kWordCount)];
        key.resize(24, ' ');
        rec += key;
        std::string text = Sentence(r, 6 + r.Next(14));
        text.resize(128, ' ');
        rec += text;
        s += rec;
    }
    return s;
}

// Bytes that do not compress: stored archives, pictures, encrypted data.
std::string Noise(std::uint64_t seed, std::size_t bytes) {
    Sequence r(seed);
    std::string s(bytes, '\0');
    for (char& c : s)
        c = static_cast<char>(r.Next(256));
    return s;
}

// Something like an executable image: stretches of machine code (a skewed choice of
// common opcode bytes with small operands), tables of ascending 32-bit addresses,
// names, zero padding, and sequences that recur (the same instructions at many places).
// It compresses about 2 to 1, as programs do.
std::string ProgramImage(std::uint64_t seed, std::size_t bytes) {
    static const unsigned char kOpcodes[] = {
        0x8B, 0x89, 0xE8, 0x83, 0x55, 0x5D, 0xC3, 0x50, 0x51, 0x52, 0x53, 0x56, 0x57, 0x5E,
        0x5F, 0x85, 0x74, 0x75, 0xEB, 0x0F, 0x8D, 0x33, 0x3B, 0x6A, 0x68, 0xFF, 0xC7, 0x31};
    Sequence r(seed);
    std::string s = "MZ";
    s.resize(1024, '\0');
    std::uint32_t address = 0x401000;
    while (s.size() < bytes) {
        switch (r.Next(10)) {
        case 0: // an address table
            for (std::uint32_t n = 4 + r.Next(60); n > 0; --n) {
                address += 4 + 4 * r.Next(40);
                PutU32(s, address);
            }
            break;
        case 1: // names
            for (std::uint32_t n = 1 + r.Next(8); n > 0; --n) {
                s += kWords[r.Next(kWordCount)];
                s += '\0';
            }
            break;
        case 2: // alignment padding
            s.resize((s.size() + 16) & ~std::size_t{15}, '\0');
            break;
        case 3:
        case 4:
        case 5:
        case 6: { // a sequence seen before
            const std::size_t back = std::min<std::size_t>(s.size() - 1024, 16384);
            if (back < 64) break;
            const std::size_t from = s.size() - 1 - r.Next(static_cast<std::uint32_t>(back - 64));
            const std::size_t length = 8 + r.Next(56);
            for (std::size_t i = 0; i < length; ++i)
                s += s[from - 64 + i];
            break;
        }
        default: // code
            for (std::uint32_t n = 16 + r.Next(200); n > 0; --n) {
                // The first opcodes of the list far more often than the last.
                s += static_cast<char>(
                    kOpcodes[std::min(r.Next(sizeof kOpcodes), r.Next(sizeof kOpcodes))]);
                if (r.Next(3) == 0)
                    s += static_cast<char>(r.Next(8) == 0 ? r.Next(256) : r.Next(16) * 4);
            }
            break;
        }
    }
    s.resize(bytes);
    return s;
}

std::string HelpFile(std::uint64_t seed, std::size_t bytes) {
    Sequence r(seed);
    std::string s = "PHLP";
    PutU32(s, 0x0324);
    for (int topic = 1; s.size() < bytes; ++topic) {
        std::string body;
        for (int p = 0; p < 3; ++p)
            body += Sentence(r, 8 + r.Next(12)) + ' ' + Sentence(r, 5 + r.Next(10)) + "\r\n";
        s += '\x02';
        PutU16(s, static_cast<std::uint16_t>(topic));
        PutU16(s, static_cast<std::uint16_t>(body.size()));
        s += body;
    }
    s.resize(bytes);
    return s;
}

std::string Readme() {
    std::string s =
        "Pentaro 3.24\r\n"
        "============\r\n\r\n"
        "Pentaro is a DOS program. On a 64-bit Windows it runs under DOSBox, through the\r\n"
        "shortcut that the installer puts on the desktop. On a 32-bit Windows start it\r\n"
        "from Helmstar with the function key F6, or with the P+ icon on the desktop.\r\n\r\n"
        "To print, choose \"print to file\" in Pentaro; the Print F shortcut (Ctrl+Alt+P)\r\n"
        "sends the file f to the default printer.\r\n\r\n"
        "Notes\r\n-----\r\n\r\n";
    Sequence r(9);
    while (s.size() < 9000) {
        std::string line = Sentence(r, 5 + r.Next(9));
        s += line + "\r\n";
        if (r.Next(5) == 0) s += "\r\n";
    }
    return s;
}

// The 5x7 glyphs of the mark "P+", one string per row.
const char* const kP[7] = {"1111.", "1...1", "1...1", "1111.", "1....", "1....", "1...."};
const char* const kPlus[7] = {".....", "..1..", "..1..", "11111", "..1..", "..1..", "....."};

// One 32-bit icon image (BITMAPINFOHEADER, BGRA rows bottom-up, AND mask): a blue
// rounded square with the white mark "P+", letters `scale` pixels a dot.
std::string IconImage(int size, int scale) {
    std::string s;
    PutU32(s, 40);
    PutU32(s, static_cast<std::uint32_t>(size));
    PutU32(s, static_cast<std::uint32_t>(size * 2)); // colour rows and mask rows
    PutU16(s, 1);
    PutU16(s, 32);
    for (int i = 0; i < 6; ++i)
        PutU32(s, 0);
    const int markWidth = 11 * scale, markHeight = 7 * scale;
    const int left = (size - markWidth) / 2, top = (size - markHeight) / 2;
    const int radius = size / 5;
    auto inside = [&](int x, int y) {
        const int cx = x < radius ? radius : x >= size - radius ? size - 1 - radius : x;
        const int cy = y < radius ? radius : y >= size - radius ? size - 1 - radius : y;
        const int dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= radius * radius;
    };
    auto mark = [&](int x, int y) {
        const int gx = (x - left), gy = (y - top);
        if (gx < 0 || gy < 0 || gx >= markWidth || gy >= markHeight) return false;
        const int col = gx / scale, row = gy / scale;
        if (col < 5) return kP[row][col] == '1';
        if (col >= 6) return kPlus[row][col - 6] == '1';
        return false;
    };
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            unsigned char b = 0, g = 0, red = 0, a = 0;
            if (inside(x, y)) {
                a = 255;
                if (mark(x, y)) {
                    b = g = red = 255;
                } else { // blue, darker towards the bottom
                    b = static_cast<unsigned char>(230 - 90 * y / size);
                    g = static_cast<unsigned char>(110 - 50 * y / size);
                    red = 20;
                }
            }
            s += static_cast<char>(b);
            s += static_cast<char>(g);
            s += static_cast<char>(red);
            s += static_cast<char>(a);
        }
    }
    const int maskRow = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(maskRow, '\0');
        for (int x = 0; x < size; ++x)
            if (!inside(x, y)) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        s += row;
    }
    return s;
}

std::string Icon() {
    const std::string big = IconImage(32, 2), small = IconImage(16, 1);
    std::string s;
    PutU16(s, 0);
    PutU16(s, 1); // an icon
    PutU16(s, 2);
    std::uint32_t offset = 6 + 2 * 16;
    for (const auto& [image, size] : {std::pair{&big, 32}, std::pair{&small, 16}}) {
        s += static_cast<char>(size);
        s += static_cast<char>(size);
        s += '\0'; // no palette
        s += '\0';
        PutU16(s, 1);
        PutU16(s, 32);
        PutU32(s, static_cast<std::uint32_t>(image->size()));
        PutU32(s, offset);
        offset += static_cast<std::uint32_t>(image->size());
    }
    return s + big + small;
}

bool Write(const std::string& path, const std::string& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "pentaro-standin: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--big") == 0) {
        const long mb = std::strtol(argv[3], nullptr, 10);
        if (mb <= 0 || mb > 1024) {
            std::fprintf(stderr, "pentaro-standin: size must be 1 to 1024 MB\n");
            return 2;
        }
        return Write(argv[2], KnowledgeBase(77, static_cast<std::size_t>(mb) << 20, "3.24")) ? 0
                                                                                             : 1;
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--mixed") == 0) {
        const std::string dir = argv[2];
        const long mib = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 48;
        if (mib <= 0 || mib > 1024) {
            std::fprintf(stderr, "pentaro-standin: size must be 1 to 1024 MiB\n");
            return 2;
        }
        const std::size_t total = static_cast<std::size_t>(mib) << 20;
        const bool ok = Write(dir + "/pentaro1.kdb", KnowledgeBase(78, total / 48 * 20, "3.24")) &&
                        Write(dir + "/pentaro2.kdb", Noise(79, total / 48 * 12)) &&
                        Write(dir + "/spool32.exe", ProgramImage(80, total / 48 * 16));
        return ok ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: pentaro-standin OUTDIR | --big FILE MB | --mixed DIR [MIB]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = Write(dir + "/penta.ico", Icon()) &&
                    Write(dir + "/pentaro1.kdb", KnowledgeBase(1, 520 * 1024, "3.24")) &&
                    Write(dir + "/pentaro2.kdb", KnowledgeBase(2, 136 * 1024, "3.24")) &&
                    Write(dir + "/pentaro.hlp", HelpFile(3, 18 * 1024)) &&
                    Write(dir + "/kdbv4.kdb", KnowledgeBase(4, 20 * 1024, "4.00")) &&
                    Write(dir + "/kdbv4add.kdb", KnowledgeBase(5, 24 * 1024, "4.00")) &&
                    Write(dir + "/readme.txt", Readme());
    return ok ? 0 : 1;
}
