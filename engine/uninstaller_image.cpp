#include "engine/uninstaller_image.h"

#include "engine/files.h"
#include "engine/payload.h"

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

} // namespace

std::string UninstallerImage(const PeFileBytes& installer) {
    std::vector<std::string> drop{UninstallerSignatureName};
    std::string catalogue = PayloadCatalogue;
    while (!catalogue.empty())
        drop.push_back(SplitNextToken(catalogue, ","));
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
