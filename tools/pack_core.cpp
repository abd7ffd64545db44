#include "tools/pack_core.h"

#include "dosbox/conf_core.h"
#include "engine/files.h"
#include "engine/payload.h"
#include "resources/product.h"
#include "toolkit/format.h"

#include <zlib.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <set>

namespace {

constexpr char kTag[] = "P+pk";

void PutInt32(std::string& s, std::size_t offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t GetUInt32(const std::string& s, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[offset + i]);
    return v;
}

std::uint32_t Crc32(const std::string& data) {
    uLong crc = crc32(0, nullptr, 0);
    std::size_t done = 0;
    while (done < data.size()) {
        const uInt n = static_cast<uInt>(std::min<std::size_t>(data.size() - done, 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + done), n);
        done += n;
    }
    return static_cast<std::uint32_t>(crc);
}

bool IsIdentifier(const std::string& s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

// Splits a manifest line into fields: blanks separate, double quotes group.
std::vector<std::string> SplitFields(const std::string& line, bool& ok) {
    std::vector<std::string> fields;
    ok = true;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i == line.size()) break;
        std::string field;
        if (line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                ok = false;
                return fields;
            }
            field = line.substr(i + 1, close - i - 1);
            i = close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                field += line[i++];
        }
        fields.push_back(field);
    }
    return fields;
}

} // namespace

std::string MakePayloadImage(const std::string& fileName, std::int32_t fileDate,
                             const std::string& contents) {
    if (fileName.size() > PayloadMaxNameLength)
        throw EPackError(tk::Format("file name longer than 30 characters: %s", fileName.c_str()));
    if (!IsBareFileName(fileName))
        throw EPackError(tk::Format("not a bare file name: \"%s\"", fileName.c_str()));
    if (contents.size() > static_cast<std::size_t>(INT32_MAX))
        throw EPackError(tk::Format("file larger than 2 GiB: %s", fileName.c_str()));

    std::string image(PayloadHeaderSize, '\0');
    std::memcpy(image.data(), kTag, 4);
    PutInt32(image, 4, static_cast<std::uint32_t>(contents.size()));
    PutInt32(image, 8, Crc32(contents));
    PutInt32(image, 12, static_cast<std::uint32_t>(fileDate));
    image[PayloadNameOffset] = static_cast<char>(fileName.size());
    std::memcpy(image.data() + PayloadNameOffset + 1, fileName.data(), fileName.size());

    image += DeflateStream(contents, fileName);
    return image;
}

std::string DeflateStream(const std::string& data, const std::string& what) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw EPackError("zlib cannot start compressing");
    const uLong bound = deflateBound(&z, static_cast<uLong>(data.size()));
    std::string out(bound, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(bound);
    const int ret = deflate(&z, Z_FINISH);
    const std::size_t written = bound - z.avail_out;
    deflateEnd(&z);
    if (ret != Z_STREAM_END) throw EPackError("zlib failed to compress " + what);
    out.resize(written);
    return out;
}

std::string ScramblePayloadImage(std::string plain) {
    ScrambleBytes(BuildPayloadKeyStream(), plain.data(), plain.size());
    return plain;
}

void CheckPayloadMemory(std::uint64_t itemBytes, std::uint64_t storedBytes) {
    if (itemBytes + storedBytes <= PayloadMemoryLimit) return;
    constexpr std::uint64_t mib = 1 << 20;
    throw EPackError(tk::Format(
        "the items would need %llu MiB of memory in the installer (%llu MiB of files, %llu MiB "
        "stored); a 32-bit installer can hold %llu MiB",
        static_cast<unsigned long long>((itemBytes + storedBytes + mib - 1) / mib),
        static_cast<unsigned long long>((itemBytes + mib - 1) / mib),
        static_cast<unsigned long long>((storedBytes + mib - 1) / mib),
        static_cast<unsigned long long>(PayloadMemoryLimit / mib)));
}

