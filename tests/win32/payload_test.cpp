// Pack -> embed -> LoadPayloadItem: the installer's own resources give back the stand-in
// product byte for byte, with the dates of resources/product/manifest.txt.
#include "engine/payload.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t Dos(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>((y - 1980) << 9 | mo << 5 | d)
                                         << 16 |
                                     static_cast<std::uint32_t>(h << 11 | mi << 5 | s / 2));
}

struct Expected {
    const char* Catalogue;
    const char* File;
    std::int32_t Date;
};

// resources/product/manifest.txt
const Expected kProduct[] = {
    {"rs_cmd", "tarnw.exe", Dos(1998, 4, 17, 10, 24, 0)},
    {"rs_exe", "pentaro.exe", Dos(1998, 4, 17, 10, 24, 2)},
    {"rs_kdb1", "pentaro1.kdb", Dos(1998, 3, 30, 16, 5, 10)},
    {"rs_kdb2", "pentaro2.kdb", Dos(1998, 3, 30, 16, 7, 44)},
    {"rs_hlp", "pentaro.hlp", Dos(1997, 11, 2, 9, 12, 30)},
    {"rs_icon", "penta.ico", Dos(1997, 6, 21, 14, 0, 0)},
    {"rs_kdbv4", "kdbv4.kdb", Dos(2001, 9, 12, 11, 48, 6)},
    {"rs_kdbv4add", "kdbv4add.kdb", Dos(2002, 1, 8, 8, 30, 20)},
    {"rs_readme", "readme.txt", Dos(2002, 2, 14, 12, 0, 0)},
    {"rs_spool32", "spool32.exe", Dos(2002, 2, 14, 12, 15, 36)},
};

std::string ReadStandIn(const std::string& name) {
    const std::string path = std::string(PENTARO_STANDIN_DIR) + "\\" + name;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return "<cannot open " + path + ">";
    std::string data;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    std::fclose(f);
    return data;
}

tInstItem Load(const std::string& name) {
    tInstItem item;
    LoadPayloadItem(name, item);
    return item;
}

// Runs the stand-in spool32.exe with `arguments`; its exit code.
DWORD RunSpool32(const std::string& arguments) {
    std::string command = "\"" + std::string(PENTARO_STANDIN_DIR) + "\\spool32.exe\"" + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

} // namespace

TEST(LoadPayloadItem, GivesTheStandInProductWithItsDates) {
    ASSERT_EQ(std::string(PayloadCatalogue),
              "rs_cmd,rs_exe,rs_kdb1,rs_kdb2,rs_hlp,rs_icon,rs_kdbv4,rs_kdbv4add,rs_readme,"
              "rs_spool32");
    for (const Expected& e : kProduct) {
        const tInstItem item = Load(e.Catalogue);
        EXPECT_EQ(item.FileName, e.File);
        EXPECT_EQ(item.FileDate, e.Date) << e.Catalogue;
        const std::string file = ReadStandIn(e.File);
        EXPECT_GT(file.size(), 0u);
        EXPECT_TRUE(item.Contents == file) << e.Catalogue << ": " << item.Contents.size()
                                           << " bytes loaded, " << file.size() << " on disk";
    }
}

TEST(LoadPayloadItem, NamesMatchUpperCaseResourcesInAnyCase) {
    // Stored language-neutral under the upper-case name.
    EXPECT_NE(FindResourceExA(nullptr, MAKEINTRESOURCEA(10), "RS_ICON",
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)),
              nullptr);
    const tInstItem lower = Load("rs_icon");
    EXPECT_EQ(lower.FileName, "penta.ico");
    const tInstItem mixed = Load("Rs_Icon");
    EXPECT_EQ(mixed.Contents, lower.Contents);
}

TEST(LoadPayloadItem, RepeatedAndReversedLoadsAreIdentical) {
    std::vector<tInstItem> forward, backward(std::size(kProduct));
    for (const Expected& e : kProduct)
        forward.push_back(Load(e.Catalogue));
    for (std::size_t i = std::size(kProduct); i-- > 0;)
        backward[i] = Load(kProduct[i].Catalogue);
    for (std::size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(forward[i].FileName, backward[i].FileName);
        EXPECT_EQ(forward[i].FileDate, backward[i].FileDate);
        EXPECT_TRUE(forward[i].Contents == backward[i].Contents) << kProduct[i].Catalogue;
    }
    const tInstItem again = Load("rs_kdb1");
    EXPECT_TRUE(again.Contents == forward[2].Contents);

    // All at once, on as many threads as there are processors: the same items, in order.
    std::vector<std::string> names;
    for (const Expected& e : kProduct)
        names.push_back(e.Catalogue);
    const std::vector<tInstItem> together = LoadPayloadItems(names);
    ASSERT_EQ(together.size(), forward.size());
    for (std::size_t i = 0; i < forward.size(); ++i) {
        EXPECT_EQ(together[i].FileName, forward[i].FileName);
        EXPECT_EQ(together[i].FileDate, forward[i].FileDate);
        EXPECT_TRUE(together[i].Contents == forward[i].Contents) << kProduct[i].Catalogue;
    }
}

