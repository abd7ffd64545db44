#include "engine/sha256.h"

#include <gtest/gtest.h>

namespace {

// Bytes (i * 7 + 3) mod 256, for lengths around the 56- and 64-byte block edges.
std::string Pattern(std::size_t length) {
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i)
        bytes += static_cast<char>((i * 7 + 3) % 256);
    return bytes;
}

} // namespace

// Expected values from Python's hashlib.sha256; the first four are the FIPS 180 examples.
// Both the portable rounds and, where the processor has them, its SHA instructions.
TEST(Sha256, KnownValuesWholeAndInPieces) {
    for (bool instructions : {false, true}) {
        if (instructions && !HasShaInstructions()) continue;
        UseShaInstructions(instructions);
        const struct {
            std::string bytes;
            const char* hex;
        } cases[] = {
            {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
            {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
            {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
             "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
            {std::string(1000000, 'a'),
             "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
            {Pattern(55), "e7313d333c272e639f790978283f9eb392e843d0f29b7016828bb1daa4aac70b"},
            {Pattern(56), "4324d65f3c103567f5589c710bc08f8523f929a9272e3af36fc968e52abc6c27"},
            {Pattern(63), "81c80242132f230c3bd41b3e63bbcff16107339549214a99614ff26664625055"},
            {Pattern(64), "39e3d7b6b5d075d37d053ad89b24b41bef4f3c29760c84447cab3f3be1882241"},
            {Pattern(65), "aacca6ff74fdbb296d165a45cecfa04e5127bc008770fbbdd48006f2d2fae95e"},
            {Pattern(119), "9ce7368e4daf32341631b492e80359dc9f594b48453cd0dd5bf0b19279cc177e"},
            {Pattern(120), "7836b787757e95e58b3ca5aec90b1b004e8deba1e50e9675af9cabf1a13a04b5"},
            {Pattern(1000), "1e9bc38cbf860b9ec31918b065f9b52476c549a782e0e7990bed8ce3868d2371"},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(Sha256Hex(c.bytes), c.hex)
                << c.bytes.size() << " bytes, SHA instructions " << instructions;
            // The same bytes fed in uneven pieces, as a file is read.
            for (std::size_t piece : {1u, 7u, 63u, 64u, 65u, 4096u}) {
                Sha256 hash;
                for (std::size_t at = 0; at < c.bytes.size(); at += piece)
                    hash.Update(std::string_view(c.bytes).substr(at, piece));
                ASSERT_EQ(HexOf(hash.Finish()), c.hex) << c.bytes.size() << " bytes by " << piece;
            }
        }
    }
    UseShaInstructions(true);
}

TEST(Sha256, StartsOverAfterFinish) {
    Sha256 hash;
    hash.Update("abc");
    hash.Finish();
    hash.Update("abc");
    EXPECT_EQ(HexOf(hash.Finish()), Sha256Hex("abc"));
}
