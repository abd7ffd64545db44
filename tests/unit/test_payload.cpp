// The payload loader's portable core: key stream, unscrambling, inflating, and reading
// whole resource images, malformed and hostile ones included.
#include "engine/payload.h"
#include "engine/payload_seed.h"
#include "tools/pack_core.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Deflate(const std::string& data, int windowBits = 15) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// Text that compresses like a real file, of any length.
std::string Text(std::size_t n) {
    std::string s;
    for (unsigned i = 0; s.size() < n; ++i)
        s += "line " + std::to_string(i * 7919 % 1000) + " of the Pentaro knowledge base\r\n";
    s.resize(n);
    return s;
}

void PutInt32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}

bool SameItem(const tInstItem& a, const tInstItem& b) {
    return a.Contents == b.Contents && a.FileName == b.FileName && a.FileDate == b.FileDate;
}

// Loads a plain image the way the installer does: scramble as the packer does, then
// read the stored bytes with the key stream. Reading a private copy (ReadPayloadImage)
// and reading the stored bytes where they lie (ReadStoredPayload) must agree.
tInstItem Load(const std::string& plain) {
    const std::string stored = ScramblePayloadImage(plain);
    std::string copy = stored;
    tInstItem item, direct;
    ReadPayloadImage(BuildPayloadKeyStream(), copy, item);
    ReadStoredPayload(BuildPayloadKeyStream(), stored, direct);
    EXPECT_TRUE(SameItem(item, direct)) << plain.size();
    EXPECT_EQ(copy, plain); // the copy is left unscrambled
    return item;
}

} // namespace

TEST(Random, IsTheRuntimeGenerator) {
    // From state 0: 1, 134775814 (0x08088406), ... ; Random(256) is the top byte.
    RandSeed = 0;
    const int expected[] = {0, 8, 220, 51, 69};
    for (int e : expected)
        EXPECT_EQ(Random(256), e);
    RandSeed = 0xFFFFFFFFu;
    EXPECT_EQ(Random(10),
              static_cast<int>((std::uint64_t{0xFFFFFFFFu * 134775813u + 1u} * 10) >> 32));
}

TEST(BuildPayloadKeyStream, FiftyDrawsFromTheSeedLeavingTheState) {
    RandSeed = 12345;
    const std::string key = BuildPayloadKeyStream();
    ASSERT_EQ(key.size(), 50u);
    const std::uint32_t after = RandSeed;

    RandSeed = PayloadSeed;
    for (char k : key)
        EXPECT_EQ(static_cast<unsigned char>(k), Random(256));
    EXPECT_EQ(after, RandSeed);
    EXPECT_EQ(BuildPayloadKeyStream(), key);
}

TEST(UnscrambleBytes, WrapsAroundTheKey) {
    const std::string key = BuildPayloadKeyStream();
    std::string buffer(51, '\0');
    UnscrambleBytes(key, buffer.data(), buffer.size());
    for (std::size_t i = 0; i < 51; ++i)
        EXPECT_EQ(static_cast<unsigned char>(buffer[i]), static_cast<unsigned char>(-key[i % 50]));
    EXPECT_EQ(buffer[50], buffer[0]); // the 51st byte uses K[0] again

    std::string untouched = "abc";
    UnscrambleBytes(key, untouched.data(), 0);
    UnscrambleBytes("", untouched.data(), untouched.size());
    EXPECT_EQ(untouched, "abc");
}

TEST(UnscrambleBytes, BulkPathMatchesTheDefinitionForEveryLength) {
    const std::string key = BuildPayloadKeyStream();
    const std::string odd = "\x01\xff\x80\x7f\x00";
    for (std::size_t n : {1u, 49u, 50u, 199u, 200u, 201u, 4099u}) {
        std::string data = Text(n);
        for (std::size_t i = 0; i < n; i += 3)
            data[i] = odd[i % odd.size()];
        std::string fast = data;
        UnscrambleBytes(key, fast.data(), n);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(static_cast<unsigned char>(fast[i]),
                      static_cast<unsigned char>(data[i] - key[i % 50]))
                << "length " << n << ", byte " << i;
        ScrambleBytes(key, fast.data(), n);
        EXPECT_EQ(fast, data);
    }
    // A key whose repeat does not fit the block goes byte by byte.
    const std::string longKey = Text(700);
    std::string data = Text(1500), copy = data;
    UnscrambleBytes(longKey, data.data(), data.size());
    EXPECT_EQ(static_cast<unsigned char>(data[1400]),
              static_cast<unsigned char>(copy[1400] - longKey[0]));
}

