#pragma once
// The packer's side of the payload format (engine/payload.h): building resource images,
// the manifest that names the product files, and MS-DOS date-times. Portable; used by
// pentaro-pack, pentaro-inspect and the tests.
#include "engine/pe_resources.h"
#include "toolkit/exception.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An error in the packer's input; the message is the one line the user sees.
class EPackError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

// The plain (unscrambled) image of one payload resource: header with the tag "P+pk", the
// size, the CRC-32 of `contents`, `fileDate` and `fileName`, then `contents` deflated as
// one zlib stream at the best level. Deterministic. Raises EPackError when fileName is
// longer than 30 characters or not a bare file name, or contents exceed 2 GiB - 1.
std::string MakePayloadImage(const std::string& fileName, std::int32_t fileDate,
                             const std::string& contents);

// `data` as one zlib stream (window bits 15) at the best level, as the installer inflates
// its payload items and its deflated resources. Deterministic. Raises EPackError naming
// `what` when zlib fails.
std::string DeflateStream(const std::string& data, const std::string& what);

// `plain` scrambled with the payload key stream: the bytes of the stored resource.
std::string ScramblePayloadImage(std::string plain);

// The most memory the items of one payload may take in the installer: the sum of their sizes
// plus the sum of their stored (compressed) sizes. The installer is a 32-bit process with
// 2 GiB of addresses; it holds every item at once before it writes the first, while its own
// image, stored items included, stays mapped, and it needs one more stored copy and room
// for the program, its DLLs and windows. Half of the address space keeps all that clear of
// the limit, also where the free addresses are broken up.
inline constexpr std::uint64_t PayloadMemoryLimit = std::uint64_t{1} << 30;

// Raises EPackError (one line, with the sizes in MiB) when `itemBytes` (the items' sizes)
// plus `storedBytes` (their stored sizes; 0 while they are not yet known) exceed
// PayloadMemoryLimit.
void CheckPayloadMemory(std::uint64_t itemBytes, std::uint64_t storedBytes);

// One line of a manifest: catalogue name, product file (as written), and the DOS
// date-time when the line gives one.
struct ManifestEntry {
    std::string Name;
    std::string File;
    std::optional<std::int32_t> Date;
    int Line = 0;
};

// Parses a manifest. Each non-blank line not starting with '#' reads
//     <catalogue name> <file> [<YYYY-MM-DD>T<HH:MM:SS> | <YYYY-MM-DD> <HH:MM:SS>]
// fields separated by blanks or tabs; a file name holding blanks is written in double
// quotes. Catalogue names are letters, digits and '_' (not starting with a digit) and
// unique regardless of case; so are the files' own names (the part after the last '/'),
// under which the installer writes them into one folder (FileNameKey). Raises EPackError
// "<source>:<line>: <problem>".
std::vector<ManifestEntry> ParseManifest(const std::string& text, const std::string& source);

// The MS-DOS date-time of a broken-down local time (seconds rounded down to even).
// Raises EPackError for a time outside 1980-01-01 .. 2107-12-31 or an invalid field.
std::int32_t DosDateTime(const std::tm& local);

// "YYYY-MM-DDTHH:MM:SS" as a broken-down time; nullopt when malformed.
std::optional<std::tm> ParseIsoDateTime(std::string_view text);

// A DOS date-time as local ISO text "YYYY-MM-DDTHH:MM:SS" (fields shown as stored, so an
// invalid stamp such as month 0 shows as such).
std::string FormatDosDateTime(std::int32_t dosDate);

// The broken-down local time of a DOS date-time (tm_isdst = -1, for mktime).
std::tm DosDateTimeToTm(std::int32_t dosDate);

// One product file as the packer takes it: everything its packed image depends on.
struct PackSource {
    std::string Name;     // catalogue name
    std::string FileName; // the name the installer writes it under
    std::int32_t Date = 0; // the DOS date-time packed with it
    std::uint64_t Size = 0;
    std::uint32_t Crc = 0; // CRC-32 of its bytes (ContentsCrc32)
};

std::uint32_t ContentsCrc32(const std::string& data);

// A text that changes whenever the packed payload would: `packer` (the packer's own
// identity and options), then each file's catalogue name, file name, packed date, size
// and CRC-32. Not the files' modification times: a file replaced by a copy that kept its
// old date repacks, one touched without a change does not.
std::string PackFingerprint(const std::string& packer, const std::vector<PackSource>& sources);


// Raises EPackError when the installer could not install `entries` (a manifest parsed
// from `source`) as they are given, naming the first entry at fault
// ("<source>:<line>: <problem>"):
//   - an entry whose catalogue name the installer's catalogue lacks (never loaded, so
//     never installed);
//   - a file in a folder ("sub/nested.dat"): the installer writes every file into the
//     install folder itself, under its bare name; allowed only with `filesInSubfolders`;
//   - a catalogue item that carries a file the installer names under another name: the
//     program the desktop shortcut starts, the shortcuts' icon, the program dosbox.conf
//     starts, the print utility (what the finish makes would point at nothing);
//   - a file under a name the installer keeps for something else: the sibling product's
//     program and the maker's menu program (which decide the finish), the uninstaller, its
//     record and dosbox.conf (which the run writes over it);
// and ("<source>: <problem>") when catalogue items are missing.
void CheckInstallable(const std::vector<ManifestEntry>& entries, const std::string& source,
                      bool filesInSubfolders);

// The names of the RCDATA resources that are payload items (unscrambled, they begin with
// the packer's tag) but not items of the catalogue: the installer never installs them.
std::vector<std::string> ItemsOutsideCatalogue(const std::vector<PeResource>& resources);

// Why a plain image (already unscrambled) does not load, in words; empty when it loads.
// Does the checks of ReadPayloadImage and, for images tagged "P+pk", the CRC-32.
std::string DiagnosePayloadImage(const std::string& plain);
