// The packer's side: manifests, DOS date-times, deterministic images, and the PE
// resource reader that pentaro-inspect rests on.
#include "engine/payload.h"
#include "engine/pe_resources.h"
#include "tests/fuzz/minimal_pe.h"
#include "tools/pack_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::tm At(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900, t.tm_mon = mo - 1, t.tm_mday = d;
    t.tm_hour = h, t.tm_min = mi, t.tm_sec = s;
    return t;
}

std::string ErrorOf(const std::string& manifest) {
    try {
        ParseManifest(manifest, "m.txt");
    } catch (const EPackError& e) {
        return e.Message();
    }
    return "";
}

} // namespace

using minimal_pe::MinimalPe;
using minimal_pe::Put32;

TEST(DosDateTime, FatLayoutAndRange) {
    EXPECT_EQ(DosDateTime(At(1980, 1, 1, 0, 0, 0)), 0x00210000);
    // 1998-04-17 10:24:01: date (18 << 9 | 4 << 5 | 17), time (10 << 11 | 24 << 5 | 0).
    EXPECT_EQ(DosDateTime(At(1998, 4, 17, 10, 24, 1)), static_cast<std::int32_t>(0x24915300));
    EXPECT_EQ(DosDateTime(At(2107, 12, 31, 23, 59, 58)), static_cast<std::int32_t>(0xFF9FBF7Du));
    EXPECT_THROW(DosDateTime(At(1979, 12, 31, 23, 59, 59)), EPackError);
    EXPECT_THROW(DosDateTime(At(2108, 1, 1, 0, 0, 0)), EPackError);
    EXPECT_EQ(FormatDosDateTime(0x24915300), "1998-04-17T10:24:00");
    EXPECT_EQ(FormatDosDateTime(0), "1980-00-00T00:00:00"); // shown as stored
}

TEST(ParseManifest, EntriesAndErrors) {
    const auto entries = ParseManifest("# comment\n\n"
                                       "rs_cmd  tarnw.exe 1998-04-17T10:24:00\r\n"
                                       "rs_exe\t\"my files/pentaro.exe\" 1998-04-17 10:24:02\n"
                                       "rs_kdb1 pentaro1.kdb\n",
                                       "m.txt");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].Name, "rs_cmd");
    EXPECT_EQ(entries[0].Date, 0x24915300);
    EXPECT_EQ(entries[1].File, "my files/pentaro.exe");
    EXPECT_EQ(entries[1].Date, 0x24915301);
    EXPECT_FALSE(entries[2].Date.has_value());
    EXPECT_EQ(entries[2].Line, 5);

    EXPECT_EQ(ErrorOf("rs_a a\nRS_A b\n"), "m.txt:2: duplicate catalogue name RS_A");
    EXPECT_EQ(ErrorOf("rs_a\n"), "m.txt:1: expected: <catalogue name> <file> [<date> <time>]");
    EXPECT_EQ(ErrorOf("rs-a a\n"), "m.txt:1: catalogue name must be letters, digits and _: rs-a");
    EXPECT_EQ(ErrorOf("rs_a a 1998-4-17T10:24:00\n"),
              "m.txt:1: date-time must read YYYY-MM-DDTHH:MM:SS: 1998-4-17T10:24:00");
    EXPECT_EQ(ErrorOf("rs_a a 1975-01-01T00:00:00\n"),
              "m.txt:1: year 1975 cannot be stored as a DOS date (1980-2107)");
    EXPECT_EQ(ErrorOf("rs_a \"a b\n"), "m.txt:1: unclosed double quote");
}

TEST(MakePayloadImage, DeterministicAndChecked) {
    const std::string a = MakePayloadImage("readme.txt", 5, "same bytes");
    EXPECT_EQ(a, MakePayloadImage("readme.txt", 5, "same bytes"));
    EXPECT_EQ(a.substr(0, 4), "P+pk");
    EXPECT_EQ(DiagnosePayloadImage(a), "");
    EXPECT_THROW(MakePayloadImage(std::string(31, 'a'), 5, "x"), EPackError);
    EXPECT_THROW(MakePayloadImage("dir/readme.txt", 5, "x"), EPackError);

    std::string damaged = a;
    damaged[47 + 5] = static_cast<char>(damaged[47 + 5] ^ 0x10);
    EXPECT_NE(DiagnosePayloadImage(damaged), "");
    std::string wrongCrc = a;
    wrongCrc[8] = static_cast<char>(wrongCrc[8] ^ 1);
    EXPECT_EQ(DiagnosePayloadImage(wrongCrc), "CRC-32 of the contents does not match the packer's");
    EXPECT_EQ(DiagnosePayloadImage(a.substr(0, 20)),
              "resource of 20 bytes is shorter than the 47-byte header");
}