TEST(InflateBuffer, AnyEstimateGivesTheWholeStream) {
    const std::string plain = Text(100000);
    const std::string z = Deflate(plain);
    ASSERT_NE(z.size() % 256, 0u);
    for (std::size_t estimate : {std::size_t{0}, std::size_t{1}, std::size_t{99999}, plain.size(),
                                 plain.size() * 3, std::size_t{0x7FFFFFFF}})
        EXPECT_EQ(InflateBuffer(z.data(), z.size(), estimate), plain) << estimate;
    // Bytes after the stream's end are not read.
    const std::string padded = z + "trailing";
    EXPECT_EQ(InflateBuffer(padded.data(), padded.size(), plain.size()), plain);
    const std::string empty = Deflate("");
    EXPECT_EQ(InflateBuffer(empty.data(), empty.size(), 0), "");
}

TEST(InflateBuffer, ZlibErrorsRaiseDecompressionError) {
    const std::string z = Deflate(Text(5000));
    std::string badAdler = z;
    badAdler.back() = static_cast<char>(badAdler.back() ^ 1);
    std::string badHeader = z;
    badHeader[1] = static_cast<char>(badHeader[1] ^ 1);
    std::string badMethod = z;
    badMethod[0] = 0x77;                              // method 7, 32 KB window
    const std::string raw = Deflate(Text(5000), -15); // deflate data without zlib framing
    const std::string cases[] = {badAdler,
                                 badHeader,
                                 badMethod,
                                 raw,
                                 z.substr(0, z.size() - 1),
                                 z.substr(0, z.size() / 2),
                                 std::string(),
                                 std::string(40, 'x')};
    for (const std::string& c : cases) {
        try {
            InflateBuffer(c.data(), c.size(), 5000);
            ADD_FAILURE() << "no error for a body of " << c.size() << " bytes";
        } catch (const EZlibError& e) {
            EXPECT_NE(dynamic_cast<const EDecompressionError*>(&e), nullptr);
            EXPECT_STREQ(e.what(), "Error");
        }
    }
}

TEST(ReadPayloadImage, ReadsHeaderAndBody) {
    const std::string contents = Text(70000) + std::string("\0\x01\xff", 3);
    const tInstItem item = Load(MakePayloadImage("pentaro1.kdb", 0x24BE0A0F, contents));
    EXPECT_EQ(item.FileName, "pentaro1.kdb");
    EXPECT_EQ(item.FileDate, 0x24BE0A0F);
    EXPECT_EQ(item.Contents, contents);
    // The installer reads header and scrambling from the shared seed only.
    std::string stored = ScramblePayloadImage(MakePayloadImage("a", 1, "x"));
    EXPECT_NE(stored.substr(16, 2), std::string("\x01"
                                                "a",
                                                2));
}

TEST(ReadPayloadImage, EverySizeLoadsBack) {
    // Every size up to 300 and the sizes around each power of two up to 1 MiB, of bytes
    // that compress (repeated) and bytes that do not (noise). An empty item loads empty:
    // the run counts it as a read error.
    std::vector<std::size_t> sizes;
    for (std::size_t n = 0; n <= 300; ++n)
        sizes.push_back(n);
    for (std::size_t p = 512; p <= (1u << 20); p *= 2)
        sizes.insert(sizes.end(), {p - 1, p, p + 1});
    std::string noise(sizes.back(), '\0');
    std::uint32_t x = 2463534242u;
    for (char& c : noise) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x);
    }
    const std::string repeated = Text(sizes.back());
    for (const std::string* source : std::initializer_list<const std::string*>{&noise, &repeated}) {
        for (std::size_t n : sizes) {
            const std::string contents = source->substr(0, n);
            const tInstItem item = Load(MakePayloadImage("item.bin", 5, contents));
            EXPECT_EQ(item.FileName, "item.bin") << n;
            ASSERT_EQ(item.Contents.size(), n) << (source == &noise ? "noise " : "text ") << n;
            EXPECT_EQ(item.Contents, contents) << n;
        }
    }
}

