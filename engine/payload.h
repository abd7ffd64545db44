#pragma once
// Payload items: the product's files as they travel inside the installer, one named
// RCDATA resource each, scrambled and zlib-compressed, and the loader that turns a
// resource name back into a file name, a DOS date-time and the file's bytes.
//
// Stored resource, after unscrambling (integers little-endian):
//   0..3    not read (pentaro-pack writes the tag "P+pk")
//   4..7    uncompressed size, signed 32-bit
//   8..11   not read (pentaro-pack writes the CRC-32 of the contents)
//   12..15  MS-DOS date-time (date in the high 16 bits), applied as local time
//   16..46  file name: one length byte (0 to 30), then that many bytes, then padding
//   47..    one zlib stream (RFC 1950) holding the contents
// Stored form: stored[i] = plain[i] + K[i mod 50] (mod 256), K = BuildPayloadKeyStream().
#include "toolkit/exception.h"
#include "toolkit/inflate.h"
#include "toolkit/resource.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One loaded payload item. Contents: the file's bytes (any values); FileName: the bare
// name under which it is written into the install folder; FileDate: MS-DOS date-time.
struct tInstItem {
    std::string Contents;
    std::string FileName;
    std::int32_t FileDate = 0;
};

// The payload resources in install order, comma-separated. Resources are stored under
// the upper-case names; lookups ignore case.
inline constexpr char PayloadCatalogue[] =
    "rs_cmd,rs_exe,rs_kdb1,rs_kdb2,rs_hlp,rs_icon,rs_kdbv4,rs_kdbv4add,rs_readme,rs_spool32";

// The names of PayloadCatalogue, in install order.
std::vector<std::string> CatalogueNames();

inline constexpr std::size_t PayloadKeyLength = 50;
inline constexpr std::size_t PayloadHeaderSize = 47;
inline constexpr std::size_t PayloadNameOffset = 16;
inline constexpr std::size_t PayloadMaxNameLength = 30;

// The state of the program's pseudo-random generator (the runtime's 32-bit linear
// congruential generator). BuildPayloadKeyStream sets it; nothing else may draw from it
// while a key is being built.
extern std::uint32_t RandSeed;

// Advances RandSeed (state * 134775813 + 1, mod 2^32) and returns the high 32 bits of
// state * range, a value in 0 .. range - 1. range must be positive.
int Random(int range);

// The zlib wrapper's errors (toolkit/inflate.h): EDecompressionError, "Error", for a body
// that is not one valid zlib stream.
using EZlibError = tk::EZlibError;
using EDecompressionError = tk::EDecompressionError;

// An item too large for the memory this process can get (the run holds every item at
// once, and a 32-bit process has 2 GiB of addresses). Its message is "Not enough memory
// to install Pentaro.".
class EOutOfMemory : public tk::Exception {
public:
    EOutOfMemory();
};

// A resource that is missing or cannot be loaded: "Resource %s not found", the name as
// the caller gave it.
using EResNotFound = tk::EResNotFound;

// The 50-byte key stream: sets RandSeed to PayloadSeed and draws Random(256) fifty times.
// Leaves RandSeed at the state after the fiftieth draw.
std::string BuildPayloadKeyStream();

// In place: buffer[i] -= key[i mod key.size()] (mod 256) for i < length. Does nothing for
// an empty key or a length of 0.
void UnscrambleBytes(const std::string& key, char* buffer, std::size_t length);

// The inverse of UnscrambleBytes (buffer[i] += key[i mod key.size()]), for the packer.
void ScrambleBytes(const std::string& key, char* buffer, std::size_t length);

using tk::InflateBuffer;

// True when `name` is a bare Windows file name that stays inside the folder it is
// appended to: not empty; no path separator, drive colon or other character Windows
// forbids (<>:"/\|?* and control characters); not ending in a dot or a blank (Windows
// drops those, which also rules out "." and ".."); not a reserved device name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$), with or without an extension.
bool IsBareFileName(std::string_view name);

// `name` as Windows compares file names, which ignores case: letters in upper case, the
// ASCII ones and the accented ones of the Western code page 1252 ("readme.txt" and
// "README.TXT", "été" and "ÉTÉ" give the same key). Where another code page pairs
// its letters differently this may join two names that Windows keeps apart, never the
// other way round.
std::string FileNameKey(std::string_view name);

// The load errors of items that would land in the same file as an earlier item of the
// catalogue (`catalogue`: the comma-separated resource names the items were loaded from,
// in the same order): one line "\r\nError Reading resource item <name>, Filename <file> is
// also the file name of <earlier name>" for each such later item; empty when all file
// names differ (FileNameKey). Items with an empty FileName are left out: they are read
// errors of their own.
std::string DuplicateFileNameLines(const std::string& catalogue,
                                   const std::vector<tInstItem>& items);

// The loader's work after the resource has been copied: unscrambles `image` (the stored
// resource) in place with `key`, then fills `item`:
//   FileName is cleared first; FileName and FileDate take the header's values; Contents
//   takes the inflated body.
// A malformed item loads with an empty Contents, which the installation run reports as
// a read error; the image is never read past its end:
//   shorter than the 47-byte header (FileName empty, FileDate untouched); name length
//   above 30 or a name that is not a bare file name, empty included (FileName empty);
//   a negative stated size; a body that inflates to more or fewer bytes than stated.
// Raises EDecompressionError when the body is not a valid zlib stream, EOutOfMemory when
// the stated size or the inflated body cannot be held in memory; FileName and FileDate
// then hold the header's values and Contents is empty.
void ReadPayloadImage(const std::string& key, std::string& image, tInstItem& item);

// The stored bytes of one item, wherever they are kept, read piece by piece.
class StoredBytes {
public:
    virtual ~StoredBytes() = default;
    virtual std::size_t Size() const = 0;
    // Copies the `n` bytes at `offset` (within Size()) to `out`.
    virtual void Read(std::size_t offset, char* out, std::size_t n) noexcept = 0;
};

// Stored bytes held in memory (read-only).
class StoredBytesInMemory : public StoredBytes {
public:
    explicit StoredBytesInMemory(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Size() const override { return bytes_.size(); }
    void Read(std::size_t offset, char* out, std::size_t n) noexcept override;

private:
    std::string_view bytes_;
};

// The same for the stored resource where it lies (not changed): the header is
// unscrambled into a copy of its own, the body piece by piece as inflate takes it, and
// Contents is inflated straight into its storage of the stated size. Gives the same
// item, and raises in the same cases, as ReadPayloadImage.
void ReadStoredPayload(const std::string& key, StoredBytes& stored, tInstItem& item);
void ReadStoredPayload(const std::string& key, std::string_view stored, tInstItem& item);

// Loads the payload item stored in the executable's RCDATA resource `name` (any case)
// into `item`, as ReadPayloadImage describes. FileName is cleared before anything else.
// Raises EResNotFound (FileDate and Contents then untouched), EDecompressionError or
// EOutOfMemory.
void LoadPayloadItem(const std::string& name, tInstItem& item);

// The items stored in the RCDATA resources `names`, one per name in the same order, each
// loaded as LoadPayloadItem loads it, several at once on a processor with more than one
// core. Raises what LoadPayloadItem raises for the first name in order that raises, as
// loading them one after another would.
std::vector<tInstItem> LoadPayloadItems(const std::vector<std::string>& names);