TEST(ReadRcDataResources, FindsNamedItemsIgnoringCase) {
    const std::string pe = MinimalPe({{"RS_ICON", "icon bytes"}, {"RS_CMD", "cmd"}});
    const auto resources = ReadRcDataResources(pe);
    ASSERT_EQ(resources.size(), 2u);
    ASSERT_NE(FindResource(resources, "rs_icon"), nullptr);
    EXPECT_EQ(FindResource(resources, "rs_icon")->Data, "icon bytes");
    EXPECT_EQ(FindResource(resources, "Rs_Cmd")->Data, "cmd");
    EXPECT_EQ(FindResource(resources, "rs_nothing"), nullptr);
}

TEST(ReadRcDataResources, BrokenFilesRaiseNeverReadOutside) {
    const std::string pe = MinimalPe({{"RS_README", std::string(300, 'r')}});
    EXPECT_THROW(ReadRcDataResources("not an executable at all"), EPeError);
    EXPECT_THROW(ReadRcDataResources(""), EPeError);
    std::string noPe = pe;
    noPe[0x41] = 'X';
    EXPECT_THROW(ReadRcDataResources(noPe), EPeError);
    // Every truncation either still reads (when it cuts nothing needed) or raises.
    for (std::size_t n = 0; n < pe.size(); ++n) {
        const std::string cut = pe.substr(0, n);
        EXPECT_THROW(ReadRcDataResources(cut), EPeError) << n;
    }
    // A data entry pointing far outside the section.
    std::string hostile = pe;
    const std::size_t dataEntry = 0x200 + 24 + 24 + 24; // root, types, language dirs
    Put32(hostile, dataEntry + 4, 0xFFFFFFF0u);
    EXPECT_THROW(ReadRcDataResources(hostile), EPeError);
}

// The certificate table is found through data directory 4, whose address is a file
// offset; a signed file's resources read as the unsigned file's.
TEST(ReadCertificateTable, WhereTheSignatureLies) {
    const std::string plain = MinimalPe({{"RS_CMD", "cmd"}});
    const std::uint32_t at = static_cast<std::uint32_t>(plain.size());
    const std::size_t directory = 0x58 + 96 + 4 * 8;
    // One WIN_CERTIFICATE: length (header included), revision, type, then the PKCS #7 bytes.
    auto sign = [&](std::uint32_t length, unsigned revision, unsigned type, std::uint32_t size) {
        std::string pe = plain + std::string(16, '\0');
        Put32(pe, at, length);
        minimal_pe::Put16(pe, at + 4, revision), minimal_pe::Put16(pe, at + 6, type);
        Put32(pe, directory, at), Put32(pe, directory + 4, size);
        return pe;
    };
    const PeCertificateTable none = ReadCertificateTable(plain);
    EXPECT_EQ(none.Size, 0u);
    const std::string pe = sign(16, 0x200, 2, 16);
    const PeCertificateTable table = ReadCertificateTable(pe);
    EXPECT_EQ(table.Offset, at);
    EXPECT_EQ(table.Size, 16u);
    EXPECT_EQ(FindResource(ReadRcDataResources(pe), "rs_cmd")->Data, "cmd");

    struct Case {
        const char* What;
        std::string File;
    } damaged[] = {
        {"table beyond the end", sign(16, 0x200, 2, 17)},
        {"cut signature", pe.substr(0, pe.size() - 1)},
        {"entry longer than the table", sign(24, 0x200, 2, 16)},
        {"entry shorter than its header", sign(4, 0x200, 2, 16)},
        {"table shorter than one header", sign(16, 0x200, 2, 4)},
        {"X.509 entry, not PKCS #7", sign(16, 0x200, 1, 16)},
        {"old revision", sign(16, 0x100, 2, 16)},
    };
    for (const Case& c : damaged)
        EXPECT_THROW(ReadCertificateTable(c.File), EPeError) << c.What;
}

