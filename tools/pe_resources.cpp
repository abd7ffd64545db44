#include "tools/pe_resources.h"

#include "toolkit/format.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kRcData = 10;
// A resource directory holds at most 2 x 65535 entries a level; a hostile file can
// point every entry at the same subdirectory. The installer carries a dozen.
constexpr std::size_t kMaxResources = 4096;

class Reader {
public:
    explicit Reader(std::string_view file) : file_(file) {}

    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= file_.size() && length <= file_.size() - offset;
    }
    std::uint16_t U16(std::uint64_t offset, const char* what) const {
        Need(offset, 2, what);
        return static_cast<std::uint16_t>(Byte(offset) | Byte(offset + 1) << 8);
    }
    std::uint32_t U32(std::uint64_t offset, const char* what) const {
        Need(offset, 4, what);
        return static_cast<std::uint32_t>(Byte(offset)) | std::uint32_t{Byte(offset + 1)} << 8 |
               std::uint32_t{Byte(offset + 2)} << 16 | std::uint32_t{Byte(offset + 3)} << 24;
    }
    void Need(std::uint64_t offset, std::uint64_t length, const char* what) const {
        if (!Has(offset, length))
            throw EPeError(tk::Format("truncated or damaged file: %s lies outside it", what));
    }
    std::string_view Slice(std::uint64_t offset, std::uint64_t length) const {
        return file_.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }

private:
    unsigned Byte(std::uint64_t offset) const {
        return static_cast<unsigned char>(file_[static_cast<std::size_t>(offset)]);
    }
    std::string_view file_;
};

struct Section {
    std::uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
};

struct DataDirectory {
    std::uint32_t Address = 0, Size = 0;
};
constexpr std::size_t kResources = 2, kCertificates = 4;

class Image {
public:
    explicit Image(std::string_view file) : r_(file) {
        if (!r_.Has(0, 64) || file.substr(0, 2) != "MZ")
            throw EPeError("not a Windows executable (no MZ header)");
        const std::uint32_t pe = r_.U32(0x3C, "the PE header offset");
        if (!r_.Has(pe, 24) || file.substr(pe, 4) != std::string_view("PE\0\0", 4))
            throw EPeError("not a Windows PE executable (an MZ file without a PE header)");
        const std::uint16_t sections = r_.U16(pe + 6, "the COFF header");
        const std::uint16_t optionalSize = r_.U16(pe + 20, "the COFF header");
        const std::uint64_t opt = pe + 24;
        const std::uint16_t magic = r_.U16(opt, "the optional header");
        std::uint64_t countAt, dirsAt;
        if (magic == 0x10B) {
            countAt = 92, dirsAt = 96;
        } else if (magic == 0x20B) {
            countAt = 108, dirsAt = 112;
        } else {
            throw EPeError(tk::Format("unknown optional header kind 0x%X", magic));
        }
        const std::uint32_t dirCount = r_.U32(opt + countAt, "the optional header");
        for (std::uint32_t i = 0;
             i < std::min<std::uint32_t>(dirCount, 16) && dirsAt + (i + 1) * 8 <= optionalSize; ++i)
            directories_.push_back({r_.U32(opt + dirsAt + i * 8, "the data directories"),
                                    r_.U32(opt + dirsAt + i * 8 + 4, "the data directories")});
        const std::uint64_t table = opt + optionalSize;
        r_.Need(table, std::uint64_t{sections} * 40, "the section table");
        for (std::uint16_t i = 0; i < sections; ++i) {
            const std::uint64_t s = table + std::uint64_t{i} * 40;
            sections_.push_back({r_.U32(s + 12, "a section"), r_.U32(s + 8, "a section"),
                                 r_.U32(s + 16, "a section"), r_.U32(s + 20, "a section")});
        }
    }

    // Data directory `index` (2 resources, 4 certificates); {0, 0} where the file has none.
    DataDirectory Directory(std::size_t index) const {
        return index < directories_.size() ? directories_[index] : DataDirectory{};
    }
    bool HasResources() const { return ResourceRva() != 0 && Directory(kResources).Size != 0; }
    std::uint32_t ResourceRva() const { return Directory(kResources).Address; }

    // File offset of `length` bytes at `rva`, which must lie within one section's raw data.
    std::uint64_t Offset(std::uint64_t rva, std::uint64_t length, const char* what) const {
        for (const Section& s : sections_) {
            const std::uint64_t size = std::max(s.VirtualSize, s.RawSize);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size) {
                const std::uint64_t delta = rva - s.VirtualAddress;
                if (delta + length > s.RawSize)
                    throw EPeError(
                        tk::Format("truncated or damaged file: %s lies outside its section", what));
                const std::uint64_t offset = std::uint64_t{s.RawOffset} + delta;
                r_.Need(offset, length, what);
                return offset;
            }
        }
        throw EPeError(tk::Format("damaged file: %s lies in no section", what));
    }

    const Reader& R() const { return r_; }