#if defined(__cpp_lib_string_resize_and_overwrite)
TEST(StandardLibrary, WhatResizeAndOverwriteHandsItsOperation) {
    // The loader fills exactly the size it asks for and ignores the count the library
    // passes. This records what the library passes, so that a new compiler's change shows
    // here: libstdc++ 12 passes the capacity it grew to (growing past the small buffer of
    // 15 doubles it) instead of the size asked for.
    std::vector<std::pair<std::size_t, std::size_t>> seen; // asked, handed over
    for (std::size_t asked : {0u, 1u, 15u, 16u, 20u, 29u, 30u, 31u, 100u}) {
        std::string s;
        std::size_t handed = 0;
        s.resize_and_overwrite(asked, [&](char*, std::size_t n) {
            handed = n;
            return std::size_t{0};
        });
        seen.emplace_back(asked, handed);
    }
#if defined(_GLIBCXX_RELEASE) && _GLIBCXX_RELEASE == 12
    const std::vector<std::pair<std::size_t, std::size_t>> expected = {
        {0, 0},   {1, 1},   {15, 15}, {16, 30}, {20, 30},
        {29, 30}, {30, 30}, {31, 31}, {100, 100}};
#else
    std::vector<std::pair<std::size_t, std::size_t>> expected;
    for (const auto& [asked, handed] : seen)
        expected.emplace_back(asked, asked);
#endif
    EXPECT_EQ(seen, expected);
}
#endif

TEST(ReadPayloadImage, NameLengthsZeroAndThirty) {
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz.txt";
    ASSERT_EQ(thirty.size(), 30u);
    std::string plain = MakePayloadImage(thirty, 7, "data");
    EXPECT_EQ(plain[46], 't'); // the last name byte lies at offset 46
    tInstItem item = Load(plain);
    EXPECT_EQ(item.FileName, thirty);
    EXPECT_EQ(item.Contents, "data");

    plain[16] = 0; // an empty name cannot be written into the folder: a read error
    item = Load(plain);
    EXPECT_EQ(item.FileName, "");
    EXPECT_EQ(item.Contents, "");
    EXPECT_EQ(item.FileDate, 7);

    plain[16] = 31; // beyond the field
    item = Load(plain);
    EXPECT_EQ(item.FileName, "");
    EXPECT_EQ(item.Contents, "");
}

TEST(ReadPayloadImage, MalformedItemsLoadEmpty) {
    const std::string good = MakePayloadImage("readme.txt", 0x2C4E6000, Text(3000));
    auto withSize = [&](std::uint32_t size) {
        std::string p = good;
        PutInt32(p, 4, size);
        return p;
    };
    const std::string cases[] = {good.substr(0, 46),    std::string(),  withSize(0x80000000u),
                                 withSize(0xFFFFFFFFu), withSize(2999), withSize(3001),
                                 withSize(0x7FFFFFFF)};
    for (const std::string& plain : cases) {
        tInstItem loaded;
        loaded.Contents = "stale";
        loaded.FileName = "stale";
        std::string stored = ScramblePayloadImage(plain);
        tInstItem direct = loaded;
        ReadStoredPayload(BuildPayloadKeyStream(), stored, direct);
        ReadPayloadImage(BuildPayloadKeyStream(), stored, loaded);
        EXPECT_EQ(loaded.Contents, "") << plain.size();
        if (plain.size() < 47) {
            EXPECT_EQ(loaded.FileName, "");
        }
        EXPECT_TRUE(SameItem(loaded, direct)) << plain.size();
    }
    // A stated size of 0 with an empty body is no error, only empty.
    const tInstItem empty = Load(MakePayloadImage("empty.txt", 1, ""));
    EXPECT_EQ(empty.FileName, "empty.txt");
    EXPECT_EQ(empty.Contents, "");
}

TEST(ReadPayloadImage, BodyFarLongerThanStatedStopsEarly) {
    // 64 MB of zeros deflate to ~64 KB; stated as 100 bytes, the loader must give up
    // after about the stated size instead of inflating all of it (ASan would report
    // the allocation sizes; the result is a read error either way).
    std::string plain = MakePayloadImage("bomb.bin", 1, std::string(64u << 20, '\0'));
    PutInt32(plain, 4, 100);
    EXPECT_EQ(Load(plain).Contents, "");
}

