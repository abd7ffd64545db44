#include "engine/pe_resources.h"

#include "toolkit/format.h"

#include <algorithm>
#include <cstring>

void PeFileInMemory::Read(std::uint64_t offset, char* out, std::size_t n) const {
    if (offset > file_.size() || n > file_.size() - offset)
        throw EPeError("truncated file: a read lies outside it");
    if (n != 0) std::memcpy(out, file_.data() + offset, n);
}

namespace {

constexpr std::uint32_t kRcData = 10;
constexpr std::uint32_t kHigh = 0x80000000u;
// A resource directory holds at most 2 x 65535 entries a level, and a hostile file can
// point every entry at the same subdirectory: the entries read in all are counted. The
// installer carries a few dozen.
constexpr std::size_t kMaxEntries = 16384;

[[noreturn]] void Fail(const char* what) {
    throw EPeError(what);
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) & ~(alignment - 1);
}

void Put16(std::string& s, std::uint32_t at, std::uint32_t v) {
    s[at] = static_cast<char>(v), s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::uint32_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>(v >> (8 * i));
}

class Reader {
public:
    // An executable is less than 4 GB (its header fields are 32-bit): a larger file reads as
    // its first 4 GB.
    explicit Reader(const PeFileBytes& file)
        : file_(file),
          size_(static_cast<std::uint32_t>(std::min<std::uint64_t>(file.Size(), 0xFFFFFFFFu))) {}

    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    // A field of the headers or the resource directory.
    std::uint16_t U16(std::uint32_t offset) const {
        const unsigned char* b = Bytes(offset, 2);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }
    std::uint32_t U32(std::uint32_t offset) const {
        const unsigned char* b = Bytes(offset, 4);
        return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
               std::uint32_t{b[3]} << 24;
    }
    void Need(std::uint64_t offset, std::uint64_t length, const char* what) const {
        if (!Has(offset, length))
            throw EPeError(tk::Format("truncated or damaged file: %s lies outside it", what));
    }
    // Appends the `length` bytes at `offset` to `out`.
    void AppendTo(std::string& out, std::uint32_t offset, std::uint32_t length,
                  const char* what) const {
        Need(offset, length, what);
        const std::size_t at = out.size();
        out.resize(at + length);
        if (length != 0) file_.Read(offset, out.data() + at, length);
    }
    std::string Slice(std::uint32_t offset, std::uint32_t length, const char* what) const {
        std::string bytes;
        AppendTo(bytes, offset, length, what);
        return bytes;
    }
    const PeFileBytes& File() const { return file_; }

private:
    // Fields are read through a window of the file, so that a file read piece by piece is
    // asked a few times for the headers and the directories, not once for every field.
    const unsigned char* Bytes(std::uint32_t offset, std::size_t n) const {
        Need(offset, n, "a field");
        if (offset < windowAt_ || offset + n > windowAt_ + window_.size()) {
            window_.clear();
            windowAt_ = offset & ~std::uint32_t{4095};
            window_.resize(static_cast<std::size_t>(std::min(kWindow, size_ - windowAt_)));
            file_.Read(windowAt_, window_.data(), window_.size());
        }
        return reinterpret_cast<const unsigned char*>(window_.data()) + (offset - windowAt_);
    }

    static constexpr std::uint32_t kWindow = 65536;
    const PeFileBytes& file_;
    std::uint32_t size_;
    mutable std::string window_;
    mutable std::uint32_t windowAt_ = 0;
};

struct Section {
    std::uint32_t VirtualAddress, VirtualSize, RawSize, RawOffset;
    std::uint32_t Characteristics;
    std::uint32_t At; // where its header lies in the file
    std::uint32_t Extent() const { return std::max(VirtualSize, RawSize); }
};

struct DataDirectory {
    std::uint32_t Address = 0, Size = 0;
};
constexpr std::size_t kResources = 2, kCertificates = 4, kRelocations = 5;
constexpr std::uint32_t kInitializedData = 0x40;