TEST(LoadPayloadItems, RaisesTheErrorOfTheFirstFailingNameInOrder) {
    // Three names fail: the error is the first one's in the catalogue, not a later one's,
    // in every round, however the threads shared the items.
    for (int round = 0; round < 20; ++round) {
        try {
            LoadPayloadItems({"rs_kdb2", "rs_exe", "rs_nothing", "rs_cmd", "rs_none", "rs_none2"});
            FAIL() << "no error";
        } catch (const EResNotFound& e) {
            ASSERT_STREQ(e.what(), "Resource rs_nothing not found") << "round " << round;
        }
    }
    EXPECT_TRUE(LoadPayloadItems({}).empty());
}

TEST(LoadPayloadItem, MissingResourceRaisesWithTheNameAsGiven) {
    tInstItem item;
    item.FileName = "left over";
    item.FileDate = 42;
    item.Contents = "kept";
    try {
        LoadPayloadItem("rs_nothing", item);
        FAIL() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_STREQ(e.what(), "Resource rs_nothing not found");
    }
    EXPECT_EQ(item.FileName, ""); // cleared first
    EXPECT_EQ(item.FileDate, 42);
    EXPECT_EQ(item.Contents, "kept");
    // The key was built before the lookup: the generator moved on from the seed.
    const std::uint32_t after = RandSeed;
    BuildPayloadKeyStream();
    EXPECT_EQ(RandSeed, after);
}

// The loader reads the items from the executable's file where the image maps them: the
// offsets must name the same bytes in the file, read here with the C library.
TEST(ImageFileOffset, NamesTheResourcesBytesInTheExecutablesFile) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::FILE* f = std::fopen(path, "rb");
    ASSERT_NE(f, nullptr);
    for (const Expected& e : kProduct) {
        SCOPED_TRACE(e.Catalogue);
        const std::string_view mapped = tk::FindRcData(e.Catalogue);
        const std::int64_t offset = tk::ImageFileOffset(mapped);
        ASSERT_GT(offset, 0);
        std::string inFile(mapped.size(), '\0');
        ASSERT_EQ(std::fseek(f, static_cast<long>(offset), SEEK_SET), 0);
        ASSERT_EQ(std::fread(inFile.data(), 1, inFile.size(), f), inFile.size());
        EXPECT_TRUE(inFile == mapped);
    }
    std::fclose(f);
    // Memory that is not the image's bytes from the file: the heap, and a range that runs
    // past the end of its section's bytes.
    const std::string heap(64, 'x');
    EXPECT_EQ(tk::ImageFileOffset(heap), -1);
    const std::string_view item = tk::FindRcData("rs_cmd");
    EXPECT_EQ(tk::ImageFileOffset(std::string_view(item.data(), 1u << 30)), -1);
}

TEST(Crc32, TheInstallersOwnGivesTheStandardCheckValue) {
    // The CRC-32 check value of "123456789" (the catalogue of parametrised CRCs).
    const char digits[] = "123456789";
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(digits), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(0, nullptr, 0), 0u);
}

TEST(StandIns, IconLoadsAsAWindowsIcon) {
    char dir[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, dir), 0u);
    ASSERT_NE(GetTempFileNameA(dir, "ico", 0, path), 0u);
    const std::string icon = Load("rs_icon").Contents;
    std::FILE* f = std::fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(icon.data(), 1, icon.size(), f);
    std::fclose(f);
    for (int size : {32, 16}) {
        HANDLE h = LoadImageA(nullptr, path, IMAGE_ICON, size, size, LR_LOADFROMFILE);
        EXPECT_NE(h, nullptr) << size;
        if (h != nullptr) DestroyIcon(static_cast<HICON>(h));
    }
    DeleteFileA(path);
}

TEST(StandIns, Spool32ExplainsWhatIsMissing) {
    EXPECT_EQ(RunSpool32(""), 2u);                        // usage
    EXPECT_EQ(RunSpool32(" Z:\\no\\such\\file.prn"), 1u); // no file
}

TEST(ReadPayloadImage, AnItemThisProcessCannotHoldIsOutOfMemory) {
    // A header stating 2 032 MiB and a body long enough for deflate to reach that size:
    // a 32-bit process has 2 GiB of addresses in all, so the room cannot be had.
    std::string image(PayloadHeaderSize + (3u << 20), '\0');
    const std::uint32_t stated = 0x7F000000;
    for (int i = 0; i < 4; ++i)
        image[4 + i] = static_cast<char>(stated >> (8 * i));
    image[PayloadNameOffset] = 7;
    image.replace(PayloadNameOffset + 1, 7, "big.kdb");
    const std::string key = BuildPayloadKeyStream();
    ScrambleBytes(key, image.data(), image.size());
    tInstItem item;
    item.Contents = "old";
    try {
        ReadPayloadImage(key, image, item);
        ADD_FAILURE() << "no error";
    } catch (const EOutOfMemory& e) {
        EXPECT_STREQ(e.what(), "Not enough memory to install Pentaro.");
    }
    EXPECT_TRUE(item.Contents.empty());
    EXPECT_EQ(item.FileName, "big.kdb");
}
