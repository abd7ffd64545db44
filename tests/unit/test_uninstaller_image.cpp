// The uninstaller made from the installer's image: the payload left out, the resources laid
// out anew in one way whatever was taken out, the relocations moved behind them, and the
// signature that a signed installer carries for it.
#include "engine/uninstaller_image.h"
#include "tests/fuzz/minimal_pe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using minimal_pe::Put16;
using minimal_pe::Put32;

namespace {

std::uint32_t Get32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

// One resource: type and name as "#<number>" or a string name, a language, the data.
struct Res {
    std::string Type, Name;
    unsigned Language;
    std::string Data;
};

// A resource section the way a linker might lay one out, but not ours: depth first, each
// table followed by its entries' data, `gap` filler bytes after every datum.
std::string LinkerResources(const std::vector<Res>& resources, std::uint32_t rva, std::size_t gap) {
    std::map<std::string, std::map<std::string, std::vector<const Res*>>> tree;
    for (const Res& r : resources)
        tree[r.Type][r.Name].push_back(&r);
    std::string out;
    std::vector<std::pair<std::size_t, std::string>> names; // where a name's offset goes
    auto table = [&](const auto& keys) {
        const std::size_t at = out.size();
        out.resize(at + 16 + 8 * keys.size(), '\0');
        unsigned named = 0, i = 0;
        for (const auto& [key, _] : keys) {
            if (key[0] != '#') {
                ++named;
                names.push_back({at + 16 + 8 * i, key});
            } else {
                Put32(out, at + 16 + 8 * i, std::stoul(key.substr(1)));
            }
            ++i;
        }
        Put16(out, at + 12, named), Put16(out, at + 14, i - named);
        return at;
    };
    const std::size_t root = table(tree);
    unsigned t = 0;
    for (const auto& [type, byName] : tree) {
        const std::size_t types = table(byName);
        Put32(out, root + 20 + 8 * t++, 0x80000000u | static_cast<std::uint32_t>(types));
        unsigned n = 0;
        for (const auto& [name, languages] : byName) {
            std::map<std::string, const Res*> byLanguage;
            for (const Res* r : languages)
                byLanguage["#" + std::to_string(r->Language)] = r;
            const std::size_t langs = table(byLanguage);
            Put32(out, types + 20 + 8 * n++, 0x80000000u | static_cast<std::uint32_t>(langs));
            unsigned l = 0;
            for (const auto& [_, r] : byLanguage) {
                const std::size_t entry = out.size();
                out.resize(entry + 16, '\0');
                Put32(out, langs + 20 + 8 * l++, static_cast<std::uint32_t>(entry));
                Put32(out, entry, rva + static_cast<std::uint32_t>(out.size()));
                Put32(out, entry + 4, static_cast<std::uint32_t>(r->Data.size()));
                Put32(out, entry + 8, 1252);
                out += r->Data + std::string(gap, '\xCC');
            }
        }
    }
    for (const auto& [field, name] : names) {
        Put32(out, field, 0x80000000u | static_cast<std::uint32_t>(out.size()));
        out += static_cast<char>(name.size()), out += '\0';
        for (char c : name)
            out += c, out += '\0';
    }
    return out;
}

constexpr std::uint32_t kCodeRva = 0x1000, kResourceRva = 0x2000;
const std::string kCode = std::string(0x180, '\x90') + "code that stays";

// A PE32 program: code, the resources, then the base relocations (one block for a page of
// the code), file alignment 0x200, section alignment 0x1000.
std::string Program(const std::vector<Res>& resources, std::size_t gap = 0) {
    const std::string rsrc = LinkerResources(resources, kResourceRva, gap);
    auto aligned = [](std::size_t n) { return (n + 0x1FF) & ~std::size_t{0x1FF}; };
    std::string pe(0x400, '\0');
    pe[0] = 'M', pe[1] = 'Z';
    Put32(pe, 0x3C, 0x40);
    std::memcpy(pe.data() + 0x40, "PE\0\0", 4);
    Put16(pe, 0x44, 0x14C), Put16(pe, 0x46, 3), Put16(pe, 0x54, 224);
    const std::size_t opt = 0x58;
    Put16(pe, opt, 0x10B);
    Put32(pe, opt + 32, 0x1000), Put32(pe, opt + 36, 0x200), Put32(pe, opt + 60, 0x400);
    Put32(pe, opt + 92, 16);
    const std::uint32_t relocRva = kResourceRva + ((rsrc.size() + 0xFFF) & ~0xFFFu);
    Put32(pe, opt + 96 + 16, kResourceRva),
        Put32(pe, opt + 96 + 20, static_cast<std::uint32_t>(rsrc.size()));
    Put32(pe, opt + 96 + 40, relocRva), Put32(pe, opt + 96 + 44, 12);
    Put32(pe, opt + 56, relocRva + 0x1000);
    const std::string reloc = std::string("\x00\x10\x00\x00\x0C\x00\x00\x00\x04\x30\x00\x00", 12);
    struct Section {
        const char* Name;
        std::uint32_t Rva;
        std::string Raw;
        std::uint32_t Characteristics;
    } sections[] = {{".text", kCodeRva, kCode, 0x60000020},
                    {".rsrc", kResourceRva, rsrc, 0x40000040},
                    {".reloc", relocRva, reloc, 0x42000040}};
    std::uint32_t initialized = 0;
    for (int i = 0; i < 3; ++i) {
        const Section& s = sections[i];
        const std::size_t header = opt + 224 + 40 * i;
        std::memcpy(pe.data() + header, s.Name, std::strlen(s.Name));
        Put32(pe, header + 8, static_cast<std::uint32_t>(s.Raw.size()));
        Put32(pe, header + 12, s.Rva);
        Put32(pe, header + 16, static_cast<std::uint32_t>(aligned(s.Raw.size())));
        Put32(pe, header + 20, static_cast<std::uint32_t>(pe.size()));
        Put32(pe, header + 36, s.Characteristics);
        if (s.Characteristics & 0x40)
            initialized += static_cast<std::uint32_t>(aligned(s.Raw.size()));
        pe += s.Raw;
        pe.resize(aligned(pe.size()), '\0');
    }
    Put32(pe, opt + 8, initialized);
    return pe;
}

// The installer: its window layouts, icons, manifest and version, and the payload items.
std::vector<Res> InstallerResources() {
    return {{"#3", "#1", 1033, "icon one"},
            {"#3", "#2", 1033, "icon two, a little longer"},
            {"#14", "MAINICON", 1033, "icon group"},
            {"#16", "#1", 1033, "version"},
            {"#24", "#1", 0, "<manifest/>"},
            {"#10", "TMAINFORM", 1033, "main form layout"},
            {"#10", "RS_CONF", 1033, "dosbox template"},
            {"#10", "RS_CMD", 0, "payload: tarnw.exe"},
            {"#10", "RS_EXE", 0, std::string(6000, 'p')},
            {"#10", "RS_README", 0, "payload: readme"}};
}

std::string Image(const std::string& file) {
    return UninstallerImage(PeFileInMemory(file));
}

// A signature a signing tool might append: one WIN_CERTIFICATE (revision 2.0, PKCS #7).
std::string Certificate(char fill) {
    std::string table(40, fill);
    Put32(table, 0, 40), Put16(table, 4, 0x200), Put16(table, 6, 2);
    return table;
}

} // namespace