// Offsets into the optional header, the same in PE32 and PE32+.
constexpr std::uint32_t kSizeOfInitializedData = 8, kSectionAlignment = 32, kFileAlignment = 36,
                        kSizeOfImage = 56, kCheckSum = 64;

class Image {
public:
    explicit Image(const PeFileBytes& file) : r_(file) {
        if (!r_.Has(0, 64) || r_.U16(0) != 0x5A4D) Fail("not a Windows executable (no MZ header)");
        pe_ = r_.U32(0x3C);
        if (!r_.Has(pe_, 24) || r_.U32(pe_) != 0x4550)
            Fail("not a Windows PE executable (an MZ file without a PE header)");
        const std::uint16_t sections = r_.U16(pe_ + 6);
        const std::uint16_t optionalSize = r_.U16(pe_ + 20);
        opt_ = pe_ + 24;
        const std::uint16_t magic = r_.U16(opt_);
        std::uint32_t countAt, dirsAt;
        if (magic == 0x10B) {
            countAt = 92, dirsAt = 96;
        } else if (magic == 0x20B) {
            countAt = 108, dirsAt = 112;
        } else {
            Fail("unknown optional header kind");
        }
        const std::uint32_t dirCount = r_.U32(opt_ + countAt);
        dirsAt_ = opt_ + dirsAt;
        while (directoryCount_ < std::min<std::uint32_t>(dirCount, 16) &&
               dirsAt + (directoryCount_ + 1) * 8 <= optionalSize) {
            const std::uint32_t at = dirsAt_ + static_cast<std::uint32_t>(directoryCount_) * 8;
            directories_[directoryCount_++] = {r_.U32(at), r_.U32(at + 4)};
        }
        optionalSize_ = optionalSize;
        table_ = opt_ + optionalSize;
        r_.Need(table_, std::uint32_t{sections} * 40, "the section table");
        sections_.resize(sections);
        for (std::uint16_t i = 0; i < sections; ++i) {
            const std::uint32_t s = table_ + std::uint32_t{i} * 40;
            sections_[i] = {r_.U32(s + 12), r_.U32(s + 8),  r_.U32(s + 16),
                            r_.U32(s + 20), r_.U32(s + 36), s};
        }
    }

    // Data directory `index` (2 resources, 4 certificates, 5 relocations); {0, 0} where
    // the file has none.
    DataDirectory Directory(std::size_t index) const {
        return index < directoryCount_ ? directories_[index] : DataDirectory{};
    }
    std::size_t DirectoryCount() const { return directoryCount_; }
    // Where the entry of data directory `index` (< DirectoryCount()) lies in the file.
    std::uint32_t DirectoryAt(std::size_t index) const { return dirsAt_ + index * 8; }
    bool HasResources() const { return ResourceRva() != 0 && Directory(kResources).Size != 0; }
    std::uint32_t ResourceRva() const { return Directory(kResources).Address; }
    const std::vector<Section>& Sections() const { return sections_; }
    // Where the optional header's field at `offset` lies in the file.
    std::uint32_t OptionalAt(std::uint32_t offset) const { return opt_ + offset; }
    std::uint32_t CoffAt(std::uint32_t offset) const { return pe_ + 4 + offset; }
    std::uint32_t HeadersEnd() const { return table_ + sections_.size() * 40; }
    // True when the optional header holds every field up to the data directories.
    bool HasWholeOptionalHeader() const { return dirsAt_ <= opt_ + optionalSize_; }

    // File offset of `length` bytes at `rva`, which must lie within one section's raw data.
    std::uint32_t Offset(std::uint32_t rva, std::uint32_t length, const char* what) const {
        for (const Section& s : sections_) {
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < s.Extent()) {
                const std::uint32_t delta = rva - s.VirtualAddress;
                if (std::uint64_t{delta} + length > s.RawSize)
                    throw EPeError(
                        tk::Format("truncated or damaged file: %s lies outside its section", what));
                const std::uint64_t offset = std::uint64_t{s.RawOffset} + delta;
                r_.Need(offset, length, what);
                return static_cast<std::uint32_t>(offset);
            }
        }
        throw EPeError(tk::Format("damaged file: %s lies in no section", what));
    }

    const Reader& R() const { return r_; }