std::vector<ManifestEntry> ParseManifest(const std::string& text, const std::string& source) {
    std::vector<ManifestEntry> entries;
    std::set<std::string> seen;
    std::map<std::string, std::string> fileOwners; // FileNameKey -> catalogue name
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        auto fail = [&](const std::string& what) {
            return EPackError(tk::Format("%s:%d: %s", source.c_str(), lineNo, what.c_str()));
        };
        bool ok;
        std::vector<std::string> f = SplitFields(line, ok);
        if (!ok) throw fail("unclosed double quote");
        if (f.empty() || f[0][0] == '#') continue;
        if (f.size() < 2 || f.size() > 4)
            throw fail("expected: <catalogue name> <file> [<date> <time>]");
        ManifestEntry e;
        e.Name = f[0];
        e.File = f[1];
        e.Line = lineNo;
        if (!IsIdentifier(e.Name))
            throw fail("catalogue name must be letters, digits and _: " + e.Name);
        if (!seen.insert(tk::AsciiUpper(e.Name)).second)
            throw fail("duplicate catalogue name " + e.Name);
        const std::string fileName = e.File.substr(e.File.find_last_of('/') + 1);
        const auto [owner, isNew] = fileOwners.emplace(FileNameKey(fileName), e.Name);
        if (!isNew)
            throw fail(tk::Format("file name %s is already that of %s (names ignore case)",
                                  fileName.c_str(), owner->second.c_str()));
        if (f.size() > 2) {
            const std::string stamp = f.size() == 4 ? f[2] + "T" + f[3] : f[2];
            std::optional<std::tm> tm = ParseIsoDateTime(stamp);
            if (!tm) throw fail("date-time must read YYYY-MM-DDTHH:MM:SS: " + stamp);
            try {
                e.Date = DosDateTime(*tm);
            } catch (const EPackError& error) {
                throw fail(error.Message());
            }
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

std::int32_t DosDateTime(const std::tm& t) {
    const int year = t.tm_year + 1900;
    if (year < 1980 || year > 2107)
        throw EPackError(tk::Format("year %d cannot be stored as a DOS date (1980-2107)", year));
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour < 0 ||
        t.tm_hour > 23 || t.tm_min < 0 || t.tm_min > 59 || t.tm_sec < 0 || t.tm_sec > 59)
        throw EPackError("invalid date or time");
    const std::uint32_t date =
        static_cast<std::uint32_t>((year - 1980) << 9 | (t.tm_mon + 1) << 5 | t.tm_mday);
    const std::uint32_t time =
        static_cast<std::uint32_t>(t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec / 2);
    return static_cast<std::int32_t>(date << 16 | time);
}

std::optional<std::tm> ParseIsoDateTime(std::string_view s) {
    // YYYY-MM-DDTHH:MM:SS, digits exactly where shown.
    static constexpr char pattern[] = "dddd-dd-ddTdd:dd:dd";
    if (s.size() != sizeof(pattern) - 1) return std::nullopt;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(s[i])) != 0;
        if (pattern[i] == 'd' ? !digit : s[i] != pattern[i]) return std::nullopt;
    }
    auto num = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v = v * 10 + (s[at + i] - '0');
        return v;
    };
    std::tm t{};
    t.tm_year = num(0, 4) - 1900;
    t.tm_mon = num(5, 2) - 1;
    t.tm_mday = num(8, 2);
    t.tm_hour = num(11, 2);
    t.tm_min = num(14, 2);
    t.tm_sec = num(17, 2);
    t.tm_isdst = -1;
    return t;
}

std::tm DosDateTimeToTm(std::int32_t dosDate) {
    const auto v = static_cast<std::uint32_t>(dosDate);
    std::tm t{};
    t.tm_year = static_cast<int>((v >> 25) & 0x7F) + 80;
    t.tm_mon = static_cast<int>((v >> 21) & 0x0F) - 1;
    t.tm_mday = static_cast<int>((v >> 16) & 0x1F);
    t.tm_hour = static_cast<int>((v >> 11) & 0x1F);
    t.tm_min = static_cast<int>((v >> 5) & 0x3F);
    t.tm_sec = static_cast<int>(v & 0x1F) * 2;
    t.tm_isdst = -1;
    return t;
}