TEST(UninstallerImage, WithoutThePayloadEverythingElseKept) {
    const std::string installer = Program(InstallerResources(), 5);
    const std::string image = Image(installer);

    std::vector<std::string> names;
    for (const PeResource& r : ReadRcDataResources(image))
        names.push_back(r.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"RS_CONF", "TMAINFORM"})); // sorted
    for (const Res& r : InstallerResources())
        EXPECT_EQ(image.find(r.Data) != std::string::npos,
                  r.Name.rfind("RS_", 0) != 0 || r.Name == "RS_CONF")
            << r.Name;
    EXPECT_EQ(image.substr(0x400, kCode.size()), kCode);
    EXPECT_LT(image.size(), installer.size() - 3000);

    // The relocations follow the smaller resources, whole, and the headers say so.
    const std::size_t opt = 0x58, relocHeader = opt + 224 + 80;
    const std::uint32_t relocRva = Get32(image, relocHeader + 12);
    EXPECT_EQ(Get32(installer, relocHeader + 12), kResourceRva + 0x2000);
    EXPECT_EQ(relocRva, kResourceRva + 0x1000);
    EXPECT_EQ(Get32(image, opt + 96 + 40), relocRva);
    EXPECT_EQ(image.substr(Get32(image, relocHeader + 20), 12),
              installer.substr(Get32(installer, relocHeader + 20), 12));
    EXPECT_EQ(Get32(image, opt + 56), relocRva + 0x1000); // SizeOfImage
    EXPECT_EQ(Get32(image, relocHeader + 20) + Get32(image, relocHeader + 16), image.size());
    // SizeOfInitializedData: the raw sizes of the two initialized-data sections.
    EXPECT_EQ(Get32(image, opt + 8),
              Get32(image, opt + 224 + 40 + 16) + Get32(image, relocHeader + 16));
    EXPECT_EQ(Get32(image, opt + 64), PeChecksum(image));
    EXPECT_NE(Get32(image, opt + 64), 0u);
}