private:
    Reader r_;
    std::uint32_t pe_ = 0, opt_ = 0, dirsAt_ = 0, table_ = 0, optionalSize_ = 0;
    std::vector<Section> sections_;
    DataDirectory directories_[16];
    std::size_t directoryCount_ = 0;
};

struct Entry {
    std::uint32_t Name;   // high bit: offset of a name string
    std::uint32_t Target; // high bit: offset of a subdirectory
};

// The entries of the resource directory at `offset` bytes into the resource section,
// counted against `budget`.
std::vector<Entry> ReadDirectory(const Image& image, std::uint32_t offset, std::size_t& budget) {
    const std::uint32_t rva = std::uint32_t{image.ResourceRva()} + offset;
    const std::uint32_t at = image.Offset(rva, 16, "a resource directory");
    const std::uint32_t count = std::uint32_t{image.R().U16(at + 12)} + image.R().U16(at + 14);
    if (count > budget) Fail("damaged file: implausibly many resources");
    budget -= count;
    const std::uint32_t entries =
        image.Offset(rva + 16, std::uint32_t{count} * 8, "a resource directory's entries");
    std::vector<Entry> result(count);
    for (std::uint32_t i = 0; i < count; ++i)
        result[i] = {image.R().U32(entries + i * 8), image.R().U32(entries + i * 8 + 4)};
    return result;
}

// A type, name or language as one sort key: a string name as a 0 and its UTF-16 code units
// (high byte first), a number as a 1 and its four bytes (high byte first). Compared as
// strings, keys fall in the order of a directory level: string names first, by their code
// units, then numbers.
std::string NameKey(std::string_view name) {
    std::string key(1, '\0');
    for (char c : name)
        key += '\0', key += c;
    return key;
}

std::string NumberKey(std::uint32_t number) {
    std::string key(1, '\1');
    for (int shift = 24; shift >= 0; shift -= 8)
        key += static_cast<char>(number >> shift);
    return key;
}

std::uint32_t KeyNumber(const std::string& key) {
    std::uint32_t number = 0;
    for (std::size_t i = 1; i < key.size(); ++i)
        number = number << 8 | static_cast<unsigned char>(key[i]);
    return number;
}

std::string KeyOf(const Image& image, std::uint32_t field) {
    if ((field & kHigh) == 0) return NumberKey(field);
    const std::uint32_t rva = std::uint32_t{image.ResourceRva()} + (field & ~kHigh);
    const std::uint32_t at = image.Offset(rva, 2, "a resource name");
    const std::uint16_t length = image.R().U16(at);
    const std::uint32_t chars = image.Offset(rva + 2, std::uint32_t{length} * 2, "a resource name");
    std::string key(1, '\0');
    for (std::uint16_t i = 0; i < length; ++i) {
        const std::uint16_t c = image.R().U16(chars + std::uint32_t{i} * 2);
        key += static_cast<char>(c >> 8), key += static_cast<char>(c);
    }
    return key;
}

// The name of a string key reduced to 8 bits ('?' beyond ASCII).
std::string Narrow(const std::string& key) {
    std::string text;
    for (std::size_t i = 1; i + 1 < key.size(); i += 2)
        text += key[i] == 0 && static_cast<unsigned char>(key[i + 1]) < 0x80 ? key[i + 1] : '?';
    return text;
}

// Resource names match as FindResourceA matches the ASCII ones, regardless of case; only
// ASCII, so that the build and any system the installer runs on find the same resources.
char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool SameAsciiName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// One resource: its type, name and language (keys), and where its data lies in the file
// (or, for one put in, the data itself).
struct Leaf {
    std::string Type, Name, Language;
    std::uint32_t CodePage = 0, Size = 0;
    std::uint32_t Offset = 0;
    bool Added = false;
    std::string Data; // of one put in

