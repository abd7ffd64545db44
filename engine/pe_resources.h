#pragma once
// The resources of a Windows executable read from its bytes, without Windows: the PE
// headers, the section table, the three-level resource directory and where its
// Authenticode signature lies; and the same executable with its resource section made
// anew (RebuildResources), from which the installer makes its uninstaller.
// Portable; every offset is checked against the file, so a truncated or hostile file
// gives EPeError, never a read outside it.
#include "toolkit/exception.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Not a PE file, or a damaged one, or one whose layout RebuildResources cannot rewrite;
// the message says what is wrong in one line.
class EPeError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

// The bytes of an executable, wherever they are kept: the installer reads its own file
// piece by piece, so that a payload of hundreds of megabytes is never read or held to
// make the uninstaller.
class PeFileBytes {
public:
    virtual ~PeFileBytes() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies the `n` bytes at `offset` (within Size()) to `out`, or raises.
    virtual void Read(std::uint64_t offset, char* out, std::size_t n) const = 0;
};

// An executable held in memory.
class PeFileInMemory : public PeFileBytes {
public:
    explicit PeFileInMemory(std::string_view file) : file_(file) {}
    std::uint64_t Size() const override { return file_.size(); }
    void Read(std::uint64_t offset, char* out, std::size_t n) const override;

private:
    std::string_view file_;
};

struct PeResource {
    std::string Name; // as stored, UTF-16 reduced to 8 bits ('?' beyond ASCII)
    std::uint16_t Language = 0;
    std::string_view Data; // points into the file given to ReadRcDataResources
};

// The RCDATA (type 10) resources with string names, in directory order, one per name
// (the first language). Numbered RCDATA resources are skipped. An executable without a
// resource directory gives an empty list. Raises EPeError.
std::vector<PeResource> ReadRcDataResources(std::string_view file);

// Every resource of the file, in directory order: its type and name as resource scripts
// write them ("#10" for a number, else the name reduced to 8 bits), its language and its
// data's size. An executable without a resource directory gives an empty list. Raises
// EPeError.
struct PeResourceEntry {
    std::string Type, Name;
    std::uint16_t Language = 0;
    std::uint32_t Size = 0;
};
std::vector<PeResourceEntry> ListResources(std::string_view file);

// The resource among `resources` whose name equals `name` regardless of ASCII case, as
// FindResourceA matches; nullptr when there is none.
const PeResource* FindResource(const std::vector<PeResource>& resources, std::string_view name);

// The bytes of the RCDATA resource `name` (any case; its first language); `found` false,
// and the result empty, when there is none. Raises EPeError.
std::string ReadRcData(const PeFileBytes& file, std::string_view name, bool& found);

// The certificate table (the security data directory): where the file's Authenticode
// signature lies, appended after the image. Size 0: the file is not signed. Whether the
// signature is valid is not checked here (osslsigncode verify does that). Raises EPeError
// when the table lies outside the file or its first entry is no PKCS #7 signature.
struct PeCertificateTable {
    std::uint32_t Offset = 0, Size = 0;
};
PeCertificateTable ReadCertificateTable(std::string_view file);
PeCertificateTable ReadCertificateTable(const PeFileBytes& file);

// The checksum field of `file`'s optional header, as stored. Raises EPeError.
std::uint32_t StoredChecksum(std::string_view file);

// `image`, an unsigned PE file, signed with the certificate table `table` as signing tools
// sign it: padded with zeros to a multiple of 8 bytes, the table appended, the security
// directory pointing at it and the checksum field set to `checksum`. Raises EPeError for
// a file without a security directory or one that is signed already.
std::string AppendCertificateTable(std::string image, std::string_view table,
                                   std::uint32_t checksum);

// An RCDATA resource that RebuildResources puts in: a string name (stored as given, so
// upper case as resource compilers store names), language neutral.
struct RcDataItem {
    std::string Name;
    std::string Data;
};

// `file` with its resource section made anew: its resources without the RCDATA ones
// named in `drop` (any case), with `add` (replacing RCDATA resources of the same names),
// and without a certificate table or anything else after the last section.
// The section is laid out in one canonical way, which depends only on the resources it
// holds: every directory level sorted (string names first, by their UTF-16 code units,
// then numbers), directory tables breadth first, then the data entries, the names and
// the data, each datum on an 8-byte boundary, the smallest first (ties in directory
// order: what a program reads as it starts lies ahead of large items); table time
// stamps and versions 0. The
// section that follows it, the base relocations (nothing else may), is moved to follow
// it again; the section table, the data directories, SizeOfImage,
// SizeOfInitializedData and the checksum are set to match. So the result is the same
// whatever resources `drop` took out, and a second rebuild with the same arguments
// changes nothing.
// Raises EPeError for a damaged file, one without a resource section of its own, and one
// laid out in a way this cannot move without relinking (another section after the
// resources, a data directory pointing into them, a symbol table).
std::string RebuildResources(const PeFileBytes& file, const std::vector<std::string>& drop,
                             const std::vector<RcDataItem>& add = {});

// The PE checksum of `file` (the 16-bit one's-complement sum of its words, the checksum
// field read as 0, plus the file's length), as the loader of a driver checks it and
// signing tools report it. Raises EPeError for a file without PE headers.
std::uint32_t PeChecksum(std::string_view file);