// Whatever was taken out, and however the linker laid the resources out, the image is the
// same: the one the build signs is the one the installer writes.
TEST(UninstallerImage, OneImageWhateverWasTakenOut) {
    const std::string image = Image(Program(InstallerResources()));
    std::vector<Res> more = InstallerResources();
    more.push_back({"#10", "RS_KDB1", 0, std::string(5000, 'k')});
    more.push_back({"#10", "RS_UNINSTALLSIG", 0, "an old carried signature"});
    const std::string signedInstaller =
        AppendCertificateTable(Program(more, 3), Certificate('s'), 0x1234);
    std::vector<Res> none = InstallerResources();
    std::erase_if(none,
                  [](const Res& r) { return r.Name.starts_with("RS_") && r.Name != "RS_CONF"; });

    EXPECT_TRUE(Image(Program(InstallerResources(), 7)) == image);
    EXPECT_TRUE(Image(signedInstaller) == image);
    EXPECT_TRUE(Image(Program(none)) == image);
    EXPECT_TRUE(Image(image) == image);
}

TEST(UninstallerImage, TheCarriedSignatureSignsIt) {
    const std::string installer = Program(InstallerResources(), 2);
    const std::string image = Image(installer);
    const std::string signedUninstaller = AppendCertificateTable(image, Certificate('u'), 0xC0FFEE);
    const PeFileInMemory unsignedFile(installer);
    EXPECT_TRUE(UninstallerBytes(unsignedFile) == image);

    const std::string carrying = CarryUninstallerSignature(unsignedFile, signedUninstaller);
    EXPECT_TRUE(Image(carrying) == image);
    EXPECT_TRUE(UninstallerBytes(PeFileInMemory(carrying)) == signedUninstaller);
    // The installer signed in its turn still writes the signed uninstaller.
    const std::string signedInstaller = AppendCertificateTable(carrying, Certificate('i'), 1);
    EXPECT_TRUE(UninstallerBytes(PeFileInMemory(signedInstaller)) == signedUninstaller);
    // Signed another way, without a signature for its uninstaller: its own bytes, whole.
    const std::string signedAlone = AppendCertificateTable(installer, Certificate('i'), 1);
    EXPECT_TRUE(UninstallerBytes(PeFileInMemory(signedAlone)) == signedAlone);

    std::string changed = signedUninstaller;
    changed[0x400] ^= 1;
    std::vector<Res> other = InstallerResources();
    other[0].Data = "another icon";
    struct Case {
        const char* What;
        std::string Uninstaller;
    } refused[] = {
        {"not signed", image},
        {"a byte of the code changed", changed},
        {"another installer's uninstaller",
         AppendCertificateTable(Image(Program(other)), Certificate('u'), 0xC0FFEE)},
        {"bytes after the signature", signedUninstaller + "x"},
    };
    for (const Case& c : refused)
        EXPECT_THROW(CarryUninstallerSignature(unsignedFile, c.Uninstaller), EPeError) << c.What;
}

// An installer that must write itself whole (signed, without a signature for its
// uninstaller) is read and handed on in pieces: a product of 700 MB would not fit in the
// 32-bit installer's memory beside its loaded payload.
TEST(UninstallerPieces, AWholeInstallerGoesOutPieceByPiece) {
    class Watched : public PeFileInMemory {
    public:
        using PeFileInMemory::PeFileInMemory;
        void Read(std::uint64_t offset, char* out, std::size_t n) const override {
            largest = std::max(largest, n);
            PeFileInMemory::Read(offset, out, n);
        }
        mutable std::size_t largest = 0;
    };
    std::vector<Res> resources = InstallerResources();
    resources.push_back({"#10", "RS_KDB1", 0, std::string(2 * kUninstallerPiece + 123, 'k')});
    const std::string signedAlone =
        AppendCertificateTable(Program(resources), Certificate('i'), 1);
    const std::string unsignedInstaller = Program(resources);
    for (const std::string* installer : {&signedAlone, &unsignedInstaller}) {
        const Watched file(*installer);
        std::string written;
        std::size_t pieces = 0;
        UninstallerPieces(file, [&](const char* piece, std::size_t n) {
            EXPECT_LE(n, kUninstallerPiece);
            written.append(piece, n);
            ++pieces;
        });
        EXPECT_TRUE(written == UninstallerBytes(PeFileInMemory(*installer)));
        EXPECT_LE(file.largest, kUninstallerPiece);
        EXPECT_EQ(pieces, installer == &signedAlone ? 3u : 1u);
    }
}