    // An RCDATA resource named `name`, regardless of ASCII case.
    bool IsRcDataNamed(std::string_view name) const {
        if (Type != NumberKey(kRcData) || Name.size() != 1 + 2 * name.size() || Name[0] != 0)
            return false;
        for (std::size_t i = 0; i < name.size(); ++i)
            if (Name[1 + 2 * i] != 0 || AsciiUpper(Name[2 + 2 * i]) != AsciiUpper(name[i]))
                return false;
        return true;
    }
};

std::uint32_t Subdirectory(const Entry& entry) {
    if ((entry.Target & kHigh) == 0)
        Fail("damaged file: a resource type or name without a directory");
    return entry.Target & ~kHigh;
}

// Every resource of the file, in directory order (the data not read).
[[gnu::noinline]] std::vector<Leaf> ReadLeaves(const Image& image) {
    std::vector<Leaf> leaves;
    if (!image.HasResources()) return leaves;
    std::size_t budget = kMaxEntries;
    for (const Entry& type : ReadDirectory(image, 0, budget)) {
        for (const Entry& name : ReadDirectory(image, Subdirectory(type), budget)) {
            for (const Entry& language : ReadDirectory(image, Subdirectory(name), budget)) {
                if ((language.Target & kHigh) != 0)
                    Fail("damaged file: resource directories nest deeper than three");
                const std::uint32_t entry = image.Offset(
                    std::uint32_t{image.ResourceRva()} + language.Target, 16, "a resource entry");
                Leaf& leaf = leaves.emplace_back();
                leaf.Type = KeyOf(image, type.Name);
                leaf.Name = KeyOf(image, name.Name);
                leaf.Language = KeyOf(image, language.Name);
                const std::uint32_t rva = image.R().U32(entry);
                leaf.Size = image.R().U32(entry + 4);
                leaf.CodePage = image.R().U32(entry + 8);
                leaf.Offset = image.Offset(rva, leaf.Size, "resource data");
            }
        }
    }
    return leaves;
}

