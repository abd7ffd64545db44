#pragma once
// SHA-256 (FIPS 180-4) of bytes in memory, whole or fed in pieces: the install record holds
// the hash of each file written, and the uninstaller compares it with the file on disk.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    // Adds `size` bytes at `data` to what is hashed.
    void Update(const void* data, std::size_t size);
    void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
    // The hash of everything added so far. The object then starts over, empty.
    Digest Finish();

private:
    void Blocks(const std::uint8_t* data, std::size_t count);
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_;
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0; // bytes added
};

// Whether the processor has SHA instructions; when it has, they hash unless turned off
// (tests and benchmarks compare them with the portable rounds on one machine).
bool HasShaInstructions();
void UseShaInstructions(bool use);

// 64 lower-case hex digits.
std::string HexOf(const Sha256::Digest& digest);
// The SHA-256 of `bytes` as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);