std::string FormatDosDateTime(std::int32_t dosDate) {
    const std::tm t = DosDateTimeToTm(dosDate);
    return tk::Format("%04d-%02d-%02dT%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                      t.tm_hour, t.tm_min, t.tm_sec);
}

std::string DiagnosePayloadImage(const std::string& plain) {
    if (plain.size() < PayloadHeaderSize)
        return tk::Format("resource of %zu bytes is shorter than the 47-byte header", plain.size());
    const unsigned length = static_cast<unsigned char>(plain[PayloadNameOffset]);
    if (length > PayloadMaxNameLength) return tk::Format("name length %u is above 30", length);
    const std::string name = plain.substr(PayloadNameOffset + 1, length);
    if (!IsBareFileName(name)) return "file name \"" + name + "\" is not a bare file name";
    const auto stated = static_cast<std::int32_t>(GetUInt32(plain, 4));
    if (stated < 0) return tk::Format("stated size %d is negative", stated);

    // The loader's own path, with an empty key (no unscrambling): it stops inflating as
    // soon as the body outgrows the stated size.
    tInstItem item;
    std::string copy = plain;
    try {
        ReadPayloadImage(std::string(), copy, item);
    } catch (const EDecompressionError&) {
        return "the body is not a valid zlib stream";
    }
    const std::string& body = item.Contents;
    if (stated > 0 && body.empty())
        return tk::Format("the body does not inflate to the stated %d bytes", stated);
    if (body.empty()) return "the file is empty";
    if (std::memcmp(plain.data(), kTag, 4) == 0 && GetUInt32(plain, 8) != Crc32(body))
        return "CRC-32 of the contents does not match the packer's";
    return {};
}

std::uint32_t ContentsCrc32(const std::string& data) {
    return Crc32(data);
}

std::string PackFingerprint(const std::string& packer, const std::vector<PackSource>& sources) {
    std::string text = "packer " + packer + "\n";
    for (const PackSource& s : sources)
        text += tk::Format("%s %s %08x %llu %08x\n", s.Name.c_str(), s.FileName.c_str(),
                           static_cast<unsigned>(s.Date), static_cast<unsigned long long>(s.Size),
                           static_cast<unsigned>(s.Crc));
    return text;
}

namespace {

// The items whose file the installer names: each must carry that file under that name.
struct NamedItem {
    const char* Item;
    const char* File;
    const char* Use;
};
constexpr NamedItem kNamedItems[] = {
    {"rs_cmd", DosProgramFile, "the program dosbox.conf starts"},
    {"rs_exe", ProductProgramFile, "the program the desktop shortcut starts"},
    {"rs_icon", ProductIconFile, "the icon of every shortcut the installer makes"},
    {"rs_spool32", PrintUtilityFile, "the print utility the print shortcut starts"},
};

// Names the installer gives to files of its own or looks for: no item may be installed so.
struct KeptName {
    const char* File;
    const char* Use;
};
constexpr KeptName kKeptNames[] = {
    {SiblingProgramFile, "the sibling product's program: found in the folder, it changes how "
                         "the installer finishes"},
    {MenuProgramFile, "the maker's menu program, which the installer looks for in the parent "
                      "of the install folder, not in it"},
    {UninstallerFile, "the uninstaller, which the installer writes over it"},
    {InstallRecordFile, "the record of the install, which the installer writes over it"},
    {kDosBoxConfName, "the DOSBox configuration, which the installer writes over it"},
};

} // namespace

void CheckInstallable(const std::vector<ManifestEntry>& entries, const std::string& source,
                      bool filesInSubfolders) {
    const std::vector<std::string> catalogue = CatalogueNames();
    std::set<std::string> given;
    for (const ManifestEntry& e : entries) {
        auto fail = [&](const std::string& what) {
            return EPackError(tk::Format("%s:%d: %s", source.c_str(), e.Line, what.c_str()));
        };
        const std::string name = tk::AsciiUpper(e.Name);
        bool known = false;
        for (const std::string& item : catalogue)
            known = known || tk::AsciiUpper(item) == name;
        if (!known) {
            std::string list;
            for (const std::string& item : catalogue)
                list += (list.empty() ? "" : ", ") + item;
            throw fail(tk::Format("%s is not an item of the installer's catalogue (%s): the "
                                  "installer would never install it",
                                  e.Name.c_str(), list.c_str()));
        }
        given.insert(name);
        const std::size_t slash = e.File.find_last_of('/');
        if (slash != std::string::npos && !filesInSubfolders)
            throw fail(tk::Format("%s: %s lies in a folder, but the installer writes every "
                                  "file into the install folder itself: put it beside the other "
                                  "files and name it without a folder",
                                  e.Name.c_str(), e.File.c_str()));
        const std::string file = e.File.substr(slash + 1);
        for (const NamedItem& named : kNamedItems)
            if (tk::AsciiUpper(named.Item) == name && FileNameKey(file) != FileNameKey(named.File))
                throw fail(tk::Format("%s must install %s (%s), not %s", e.Name.c_str(), named.File,
                                      named.Use, file.c_str()));
        for (const KeptName& kept : kKeptNames)
            if (FileNameKey(file) == FileNameKey(kept.File))
                throw fail(tk::Format("%s installs %s, the name of %s", e.Name.c_str(),
                                      file.c_str(), kept.Use));
    }
    std::string missing;
    for (const std::string& item : catalogue)
        if (given.count(tk::AsciiUpper(item)) == 0) missing += (missing.empty() ? "" : ", ") + item;
    if (!missing.empty())
        throw EPackError(
            tk::Format("%s: the installer's catalogue item%s %s %s missing", source.c_str(),
                       missing.find(',') == std::string::npos ? "" : "s", missing.c_str(),
                       missing.find(',') == std::string::npos ? "is" : "are"));
}

std::vector<std::string> ItemsOutsideCatalogue(const std::vector<PeResource>& resources) {
    const std::vector<std::string> catalogue = CatalogueNames();
    const std::string key = BuildPayloadKeyStream();
    std::vector<std::string> outside;
    for (const PeResource& r : resources) {
        bool listed = false;
        for (const std::string& item : catalogue)
            listed = listed || tk::AsciiUpper(item) == tk::AsciiUpper(r.Name);
        if (listed || r.Data.size() < 4) continue;
        std::string tag(r.Data.substr(0, 4));
        UnscrambleBytes(key, tag.data(), tag.size());
        if (tag == kTag) outside.push_back(r.Name);
    }
    return outside;
}