// Appends to `out` the resource section's bytes for `leaves` (sorted by type, name and
// language; the data of those from the file read through `r` straight into `out`), laid out
// as RebuildResources describes, for the section at `rva`. Returns the section's size.
std::size_t LayOutResources(const std::vector<const Leaf*>& leaves, std::uint32_t rva,
                            const Reader& r, std::string& out) {
    const std::size_t n = leaves.size();
    auto newType = [&](std::size_t i) { return i == 0 || leaves[i]->Type != leaves[i - 1]->Type; };
    auto newName = [&](std::size_t i) {
        return newType(i) || leaves[i]->Name != leaves[i - 1]->Name;
    };
    auto text = [](const std::string& key) { return key[0] == 0 ? key.size() + 1 : 0; };
    std::size_t types = 0, names = 0, strings = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (newType(i)) ++types, strings += text(leaves[i]->Type);
        if (newName(i)) ++names, strings += text(leaves[i]->Name);
        strings += text(leaves[i]->Language);
    }
    const std::size_t entriesAt = 16 * (1 + types + names) + 8 * (types + names + n);
    std::size_t stringAt = entriesAt + 16 * n;
    // The data smallest first (ties in directory order): what a program reads as it starts
    // (manifest, icons, version, window layouts) lies together right after the directory,
    // ahead of the large items, rather than megabytes away behind them.
    std::vector<std::size_t> bySize(n), dataAt(n);
    for (std::size_t i = 0; i < n; ++i) { // insertion, stable: a few dozen
        std::size_t at = i;
        for (; at > 0 && leaves[i]->Size < leaves[bySize[at - 1]]->Size; --at)
            bySize[at] = bySize[at - 1];
        bySize[at] = i;
    }
    const std::size_t dataBegin = AlignUp(stringAt + strings, 8);
    std::uint64_t end = dataBegin;
    for (std::size_t i : bySize) {
        end = AlignUp(end, 8);
        dataAt[i] = static_cast<std::size_t>(end);
        end += leaves[i]->Size;
    }
    if (end > 0x7FFFFFFF || rva + end > 0xFFFFFFFFu) Fail("the resources do not fit one section");

    // The directory, the entries and the names first; the data then follow in order.
    std::string dir(dataBegin, '\0');
    // Appends an entry for `key` to the table at `table`, named ones counted at 12, numbered
    // ones at 14 (sorted, the named come first).
    auto add = [&](std::size_t table, const std::string& key, std::uint32_t target) {
        const std::size_t named = static_cast<unsigned char>(dir[table + 12]) |
                                  static_cast<unsigned char>(dir[table + 13]) << 8;
        const std::size_t numbered = static_cast<unsigned char>(dir[table + 14]) |
                                     static_cast<unsigned char>(dir[table + 15]) << 8;
        const std::size_t at = table + 16 + 8 * (named + numbered);
        std::uint32_t field = KeyNumber(key);
        if (key[0] == 0) {
            field = kHigh | static_cast<std::uint32_t>(stringAt);
            Put16(dir, stringAt, static_cast<std::uint32_t>(key.size() / 2));
            for (std::size_t c = 1; c + 1 < key.size(); c += 2)
                Put16(dir, stringAt + 1 + c,
                      static_cast<unsigned char>(key[c]) << 8 |
                          static_cast<unsigned char>(key[c + 1]));
            stringAt += text(key);
            Put16(dir, table + 12, static_cast<std::uint32_t>(named + 1));
        } else {
            Put16(dir, table + 14, static_cast<std::uint32_t>(numbered + 1));
        }
        Put32(dir, at, field);
        Put32(dir, at + 4, target);
    };
    // Breadth first: the root, the type tables, the name tables (of languages); a table's
    // size is known once its entries are counted ahead.
    std::size_t typeAt = 16 + 8 * types, nameAt = typeAt + 16 * types + 8 * names;
    std::size_t type = 0, name = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (newType(i)) {
            type = typeAt;
            std::size_t count = 1;
            for (std::size_t j = i + 1; j < n && !newType(j); ++j)
                count += newName(j);
            typeAt += 16 + 8 * count;
            add(0, leaves[i]->Type, kHigh | static_cast<std::uint32_t>(type));
        }
        if (newName(i)) {
            name = nameAt;
            std::size_t count = 1;
            for (std::size_t j = i + 1; j < n && !newName(j); ++j)
                ++count;
            nameAt += 16 + 8 * count;
            add(type, leaves[i]->Name, kHigh | static_cast<std::uint32_t>(name));
        }
        const std::size_t entry = entriesAt + 16 * i;
        add(name, leaves[i]->Language, static_cast<std::uint32_t>(entry));
        Put32(dir, entry, rva + static_cast<std::uint32_t>(dataAt[i]));
        Put32(dir, entry + 4, leaves[i]->Size);
        Put32(dir, entry + 8, leaves[i]->CodePage);
    }
    const std::size_t base = out.size();
    out += dir;
    for (std::size_t i : bySize) {
        out.resize(base + dataAt[i], '\0');
        if (leaves[i]->Added)
            out += leaves[i]->Data;
        else
            r.AppendTo(out, leaves[i]->Offset, leaves[i]->Size, "resource data");
    }
    return out.size() - base;
}

// The order of the resources: by type, then name, then language.
bool Before(const Leaf& a, const Leaf& b) {
    return a.Type != b.Type   ? a.Type < b.Type
           : a.Name != b.Name ? a.Name < b.Name
                              : a.Language < b.Language;
}

bool IsPowerOfTwo(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

} // namespace