TEST(ReadStoredPayload, BodiesAroundThePieceBoundaries) {
    // The stored body is unscrambled piece by piece as inflate takes it: every length of
    // stored body near a multiple of the piece (256000 bytes, whole key lengths) must give
    // back the contents, whatever key byte the piece starts on.
    std::string noise(520000, '\0');
    std::uint32_t x = 12345;
    for (char& c : noise) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    for (std::size_t n : {100u, 255990u, 255999u, 256000u, 256001u, 511950u, 512000u, 512013u}) {
        // Level 0 stores the bytes: the body is the contents plus 5 bytes a block.
        z_stream z{};
        deflateInit(&z, 0);
        std::string body(deflateBound(&z, n), '\0');
        z.next_in = reinterpret_cast<Bytef*>(noise.data());
        z.avail_in = static_cast<uInt>(n);
        z.next_out = reinterpret_cast<Bytef*>(body.data());
        z.avail_out = static_cast<uInt>(body.size());
        deflate(&z, Z_FINISH);
        body.resize(z.total_out);
        deflateEnd(&z);
        std::string plain = MakePayloadImage("noise.bin", 3, "");
        plain.resize(PayloadHeaderSize);
        PutInt32(plain, 4, static_cast<std::uint32_t>(n));
        plain += body;
        EXPECT_EQ(Load(plain).Contents, noise.substr(0, n)) << n;
    }
}

TEST(ReadPayloadImage, CorruptBodyRaisesAfterTheHeaderIsRead) {
    std::string plain = MakePayloadImage("pentaro.hlp", 0x12345678, Text(9000));
    plain.back() = static_cast<char>(plain.back() ^ 0x40); // the Adler-32 trailer
    std::string stored = ScramblePayloadImage(plain);
    tInstItem item;
    item.Contents = "stale";
    EXPECT_THROW(ReadPayloadImage(BuildPayloadKeyStream(), stored, item), EDecompressionError);
    EXPECT_EQ(item.FileName, "pentaro.hlp");
    EXPECT_EQ(item.FileDate, 0x12345678);
    EXPECT_EQ(item.Contents, "");
    EXPECT_EQ(stored, plain); // unscrambled, also when the body is corrupt

    tInstItem direct;
    direct.Contents = "stale";
    EXPECT_THROW(ReadStoredPayload(BuildPayloadKeyStream(), ScramblePayloadImage(plain), direct),
                 EDecompressionError);
    EXPECT_TRUE(SameItem(item, direct));
}

TEST(ReadPayloadImage, NamesThatLeaveTheFolderAreReadErrors) {
    const char* bad[] = {"..\\evil.exe", "a/b",    "sub\\x", "c:x",     "C:",       ".",
                         "..",           "...",    "con",    "CON.txt", "Nul .txt", "lpt1",
                         "COM9.dat",     "conin$", "aux",    "x?",      "x*",       "a<b",
                         "a|b",          "a\"b",   "tab\t",  "name.",   "name "};
    for (const char* name : bad) {
        EXPECT_FALSE(IsBareFileName(name)) << name;
        std::string plain = MakePayloadImage("placeholder", 1, "contents");
        plain[16] = static_cast<char>(std::strlen(name));
        std::memcpy(plain.data() + 17, name, std::strlen(name));
        const tInstItem item = Load(plain);
        EXPECT_EQ(item.Contents, "") << name;
        EXPECT_EQ(item.FileName, "") << name;
    }
    const char* good[] = {"readme.txt", "tarnw.exe", "com10",   "lpt",          "console.txt",
                          ".profile",   "a b.txt",   "con_x.c", "\xe9t\xe9.txt"};
    for (const char* name : good)
        EXPECT_TRUE(IsBareFileName(name)) << name;
}

TEST(DuplicateFileNames, LaterItemsForAnEarlierFileAreLoadErrors) {
    auto item = [](const char* name) {
        tInstItem i;
        i.FileName = name;
        i.Contents = "x";
        return i;
    };
    // Windows writes "README.TXT" over "readme.txt"; accented letters of code page 1252
    // ("\xE9t\xE9" is "été") pair with their capitals ("\xC9T\xC9") the same way.
    const std::vector<tInstItem> items = {
        item("readme.txt"),    item("tarnw.exe"),     item(""),
        item("README.TXT"),    item("\xE9t\xE9.kdb"), item("\xC9T\xC9.KDB"),
        item("readme.txt.bak")};
    EXPECT_EQ(DuplicateFileNameLines("rs_a,rs_b,rs_c,rs_d,rs_e,rs_f,rs_g", items),
              "\r\nError Reading resource item rs_d, Filename README.TXT is also the file name "
              "of rs_a"
              "\r\nError Reading resource item rs_f, Filename \xC9T\xC9.KDB is also the file "
              "name of rs_e");
    EXPECT_EQ(DuplicateFileNameLines("rs_a,rs_b", {item("a.txt"), item("b.txt")}), "");
}