TEST(PayloadMemory, ItemsAndStoredCopiesMustFitInOneGibibyte) {
    constexpr std::uint64_t mib = 1 << 20;
    EXPECT_NO_THROW(CheckPayloadMemory(600 * mib, 424 * mib));
    EXPECT_THROW(CheckPayloadMemory(600 * mib, 424 * mib + 1), EPackError);
    EXPECT_THROW(CheckPayloadMemory(1025 * mib, 0), EPackError);
}

TEST(PackFingerprint, FollowsTheBytesAndDatesNotTheFileTimes) {
    // A corrected readme.txt copied over the old one keeps the old date: its bytes decide.
    const PackSource readme{"RS_README", "readme.txt", 0x2C4E6000, 11,
                            ContentsCrc32("Version 3.2")};
    PackSource corrected = readme;
    corrected.Crc = ContentsCrc32("Version 3.4");
    PackSource redated = readme;
    redated.Date = 0x2C4E6001;
    PackSource renamed = readme;
    renamed.FileName = "liesmich.txt";
    const std::string base = PackFingerprint("packer 1", {readme});
    EXPECT_EQ(PackFingerprint("packer 1", {readme}), base);
    for (const PackSource& changed : {corrected, redated, renamed})
        EXPECT_NE(PackFingerprint("packer 1", {changed}), base) << changed.FileName;
    EXPECT_NE(PackFingerprint("packer 2", {readme}), base); // another packer or its options
    EXPECT_NE(PackFingerprint("packer 1", {readme, readme}), base);
    EXPECT_EQ(ContentsCrc32("123456789"), 0xCBF43926u); // the CRC-32 check value
}