TEST(RebuildResources, RefusesWhatItCannotMoveAndDamagedFiles) {
    const std::string good = Program(InstallerResources());
    const std::size_t opt = 0x58, sections = opt + 224;
    auto with = [&](std::size_t at, std::uint32_t value, std::size_t at2 = 0,
                    std::uint32_t value2 = 0) {
        std::string pe = good;
        Put32(pe, at, value);
        if (at2 != 0) Put32(pe, at2, value2);
        return pe;
    };
    struct Case {
        const char* What;
        std::string File;
    } refused[] = {
        {"an import table among the resources",
         with(opt + 96 + 8, kResourceRva + 8, opt + 96 + 12, 40)},
        {"a section after the resources other than the relocations", with(opt + 96 + 40, 0x100)},
        {"a symbol table", with(0x4C, 0x200)},
        {"no file alignment", with(opt + 36, 0)},
        {"resources that do not begin their section", with(opt + 96 + 16, kResourceRva + 16)},
        {"sections out of order", with(sections + 40 + 12, kCodeRva)},
        {"a resource type without a directory", with(0x600 + 20, 24)},
    };
    for (const Case& c : refused)
        EXPECT_THROW(Image(c.File), EPeError) << c.What;
    for (std::size_t n = 0; n < good.size(); n += 61)
        EXPECT_THROW(Image(good.substr(0, n)), EPeError) << n;
}

// The data of the resources lie smallest first, so that what a program reads as it starts
// (icons, manifest, layouts: small) comes before the large payload items, however the
// linker had placed them.
TEST(RebuildResources, SmallDataFirst) {
    std::vector<Res> resources = InstallerResources();
    resources.push_back({"#10", "RS_KDB1", 0, std::string(5000, 'k')});
    const std::string rebuilt = RebuildResources(PeFileInMemory(Program(resources, 3)), {});
    for (const Res& a : resources)
        for (const Res& b : resources)
            if (a.Data.size() < b.Data.size()) {
                EXPECT_LT(rebuilt.find(a.Data), rebuilt.find(b.Data)) << a.Name << " " << b.Name;
            }
}

// The build's check of the uninstaller each installer writes: a resource added to the
// installer rides along into the uninstaller whatever its size, and the stub (the installer
// without its payload) grows with it, so a size bound alone lets it through.
TEST(CheckUninstaller, WhatBreaksThePromise) {
    const auto with = [](std::vector<Res> extra) {
        std::vector<Res> resources = InstallerResources();
        resources.insert(resources.end(), extra.begin(), extra.end());
        return Program(resources, 3);
    };
    const std::string installer = with({});
    const std::size_t stub = installer.size() - 18 - 6000 - 15; // without RS_CMD, RS_EXE, RS_README
    const auto sized = [&](std::size_t n) {
        std::string image = Image(installer);
        return image + std::string(n - image.size(), '\0');
    };
    struct Case {
        const char* What;
        std::string Installer, Uninstaller;
        std::size_t Broken; // lines
    } cases[] = {
        {"as written", installer, UninstallerBytes(PeFileInMemory(installer)), 0},
        {"signed, with its signature", installer,
         AppendCertificateTable(Image(installer), Certificate('u'), 1), 0},
        {"100 KB of RCDATA beside the payload",
         with({{"#10", "RS_EXTRA", 0, std::string(100 << 10, 'x')}}), "", 1},
        {"a small bitmap", with({{"#2", "LOGO", 1033, "a bitmap"}}), "", 1},
        {"a second version resource", with({{"#16", "#2", 1033, "version"}}), "", 1},
        {"the installer's own bytes, payload and all", installer, installer, 3},
        {"16 KB beyond the stub", installer, sized(stub + (16 << 10)), 0},
        {"a byte more", installer, sized(stub + (16 << 10) + 1), 1},
    };
    for (Case& c : cases) {
        if (c.Uninstaller.empty()) c.Uninstaller = UninstallerBytes(PeFileInMemory(c.Installer));
        const UninstallerCheck check = CheckUninstaller(c.Installer, c.Uninstaller);
        EXPECT_EQ(check.broken.size(), c.Broken) << c.What;
        EXPECT_EQ(check.stub, c.Installer.size() - (installer.size() - stub)) << c.What;
    }
}
