// pentaro-inspect: reads a built PentaroSetup.exe on any system and lists, tests or
// extracts the payload items it carries, through the installer's own loader code.
//
//   pentaro-inspect list FILE
//   pentaro-inspect test FILE
//   pentaro-inspect extract [-d DIR] FILE
//   pentaro-inspect uninstaller [-o OUT] FILE
//
// uninstaller makes the uninstall.exe that FILE writes when it installs (into OUT, when
// given), says its size beside the installer's and the stub's (the installer without its
// payload items) and whether it is signed, and checks the promise (CheckUninstaller: no
// payload item, no resource the program does not read, at most the stub's size plus 16 KB).
//
// list and test also say whether FILE carries an Authenticode signature (a signed
// installer reads as an unsigned one: the signature lies after the image); whether the
// signature is valid is for osslsigncode verify to say.
//
// Exit codes: 0 success; 1 some item does not load (test, extract), is missing, or has
// the file name of an earlier item (names ignore case: the installer would overwrite it),
// or a payload item lies outside the catalogue (list, test: the installer never installs it),
// or the signature's table is damaged (list, test), or the uninstaller breaks its promise;
// 2 usage; 3 FILE cannot be read, is no PE executable, is damaged or carries no payload.
#include "engine/payload.h"
#include "engine/pe_resources.h"
#include "engine/uninstaller_image.h"
#include "toolkit/format.h"
#include "tools/host_files.h"
#include "tools/pack_core.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: pentaro-inspect list FILE\n"
                      "       pentaro-inspect test FILE\n"
                      "       pentaro-inspect extract [-d DIR] FILE\n"
                      "       pentaro-inspect uninstaller [-o OUT] FILE\n";

class EFileError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

struct Loaded {
    std::string Catalogue;
    const PeResource* Resource = nullptr;
    tInstItem Item;
    std::string Problem; // empty: loads and checks
};

Loaded Load(const std::vector<PeResource>& resources, const std::string& name,
            const std::string& key) {
    Loaded l;
    l.Catalogue = name;
    l.Resource = FindResource(resources, name);
    if (l.Resource == nullptr) {
        l.Problem = tk::Format("Resource %s not found", name.c_str());
        return l;
    }
    std::string image(l.Resource->Data);
    try {
        ReadPayloadImage(key, image, l.Item);
    } catch (const EDecompressionError&) {
    }
    // ReadPayloadImage left the image unscrambled: say why it fails, if it does.
    l.Problem = DiagnosePayloadImage(image);
    return l;
}