// What the installer could not install as the manifest gives it, refused naming the entry.
TEST(CheckInstallable, RefusesWhatTheInstallerCannotInstallAsGiven) {
    const std::string standIn = "rs_cmd      tarnw.exe\n"
                                "rs_exe      pentaro.exe\n"
                                "rs_kdb1     pentaro1.kdb\n"
                                "rs_kdb2     pentaro2.kdb\n"
                                "rs_hlp      pentaro.hlp\n"
                                "rs_icon     penta.ico\n"
                                "rs_kdbv4    kdbv4.kdb\n"
                                "rs_kdbv4add kdbv4add.kdb\n"
                                "rs_readme   readme.txt\n"
                                "rs_spool32  spool32.exe\n";
    // `text` with the line of `item` replaced by `line` (removed when empty).
    auto with = [](std::string text, const std::string& item, const std::string& line) {
        const std::size_t at = text.find(item + " ");
        const std::size_t end = text.find('\n', at) + 1;
        return text.replace(at, end - at, line.empty() ? "" : line + "\n");
    };
    struct Case {
        const char* What;
        std::string Manifest;
        bool InSubfolders;
        const char* Where;              // the start of the refusal, "" when the manifest installs
        std::vector<const char*> Names; // what the refusal must name besides
    };
    // clang-format off
    const Case cases[] = {
        {"the stand-in product", standIn, false, "", {}},
        {"catalogue names and file names in any case",
         with(standIn, "rs_exe", "RS_EXE PENTARO.EXE"), false, "", {}},
        {"an eleventh item", standIn + "rs_extra extra.dat\n", false, "m.txt:11: rs_extra", {}},
        {"an item the catalogue does not name, in a slot's place",
         with(standIn, "rs_hlp", "rs_help pentaro.hlp"), false, "m.txt:5: rs_help", {}},
        {"a catalogue item missing", with(standIn, "rs_hlp", ""), false, "m.txt: ", {"rs_hlp"}},
        {"two missing, both named", with(with(standIn, "rs_readme", ""), "rs_hlp", ""),
         false, "m.txt: ", {"rs_hlp, rs_readme"}},
        {"a file in a subfolder", with(standIn, "rs_kdb1", "rs_kdb1 sub/nested.dat"),
         false, "m.txt:3: rs_kdb1", {"sub/nested.dat"}},
        {"an absolute path", with(standIn, "rs_kdb1", "rs_kdb1 /cd/pentaro1.kdb"),
         false, "m.txt:3: rs_kdb1", {"/cd/pentaro1.kdb"}},
        {"subfolders, when allowed: installed under the bare name",
         with(standIn, "rs_cmd", "rs_cmd dos/TARNW.EXE"), true, "", {}},
        {"the shortcut's program under another name",
         with(standIn, "rs_exe", "rs_exe pentaro32.exe"),
         false, "m.txt:2: rs_exe", {"pentaro.exe", "pentaro32.exe"}},
        {"the shortcut's program in a subfolder, allowed, but under another name",
         with(standIn, "rs_exe", "rs_exe bin/pentaro32.exe"),
         true, "m.txt:2: rs_exe", {"pentaro.exe"}},
        {"the icon under another name", with(standIn, "rs_icon", "rs_icon pentaro.ico"),
         false, "m.txt:6: rs_icon", {"penta.ico"}},
        {"what dosbox.conf starts under another name",
         with(standIn, "rs_cmd", "rs_cmd tarn32.exe"), false, "m.txt:1: rs_cmd", {"tarnw.exe"}},
        {"the print utility under another name",
         with(standIn, "rs_spool32", "rs_spool32 spool.exe"),
         false, "m.txt:10: rs_spool32", {"spool32.exe"}},
        {"the right names in swapped slots: the first slot is named",
         with(with(standIn, "rs_exe", "rs_exe penta.ico"), "rs_icon", "rs_icon pentaro.exe"),
         false, "m.txt:2: rs_exe", {"pentaro.exe"}},
        {"the sibling product's program", with(standIn, "rs_readme", "rs_readme tarn.exe"),
         false, "m.txt:9: rs_readme", {"tarn.exe"}},
        {"the maker's menu program", with(standIn, "rs_readme", "rs_readme TQMENU.EXE"),
         false, "m.txt:9: rs_readme", {"TQMENU.EXE"}},
        {"the uninstaller", with(standIn, "rs_readme", "rs_readme Uninstall.exe"),
         false, "m.txt:9: rs_readme", {"Uninstall.exe"}},
        {"the install record", with(standIn, "rs_hlp", "rs_hlp uninstall.rec"),
         false, "m.txt:5: rs_hlp", {"uninstall.rec"}},
        {"the DOSBox configuration", with(standIn, "rs_hlp", "rs_hlp dosbox.conf"),
         false, "m.txt:5: rs_hlp", {"dosbox.conf"}},
        {"an item outside the catalogue comes before one missing",
         with(standIn, "rs_hlp", "") + "rs_more more.dat\n", false, "m.txt:10: rs_more", {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string error;
        try {
            CheckInstallable(ParseManifest(c.Manifest, "m.txt"), "m.txt", c.InSubfolders);
        } catch (const EPackError& e) {
            error = e.Message();
        }
        if (*c.Where == '\0') {
            EXPECT_EQ(error, "") << c.What;
            continue;
        }
        EXPECT_EQ(error.rfind(c.Where, 0), 0u) << c.What << ": " << error;
        for (const char* name : c.Names)
            EXPECT_NE(error.find(name), std::string::npos) << c.What << ": " << error;
    }
}

// The build's check of a linked installer: a payload item the catalogue does not name is
// found among its resources; the installer's other data is not taken for one.
TEST(ItemsOutsideCatalogue, PayloadItemsTheInstallerNeverLoads) {
    const std::string item = ScramblePayloadImage(MakePayloadImage("extra.dat", 5, "extra"));
    const std::string pe = MinimalPe({{"RS_CMD", item},
                                      {"RS_EXTRA", item},
                                      {"rs_more", item},
                                      {"RS_CONF", "[sdl]\r\nfullscreen=false\r\n"},
                                      {"RS_TINY", "P+"},
                                      {"RS_PLAIN", MakePayloadImage("plain.dat", 5, "x")}});
    EXPECT_EQ(ItemsOutsideCatalogue(ReadRcDataResources(pe)),
              (std::vector<std::string>{"RS_EXTRA", "rs_more"}));
    EXPECT_TRUE(ItemsOutsideCatalogue(ReadRcDataResources(MinimalPe({{"RS_CMD", item}}))).empty());
}