std::vector<PeResource> ReadRcDataResources(std::string_view file) {
    const PeFileInMemory bytes(file);
    const Image image(bytes);
    std::vector<PeResource> result;
    const std::vector<Leaf> leaves = ReadLeaves(image);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const Leaf& leaf = leaves[i];
        if (leaf.Type != NumberKey(kRcData) || leaf.Name[0] != 0 ||
            (i > 0 && leaves[i - 1].Type == leaf.Type && leaves[i - 1].Name == leaf.Name))
            continue; // not a named RCDATA resource, or a later language of one
        PeResource res;
        res.Name = Narrow(leaf.Name);
        res.Language = static_cast<std::uint16_t>(KeyNumber(leaf.Language));
        res.Data = file.substr(static_cast<std::size_t>(leaf.Offset), leaf.Size);
        result.push_back(std::move(res));
    }
    return result;
}

std::vector<PeResourceEntry> ListResources(std::string_view file) {
    const PeFileInMemory bytes(file);
    const Image image(bytes);
    const auto text = [](const std::string& key) {
        return key[0] == 0 ? Narrow(key) : "#" + std::to_string(KeyNumber(key));
    };
    std::vector<PeResourceEntry> result;
    for (const Leaf& leaf : ReadLeaves(image))
        result.push_back({text(leaf.Type), text(leaf.Name),
                          static_cast<std::uint16_t>(KeyNumber(leaf.Language)), leaf.Size});
    return result;
}

const PeResource* FindResource(const std::vector<PeResource>& resources, std::string_view name) {
    for (const PeResource& r : resources)
        if (SameAsciiName(r.Name, name)) return &r;
    return nullptr;
}

std::string ReadRcData(const PeFileBytes& file, std::string_view name, bool& found) {
    const Image image(file);
    for (const Leaf& leaf : ReadLeaves(image)) {
        if (leaf.IsRcDataNamed(name)) {
            found = true;
            return image.R().Slice(leaf.Offset, leaf.Size, "resource data");
        }
    }
    found = false;
    return {};
}

PeCertificateTable ReadCertificateTable(std::string_view file) {
    return ReadCertificateTable(PeFileInMemory(file));
}

PeCertificateTable ReadCertificateTable(const PeFileBytes& file) {
    const Image image(file);
    const DataDirectory table = image.Directory(kCertificates);
    if (table.Size == 0) return {};
    // Its address is a file offset, not an RVA: the table is no part of the mapped image.
    image.R().Need(table.Address, table.Size, "the certificate table");
    if (table.Size < 8) Fail("damaged file: the certificate table is too short");
    // The first WIN_CERTIFICATE: its length (header included), revision 2.0 and type.
    const std::uint32_t length = image.R().U32(table.Address);
    const std::uint16_t revision = image.R().U16(table.Address + 4);
    const std::uint16_t type = image.R().U16(table.Address + 6);
    if (length < 8 || length > table.Size)
        Fail("damaged file: a certificate entry does not fit its table");
    if (revision != 0x0200 || type != 0x0002)
        Fail("the certificate table holds no Authenticode signature");
    return {table.Address, table.Size};
}

