#include "engine/uninstaller_image.h"

#include "engine/files.h"
#include "engine/payload.h"
#include "toolkit/format.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char kTag[] = "PUSG";
constexpr std::size_t kHeader = 12;

std::uint32_t Get32(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}

void Append32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>(v >> (8 * i));
}

std::string Signed(std::string image, std::string_view carried) {
    if (carried.size() < kHeader || carried.substr(0, 4) != kTag)
        throw EPeError("the uninstaller's carried signature is damaged");
    if (Get32(carried, 4) != image.size())
        throw EPeError("the uninstaller's carried signature was made for another program");
    return AppendCertificateTable(std::move(image), carried.substr(kHeader), Get32(carried, 8));
}

// The resources the program reads, as resource scripts write them: type, then name ("*":
// any; the icons are numbered by the compiler). Names compare regardless of ASCII case.
struct KeptResource {
    const char* Type;
    const char* Name;
};
constexpr KeptResource kKept[] = {
    {"#24", "#1"},                                      // manifest
    {"#3", "*"},          {"#14", "MAINICON"},          // icons, icon group
    {"#16", "#1"},                                      // version
    {"#10", "TMAINFORM"}, {"#10", "TINSTPROGRESSFORM"}, // window layouts
    {"#10", "RS_CONF"},                                 // DOSBox template
};

bool Kept(const PeResourceEntry& resource) {
    const std::string name = tk::AsciiUpper(resource.Name);
    for (const KeptResource& kept : kKept)
        if (resource.Type == kept.Type && (std::string_view(kept.Name) == "*" || name == kept.Name))
            return true;
    return false;
}

} // namespace

std::string UninstallerImage(const PeFileBytes& installer) {
    std::vector<std::string> drop = CatalogueNames();
    drop.push_back(UninstallerSignatureName);
    return RebuildResources(installer, drop);
}

void UninstallerPieces(const PeFileBytes& installer,
                       const std::function<void(const char*, std::size_t)>& put) {
    std::string image = UninstallerImage(installer);
    bool carries = false;
    const std::string carried = ReadRcData(installer, UninstallerSignatureName, carries);
    if (!carries && ReadCertificateTable(installer).Size != 0) {
        // Its whole self: read on from the file a piece at a time.
        std::string piece;
        for (std::uint64_t at = 0, size = installer.Size(); at < size;) {
            const std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(kUninstallerPiece, size - at));
            piece.resize(n);
            installer.Read(at, piece.data(), n);
            put(piece.data(), n);
            at += n;
        }
        return;
    }
    if (carries) image = Signed(std::move(image), carried);
    put(image.data(), image.size());
}

std::string UninstallerBytes(const PeFileBytes& installer) {
    std::string bytes;
    UninstallerPieces(installer, [&](const char* piece, std::size_t n) { bytes.append(piece, n); });
    return bytes;
}

std::string CarryUninstallerSignature(const PeFileBytes& installer,
                                      std::string_view signedUninstaller) {
    const std::string image = UninstallerImage(installer);
    const PeCertificateTable table = ReadCertificateTable(signedUninstaller);
    if (table.Size == 0) throw EPeError("the uninstaller given is not signed");
    if (std::uint64_t{table.Offset} + table.Size != signedUninstaller.size())
        throw EPeError("the signed uninstaller holds bytes after its signature");
    std::string carried = kTag;
    Append32(carried, static_cast<std::uint32_t>(image.size()));
    Append32(carried, StoredChecksum(signedUninstaller));
    carried += signedUninstaller.substr(table.Offset, table.Size);
    if (Signed(image, carried) != signedUninstaller)
        throw EPeError("the signed uninstaller is not this installer's uninstaller image with a "
                       "signature appended");
    std::string result = RebuildResources(installer, {UninstallerSignatureName},
                                          {{UninstallerSignatureName, carried}});
    if (UninstallerBytes(PeFileInMemory(result)) != signedUninstaller)
        throw EPeError("the installer carrying the signature would write another uninstaller");
    return result;
}

UninstallerCheck CheckUninstaller(std::string_view installer, std::string_view uninstaller) {
    UninstallerCheck check;
    check.stub = installer.size();
    const std::vector<PeResource> installerItems = ReadRcDataResources(installer);
    const std::vector<PeResource> uninstallerItems = ReadRcDataResources(uninstaller);
    const std::vector<std::string> catalogue = CatalogueNames();
    for (const std::string& name : catalogue) {
        if (const PeResource* item = FindResource(installerItems, name))
            check.stub -= item->Data.size();
        if (FindResource(uninstallerItems, name) != nullptr)
            check.broken.push_back("it carries the payload item " + name);
    }
    const auto payloadItem = [&](const PeResourceEntry& resource) {
        const std::string name = tk::AsciiUpper(resource.Name);
        return resource.Type == "#10" &&
               std::any_of(catalogue.begin(), catalogue.end(),
                           [&](const std::string& item) { return tk::AsciiUpper(item) == name; });
    };
    for (const PeResourceEntry& resource : ListResources(uninstaller))
        if (!Kept(resource) && !payloadItem(resource))
            check.broken.push_back(tk::Format("it carries the resource %s %s (%u bytes), which "
                                              "the program does not read",
                                              resource.Type.c_str(), resource.Name.c_str(),
                                              resource.Size));
    if (uninstaller.size() > check.stub + UninstallerAllowance)
        check.broken.push_back(tk::Format("it is larger than the stub and %u bytes",
                                          static_cast<unsigned>(UninstallerAllowance)));
    return check;
}
