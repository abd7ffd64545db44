// pentaro-pack: packs the product files named in a manifest into the installer's
// payload resources (one scrambled, zlib-compressed file per catalogue entry) and a
// payload.rc that embeds them. Same inputs, same bytes.
//
//   pentaro-pack [--files DIR] [--in-subfolders] [--corrupt NAME] [--empty NAME]
//                [--same-name NAME] [--partial] [--plain] MANIFEST OUTDIR
//
// and, for signing (scripts/sign), the uninstaller's image that a built installer makes and
// the installer that carries the uninstaller's signature:
//
//   pentaro-pack --uninstaller INSTALLER OUT
//   pentaro-pack --carry-signature INSTALLER SIGNED_UNINSTALLER OUT
//
// and, as the last step of linking an installer, its resources laid out the one way the
// two above lay them out (small data first, the large payload items behind):
//
//   pentaro-pack --lay-out INSTALLER OUT
#include "engine/payload.h"
#include "engine/uninstaller_image.h"
#include "toolkit/format.h"
#include "tools/host_files.h"
#include "tools/pack_core.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: pentaro-pack [--files DIR] [--in-subfolders] [--corrupt NAME] [--empty NAME]\n"
    "                    [--same-name NAME] [--partial] [--plain] MANIFEST OUTDIR\n"
    "Writes OUTDIR/<NAME>.bin for each manifest entry and OUTDIR/payload.rc, or stops, naming\n"
    "the entry, when the installer could not install the manifest as it is given.\n"
    "  --files DIR     where the files lie (default: the manifest's folder)\n"
    "  --in-subfolders take files given in subfolders of DIR, each installed under its own\n"
    "                  name (the stand-in product's large variants)\n"
    "  --corrupt NAME  damage the zlib trailer of item NAME (tests: the load raises \"Error\")\n"
    "  --empty NAME    store item NAME with no contents (tests: a read error in the run)\n"
    "  --same-name NAME  store item NAME under the first item's file name in upper case\n"
    "                  (tests: the run refuses two items for one file)\n"
    "  --partial       pieces for tests, not an installer's payload: any catalogue names, some\n"
    "                  or none of the installer's, files anywhere and under any name\n"
    "  --plain         write the images unscrambled (seeds for the fuzz target)\n"
    "\n"
    "       pentaro-pack --uninstaller INSTALLER OUT\n"
    "Writes the uninstaller's image that INSTALLER makes, unsigned (to be signed).\n"
    "       pentaro-pack --carry-signature INSTALLER SIGNED_UNINSTALLER OUT\n"
    "Writes INSTALLER carrying the signature of SIGNED_UNINSTALLER, that image signed.\n"
    "       pentaro-pack --lay-out INSTALLER OUT\n"
    "Writes INSTALLER with its resources laid out as the two above do (the build's last step\n"
    "of linking it: small data first, so that what starts it lies ahead of the payload).\n";

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// payload.rc names the data files by absolute path: windres resolves relative ones
// against its working directory, which the build does not fix.
std::string RcQuoted(const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) throw EPackError("cannot read the current folder");
    return std::string(cwd) + "/" + path;
}