std::string RebuildResources(const PeFileBytes& file, const std::vector<std::string>& drop,
                             const std::vector<RcDataItem>& add) {
    const Image image(file);
    const Reader& r = image.R();
    const std::vector<Section>& sections = image.Sections();
    std::size_t index = 0;
    while (index < sections.size() &&
           !(image.HasResources() && sections[index].VirtualAddress == image.ResourceRva()))
        ++index;
    if (index == sections.size()) Fail("the resources do not begin a section of their own");
    const Section& rsrc = sections[index];
    const std::uint32_t fileAlignment = r.U32(image.OptionalAt(kFileAlignment));
    const std::uint32_t sectionAlignment = r.U32(image.OptionalAt(kSectionAlignment));
    if (!IsPowerOfTwo(fileAlignment) || !IsPowerOfTwo(sectionAlignment) ||
        fileAlignment > 0x10000 || sectionAlignment < fileAlignment)
        Fail("damaged file: implausible section or file alignment");

    // What moves must be movable: the resources' own section, and after it the base
    // relocations only, whose blocks name pages by RVA and hold no address of their own.
    if (!image.HasWholeOptionalHeader()) Fail("damaged file: the optional header is cut short");
    for (std::size_t i = 1; i < sections.size(); ++i)
        if (sections[i].VirtualAddress <
            sections[i - 1].VirtualAddress + AlignUp(sections[i - 1].Extent(), sectionAlignment))
            Fail("damaged file: sections overlap or are out of order");
    if (r.U32(image.CoffAt(8)) != 0)
        Fail("the file carries a symbol table, which would have to move");
    if (rsrc.RawOffset < image.HeadersEnd())
        Fail("damaged file: the resources overlap the headers");
    for (std::size_t i = 0; i < index; ++i)
        if (sections[i].RawSize != 0 &&
            std::uint64_t{sections[i].RawOffset} + sections[i].RawSize > rsrc.RawOffset)
            Fail("a section before the resources lies after them in the file");
    const DataDirectory relocations = image.Directory(kRelocations);
    if (sections.size() > index + 2) Fail("more than one section follows the resources");
    for (std::size_t i = index + 1; i < sections.size(); ++i) {
        const Section& s = sections[i];
        if (relocations.Size == 0 || relocations.Address < s.VirtualAddress ||
            relocations.Address - s.VirtualAddress + std::uint64_t{relocations.Size} > s.Extent())
            Fail("a section other than the base relocations follows the resources");
    }
    for (std::size_t i = 0; i < image.DirectoryCount(); ++i) {
        const DataDirectory d = image.Directory(i);
        const bool moved = i == kRelocations && index + 1 < sections.size();
        if (i != kResources && i != kCertificates && !moved && d.Size != 0 &&
            d.Address >= rsrc.VirtualAddress)
            Fail("a data directory lies among the resources or after them");
    }
    std::vector<Leaf> leaves = ReadLeaves(image);
    for (const RcDataItem& item : add) {
        if (item.Data.size() > 0x7FFFFFFF) Fail("the resources do not fit one section");
        Leaf& leaf = leaves.emplace_back();
        leaf.Type = NumberKey(kRcData);
        leaf.Name = NameKey(item.Name);
        leaf.Language = NumberKey(0);
        leaf.Added = true;
        leaf.Data = item.Data;
        leaf.Size = static_cast<std::uint32_t>(item.Data.size());
    }
    // The resources kept, in canonical order (their data is read as they are laid out).
    std::vector<const Leaf*> kept(leaves.size());
    std::size_t keeping = 0;
    const std::size_t fromFile = leaves.size() - add.size();
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        Leaf& leaf = leaves[i];
        if (i < fromFile) {
            bool dropped = false;
            for (const std::string& name : drop)
                dropped = dropped || leaf.IsRcDataNamed(name);
            for (const RcDataItem& item : add)
                dropped = dropped || leaf.IsRcDataNamed(item.Name);
            if (dropped) continue;
        }
        // Sorted as they come (a few dozen).
        std::size_t at = keeping++;
        for (; at > 0 && Before(leaf, *kept[at - 1]); --at)
            kept[at] = kept[at - 1];
        kept[at] = &leaf;
    }
    kept.resize(keeping);

    // The headers and the sections before the resources as they are, the resources, then
    // the relocations; the certificate table and anything else after them left behind.
    std::string out;
    r.AppendTo(out, 0, rsrc.RawOffset, "the sections before the resources");
    const std::size_t sectionSize = LayOutResources(kept, rsrc.VirtualAddress, r, out);
    out.resize(AlignUp(out.size(), fileAlignment), '\0');
    Put32(out, rsrc.At + 8, static_cast<std::uint32_t>(sectionSize));
    Put32(out, rsrc.At + 16, static_cast<std::uint32_t>(out.size() - rsrc.RawOffset));
    // SizeOfInitializedData changes by what the sections' raw sizes changed.
    // (32-bit arithmetic: the field is a 32-bit sum.)
    std::uint32_t initialized = r.U32(image.OptionalAt(kSizeOfInitializedData));
    if (rsrc.Characteristics & kInitializedData)
        initialized += static_cast<std::uint32_t>(out.size() - rsrc.RawOffset) - rsrc.RawSize;
    std::uint64_t nextRva =
        AlignUp(std::uint64_t{rsrc.VirtualAddress} + sectionSize, sectionAlignment);
    std::uint32_t relocationsRva = relocations.Address;
    for (std::size_t i = index + 1; i < sections.size(); ++i) {
        const Section& s = sections[i];
        const std::uint32_t rawOffset = static_cast<std::uint32_t>(out.size());
        r.AppendTo(out, s.RawOffset, s.RawSize, "a section after the resources");
        out.resize(AlignUp(out.size(), fileAlignment), '\0');
        const std::uint32_t rawSize = static_cast<std::uint32_t>(out.size() - rawOffset);
        if (s.Characteristics & kInitializedData) initialized += rawSize - s.RawSize;
        relocationsRva =
            static_cast<std::uint32_t>(relocations.Address - s.VirtualAddress + nextRva);
        Put32(out, s.At + 12, static_cast<std::uint32_t>(nextRva));
        Put32(out, s.At + 16, static_cast<std::uint32_t>(rawSize));
        Put32(out, s.At + 20, rawSize != 0 ? static_cast<std::uint32_t>(rawOffset) : 0);
        nextRva =
            AlignUp(nextRva + std::max<std::uint64_t>(s.VirtualSize, rawSize), sectionAlignment);
    }
    if (nextRva > 0xFFFFFFFFu || out.size() > 0xFFFFFFFFu) Fail("the rebuilt file is too large");
    Put32(out, image.OptionalAt(kSizeOfImage), static_cast<std::uint32_t>(nextRva));
    Put32(out, image.OptionalAt(kSizeOfInitializedData), initialized);
    Put32(out, image.DirectoryAt(kResources) + 4, static_cast<std::uint32_t>(sectionSize));
    if (image.DirectoryCount() > kCertificates) {
        Put32(out, image.DirectoryAt(kCertificates), 0);
        Put32(out, image.DirectoryAt(kCertificates) + 4, 0);
    }
    if (relocations.Size != 0 && image.DirectoryCount() > kRelocations)
        Put32(out, image.DirectoryAt(kRelocations), relocationsRva);
    Put32(out, image.OptionalAt(kCheckSum), PeChecksum(out));
    return out;
}