private:
    Reader r_;
    std::vector<Section> sections_;
    std::vector<DataDirectory> directories_;
};

struct Entry {
    std::uint32_t Name;   // high bit: offset of a name string
    std::uint32_t Target; // high bit: offset of a subdirectory
};

// The entries of the resource directory at `offset` bytes into the resource section.
std::vector<Entry> ReadDirectory(const Image& image, std::uint32_t offset) {
    const std::uint64_t rva = std::uint64_t{image.ResourceRva()} + offset;
    const std::uint64_t at = image.Offset(rva, 16, "a resource directory");
    const std::uint32_t count = std::uint32_t{image.R().U16(at + 12, "a resource directory")} +
                                image.R().U16(at + 14, "a resource directory");
    const std::uint64_t entries =
        image.Offset(rva + 16, std::uint64_t{count} * 8, "a resource directory's entries");
    std::vector<Entry> result;
    for (std::uint32_t i = 0; i < count; ++i)
        result.push_back({image.R().U32(entries + i * 8, "a resource entry"),
                          image.R().U32(entries + i * 8 + 4, "a resource entry")});
    return result;
}

std::string ReadName(const Image& image, std::uint32_t offset) {
    const std::uint64_t rva = std::uint64_t{image.ResourceRva()} + offset;
    const std::uint64_t at = image.Offset(rva, 2, "a resource name");
    const std::uint16_t length = image.R().U16(at, "a resource name");
    const std::uint64_t chars = image.Offset(rva + 2, std::uint64_t{length} * 2, "a resource name");
    std::string name;
    for (std::uint16_t i = 0; i < length; ++i) {
        const std::uint16_t c = image.R().U16(chars + std::uint64_t{i} * 2, "a resource name");
        name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return name;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

} // namespace

std::vector<PeResource> ReadRcDataResources(std::string_view file) {
    const Image image(file);
    std::vector<PeResource> result;
    if (!image.HasResources()) return result;
    constexpr std::uint32_t high = 0x80000000u;
    for (const Entry& type : ReadDirectory(image, 0)) {
        if ((type.Name & high) != 0 || type.Name != kRcData || (type.Target & high) == 0) continue;
        for (const Entry& named : ReadDirectory(image, type.Target & ~high)) {
            if ((named.Name & high) == 0 || (named.Target & high) == 0) continue;
            const std::vector<Entry> languages = ReadDirectory(image, named.Target & ~high);
            if (languages.empty() || (languages[0].Target & high) != 0) continue;
            if (result.size() == kMaxResources)
                throw EPeError("damaged file: implausibly many resources");
            const std::uint64_t dataEntry = image.Offset(
                std::uint64_t{image.ResourceRva()} + languages[0].Target, 16, "a resource entry");
            const std::uint32_t dataRva = image.R().U32(dataEntry, "a resource entry");
            const std::uint32_t dataSize = image.R().U32(dataEntry + 4, "a resource entry");
            PeResource res;
            res.Name = ReadName(image, named.Name & ~high);
            res.Language = static_cast<std::uint16_t>(languages[0].Name & 0xFFFF);
            res.Data = image.R().Slice(image.Offset(dataRva, dataSize, "resource data"), dataSize);
            result.push_back(std::move(res));
        }
    }
    return result;
}

const PeResource* FindResource(const std::vector<PeResource>& resources, std::string_view name) {
    for (const PeResource& r : resources)
        if (SameName(r.Name, name)) return &r;
    return nullptr;
}

PeCertificateTable ReadCertificateTable(std::string_view file) {
    const Image image(file);
    const DataDirectory table = image.Directory(kCertificates);
    if (table.Size == 0) return {};
    // Its address is a file offset, not an RVA: the table is no part of the mapped image.
    image.R().Need(table.Address, table.Size, "the certificate table");
    if (table.Size < 8) throw EPeError("damaged file: the certificate table is too short");
    // The first WIN_CERTIFICATE: its length (header included), revision 2.0 and type.
    const std::uint32_t length = image.R().U32(table.Address, "the certificate table");
    const std::uint16_t revision = image.R().U16(table.Address + 4, "the certificate table");
    const std::uint16_t type = image.R().U16(table.Address + 6, "the certificate table");
    if (length < 8 || length > table.Size)
        throw EPeError("damaged file: a certificate entry does not fit its table");
    if (revision != 0x0200 || type != 0x0002)
        throw EPeError(tk::Format("the certificate table holds no Authenticode signature "
                                  "(revision 0x%X, type %u)",
                                  revision, type));
    return {table.Address, table.Size};
}