// The signing modes; -1 when the arguments ask for none.
int RunUninstallerMode(int argc, char** argv) {
    if (argc < 2) return -1;
    const std::string mode = argv[1];
    try {
        if (mode == "--uninstaller" && argc == 4) {
            const std::string installer = ReadWholeFile(argv[2]);
            WriteWholeFile(argv[3], UninstallerImage(PeFileInMemory(installer)));
            return 0;
        }
        if (mode == "--lay-out" && argc == 4) {
            const std::string installer = ReadWholeFile(argv[2]);
            WriteWholeFile(argv[3], RebuildResources(PeFileInMemory(installer), {}));
            return 0;
        }
        if (mode == "--carry-signature" && argc == 5) {
            const std::string installer = ReadWholeFile(argv[2]);
            const std::string uninstaller = ReadWholeFile(argv[3]);
            WriteWholeFile(argv[4],
                           CarryUninstallerSignature(PeFileInMemory(installer), uninstaller));
            return 0;
        }
    } catch (const EPeError& e) {
        throw EPackError(tk::Format("%s: %s", argv[2], e.what()));
    }
    if (mode == "--uninstaller" || mode == "--carry-signature" || mode == "--lay-out") {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return -1;
}

int Run(int argc, char** argv) {
    if (const int result = RunUninstallerMode(argc, argv); result >= 0) return result;
    std::string filesDir, corrupt, empty, sameName;
    bool partial = false, plain = false, inSubfolders = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw EPackError(a + " needs a value");
            return argv[++i];
        };
        if (a == "--files")
            filesDir = value();
        else if (a == "--corrupt")
            corrupt = tk::AsciiUpper(value());
        else if (a == "--empty")
            empty = tk::AsciiUpper(value());
        else if (a == "--same-name")
            sameName = tk::AsciiUpper(value());
        else if (a == "--in-subfolders")
            inSubfolders = true;
        else if (a == "--partial")
            partial = true;
        else if (a == "--plain")
            plain = true;
        else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "pentaro-pack: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else
            args.push_back(a);
    }
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string manifest = args[0], outDir = Absolute(args[1]);
    if (filesDir.empty()) filesDir = DirName(manifest);

    const std::vector<ManifestEntry> entries = ParseManifest(ReadWholeFile(manifest), manifest);
    if (!partial) CheckInstallable(entries, manifest, inSubfolders);
    for (const std::string& n : {corrupt, empty, sameName}) {
        bool found = n.empty();
        for (const ManifestEntry& e : entries)
            found = found || tk::AsciiUpper(e.Name) == n;
        if (!found) throw EPackError(tk::Format("%s is not in the manifest", n.c_str()));
    }

    const auto where = [&](const ManifestEntry& e, const std::string& what) {
        return EPackError(tk::Format("%s:%d: %s", manifest.c_str(), e.Line, what.c_str()));
    };
    // Every file is looked at before any is read: the sizes alone may already be too much.
    std::vector<struct stat> stats(entries.size());
    std::uint64_t itemBytes = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ManifestEntry& e = entries[i];
        const std::string path = e.File[0] == '/' ? e.File : filesDir + "/" + e.File;
        struct stat& st = stats[i];
        if (stat(path.c_str(), &st) != 0) throw where(e, "file not found: " + path);
        if (!S_ISREG(st.st_mode)) throw where(e, "not a regular file: " + path);
        if (st.st_size > 0x7FFFFFFF) throw where(e, "file larger than 2 GiB: " + path);
        // The installer takes an item that loads empty for a damaged one, and the build's
        // check of the packed installer would then fail on it.
        if (st.st_size == 0 && tk::AsciiUpper(e.Name) != empty)
            throw where(e, "empty file: " + path + " (an item cannot be empty)");
        itemBytes += static_cast<std::uint64_t>(st.st_size);
    }
    CheckPayloadMemory(itemBytes, 0);
    // What the payload depends on, read before anything is packed: when it is what the
    // last pack into OUTDIR recorded, the outputs stand as they are.
    std::vector<PackSource> sources(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ManifestEntry& e = entries[i];
        const std::string path = e.File[0] == '/' ? e.File : filesDir + "/" + e.File;
        PackSource& source = sources[i];
        source.Name = tk::AsciiUpper(e.Name);
        source.FileName = source.Name == sameName ? tk::AsciiUpper(BaseName(entries.front().File))
                                                  : BaseName(e.File);
        if (e.Date) {
            source.Date = *e.Date;
        } else {
            std::tm local{};
            const std::time_t mtime = stats[i].st_mtime;
            localtime_r(&mtime, &local);
            try {
                source.Date = DosDateTime(local);
            } catch (const EPackError& error) {
                throw where(e, path + ": " + error.Message());
            }
        }
        if (source.Name != empty) {
            const std::string contents = ReadWholeFile(path);
            source.Size = contents.size();
            source.Crc = ContentsCrc32(contents);
        }
    }
    const std::string fingerprint = PackFingerprint(
        tk::Format("%08x corrupt=%s empty=%s same-name=%s plain=%d",
                   static_cast<unsigned>(ContentsCrc32(ReadWholeFile("/proc/self/exe"))),
                   corrupt.c_str(), empty.c_str(), sameName.c_str(), plain ? 1 : 0),
        sources);
    const std::string stamp = outDir + "/pack.stamp";
    if (FileContentsAre(stamp, fingerprint) && access((outDir + "/payload.rc").c_str(), F_OK) == 0) {
        std::printf("pentaro-pack: %s: the payload is up to date\n", manifest.c_str());
        return 0;
    }

    struct Packed {
        std::string Name;
        std::string Image;
    };
    std::vector<Packed> packed;
    std::uint64_t storedBytes = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ManifestEntry& e = entries[i];
        const std::string path = e.File[0] == '/' ? e.File : filesDir + "/" + e.File;
        const PackSource& source = sources[i];
        const std::string upper = source.Name;
        std::string contents = upper == empty ? std::string() : ReadWholeFile(path);
        // Read again: the file must still be what the fingerprint recorded.
        if (contents.size() != source.Size || ContentsCrc32(contents) != source.Crc)
            throw where(e, path + " changed while it was being packed");
        std::string image;
        try {
            image = MakePayloadImage(source.FileName, source.Date, contents);
        } catch (const EPackError& error) {
            throw where(e, error.Message());
        }
        if (upper == corrupt) image.back() = static_cast<char>(image.back() ^ 0x5A);
        storedBytes += image.size();
        if (!plain) image = ScramblePayloadImage(std::move(image));
        packed.push_back({upper, std::move(image)});
    }
    CheckPayloadMemory(itemBytes, storedBytes);

    mkdir(outDir.c_str(), 0777);
    std::string rc = "// Generated by pentaro-pack from " + BaseName(manifest) +
                     "; do not edit.\n"
                     "// The payload items: language-neutral RCDATA resources.\n"
                     "LANGUAGE 0, 0\n";
    // Each output is rewritten only when its bytes change, so that the build relinks only
    // then. payload.rc names each item's size and CRC-32: it changes with any of them,
    // and the resource compiler, which sees no other dependency, runs again.
    for (const Packed& p : packed) {
        const std::string bin = outDir + "/" + p.Name + ".bin";
        WriteFileIfDifferent(bin, p.Image);
        rc += tk::Format("// %zu bytes, CRC-32 %08x\n", p.Image.size(),
                         static_cast<unsigned>(ContentsCrc32(p.Image)));
        rc += p.Name + " RCDATA " + RcQuoted(bin) + "\n";
    }
    // LANGUAGE stays in force to the end of the including file; give the resources
    // that follow windres' own default back (English, United States).
    rc += "LANGUAGE 9, 1\n";
    WriteFileIfDifferent(outDir + "/payload.rc", rc);
    WriteWholeFile(stamp, fingerprint);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const tk::Exception& e) {
        std::fprintf(stderr, "pentaro-pack: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pentaro-pack: %s\n", e.what());
    }
    return 1;
}