std::uint32_t PeChecksum(std::string_view file) {
    const PeFileInMemory bytes(file);
    const Image image(bytes);
    const std::uint32_t field = image.OptionalAt(kCheckSum);
    image.R().Need(field, 4, "the checksum");
    const auto* p = reinterpret_cast<const unsigned char*>(file.data());
    auto byte = [&](std::size_t i) -> std::uint32_t {
        return i >= field && i < field + 4 ? 0 : p[i];
    };
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byte(i) | (i + 1 < file.size() ? byte(i + 1) << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

std::uint32_t StoredChecksum(std::string_view file) {
    const PeFileInMemory bytes(file);
    const Image image(bytes);
    return image.R().U32(image.OptionalAt(kCheckSum));
}

std::string AppendCertificateTable(std::string image, std::string_view table,
                                   std::uint32_t checksum) {
    std::uint32_t directory = 0, checksumAt = 0;
    {
        const PeFileInMemory bytes(image);
        const Image pe(bytes);
        if (pe.DirectoryCount() <= kCertificates)
            Fail("the file has no data directory for a certificate table");
        if (pe.Directory(kCertificates).Size != 0) Fail("the file is signed already");
        directory = pe.DirectoryAt(kCertificates);
        checksumAt = pe.OptionalAt(kCheckSum);
    }
    image.resize(AlignUp(image.size(), 8), '\0');
    if (image.size() + std::uint64_t{table.size()} > 0xFFFFFFFFu)
        Fail("the signed file would be too large");
    Put32(image, directory, static_cast<std::uint32_t>(image.size()));
    Put32(image, directory + 4, static_cast<std::uint32_t>(table.size()));
    Put32(image, checksumAt, checksum);
    image += table;
    return image;
}