bool SetDate(const std::string& path, std::int32_t dosDate) {
    std::tm local = DosDateTimeToTm(dosDate);
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1)) return false;
    const struct timespec times[2] = {{t, 0}, {t, 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool WriteItem(const std::string& path, const std::string& data) {
    // Not through a link that someone planted in DIR.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return close(fd) == 0 && done == data.size();
}

// The uninstaller command: see the top of this file.
int Uninstaller(const std::string& file, const std::string& bytes, const std::string& out) {
    std::string uninstaller;
    try {
        uninstaller = UninstallerBytes(PeFileInMemory(bytes));
    } catch (const EPeError& e) {
        throw EFileError(file + ": no uninstaller: " + e.Message());
    }
    if (!out.empty()) WriteWholeFile(out, uninstaller);
    const UninstallerCheck check = CheckUninstaller(bytes, uninstaller);
    const PeCertificateTable signature = ReadCertificateTable(uninstaller);
    std::printf("installer:   %zu bytes\nstub:        %llu bytes (without the payload items)\n"
                "uninstaller: %zu bytes, %s\n",
                bytes.size(), static_cast<unsigned long long>(check.stub), uninstaller.size(),
                signature.Size != 0 ? "signed" : "unsigned");
    for (const std::string& broken : check.broken)
        std::printf("FAILED: %s\n", broken.c_str());
    return check.broken.empty() ? 0 : 1;
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    std::string dir = ".", out, file;
    int i = 2;
    if (command == "extract" && i + 1 < argc && std::strcmp(argv[i], "-d") == 0) {
        dir = argv[i + 1];
        i += 2;
    }
    if (command == "uninstaller" && i + 1 < argc && std::strcmp(argv[i], "-o") == 0) {
        out = argv[i + 1];
        i += 2;
    }
    if ((command != "list" && command != "test" && command != "extract" &&
         command != "uninstaller") ||
        i + 1 != argc) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    file = argv[i];

    const std::string bytes = ReadWholeFile(file);
    std::vector<PeResource> resources;
    try {
        resources = ReadRcDataResources(bytes);
    } catch (const EPeError& e) {
        throw EFileError(file + ": " + e.Message());
    }
    const std::vector<std::string> names = CatalogueNames();
    bool any = false;
    for (const std::string& n : names)
        any = any || FindResource(resources, n) != nullptr;
    if (!any) throw EFileError(file + ": carries no payload items (not a PentaroSetup.exe?)");
    if (command == "uninstaller") return Uninstaller(file, bytes, out);

    const std::string key = BuildPayloadKeyStream();
    int failures = 0;
    if (command == "list")
        std::printf("%-12s %-30s %10s %10s  %s\n", "catalogue", "file", "size", "compressed",
                    "date-time (local)");
    if (command == "extract" && mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        throw EFileError(tk::Format("cannot create %s: %s", dir.c_str(), std::strerror(errno)));

    std::map<std::string, std::string> owners; // FileNameKey -> catalogue name
    for (const std::string& name : names) {
        Loaded l = Load(resources, name, key);
        if (l.Problem.empty()) {
            const auto [owner, isNew] = owners.emplace(FileNameKey(l.Item.FileName), name);
            if (!isNew)
                l.Problem = tk::Format("file name %s is also that of %s", l.Item.FileName.c_str(),
                                       owner->second.c_str());
        }
        if (command == "list") {
            if (l.Resource == nullptr) {
                std::printf("%-12s (missing)\n", name.c_str());
                ++failures;
                continue;
            }
            const std::size_t stored = l.Resource->Data.size();
            const std::string date =
                stored >= PayloadHeaderSize ? FormatDosDateTime(l.Item.FileDate) : "-";
            std::printf("%-12s %-30s %10zu %10zu  %s%s\n", name.c_str(),
                        l.Item.FileName.empty() ? "-" : l.Item.FileName.c_str(),
                        l.Item.Contents.size(),
                        stored >= PayloadHeaderSize ? stored - PayloadHeaderSize : 0, date.c_str(),
                        l.Problem.empty() ? "" : "  (damaged)");
        } else if (!l.Problem.empty()) {
            std::printf("%-12s FAILED: %s\n", name.c_str(), l.Problem.c_str());
            ++failures;
        } else if (command == "test") {
            std::printf("%-12s ok  %s\n", name.c_str(), l.Item.FileName.c_str());
        } else {
            const std::string path = dir + "/" + l.Item.FileName;
            if (!WriteItem(path, l.Item.Contents)) {
                std::printf("%-12s FAILED: cannot write %s: %s\n", name.c_str(), path.c_str(),
                            std::strerror(errno));
                ++failures;
                continue;
            }
            if (!SetDate(path, l.Item.FileDate))
                std::printf("%-12s %s (date %s not set)\n", name.c_str(), path.c_str(),
                            FormatDosDateTime(l.Item.FileDate).c_str());
            else
                std::printf("%-12s %s\n", name.c_str(), path.c_str());
        }
    }
    if (command != "extract")
        for (const std::string& name : ItemsOutsideCatalogue(resources)) {
            std::printf("%-12s FAILED: a payload item outside the installer's catalogue, which "
                        "the installer never installs\n",
                        name.c_str());
            ++failures;
        }
    if (command == "test") std::printf("%zu items, %d failed\n", names.size(), failures);
    if (command != "extract") {
        try {
            const PeCertificateTable signature = ReadCertificateTable(bytes);
            if (signature.Size == 0)
                std::printf("signature: none\n");
            else
                std::printf("signature: Authenticode, %u bytes\n", signature.Size);
        } catch (const EPeError& e) {
            std::printf("signature: damaged: %s\n", e.what());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const EFileError& e) {
        std::fprintf(stderr, "pentaro-inspect: %s\n", e.what());
        return 3;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pentaro-inspect: %s\n", e.what());
        return 3;
    }
}
