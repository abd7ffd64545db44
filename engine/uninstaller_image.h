#pragma once
// The uninstaller's program: the installer's own image without its payload. One function
// makes it, at build time from the linked installer (to check it and to sign it) and at
// install time from the running installer's file (to write uninstall.exe), so that the two
// are the same bytes and a signature made for the one fits the other. A signed installer
// carries the uninstaller's signature (a few KB) as a resource, which the install appends
// to the image it writes.
#include "engine/pe_resources.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The RCDATA resource that carries the uninstaller's signature in a signed installer:
//   0..3   "PUSG"
//   4..7   the size of the unsigned uninstaller image it was made for
//   8..11  the signed uninstaller's checksum
//   12..   its certificate table, as appended to the image
inline constexpr char UninstallerSignatureName[] = "RS_UNINSTALLSIG";

// The uninstaller's image: `installer` without the payload items (PayloadCatalogue), the
// carried signature and any certificate table, its resources rebuilt (RebuildResources).
// The same bytes for every installer that differs from `installer` only in those, signed
// or not. Raises EPeError (and what `installer` raises when it cannot be read).
std::string UninstallerImage(const PeFileBytes& installer);

// What the installer writes as uninstall.exe: UninstallerImage(installer), signed with the
// carried signature when the installer carries one. An installer that is signed but
// carries no signature for its uninstaller (signed by other means than scripts/sign)
// gives its own bytes, whole: a signed installer never leaves an unsigned uninstaller.
// Raises EPeError, also for a carried signature made for another image.
std::string UninstallerBytes(const PeFileBytes& installer);
// UninstallerBytes handed to `put` in order, in pieces: the installer's own bytes are read
// and handed on a piece of at most kUninstallerPiece at a time, so that a signed installer of
// any size is never held in memory whole. Raises as UninstallerBytes, possibly after some
// pieces went out.
void UninstallerPieces(const PeFileBytes& installer,
                       const std::function<void(const char*, std::size_t)>& put);
inline constexpr std::size_t kUninstallerPiece = 1 << 20;

// `installer` carrying the signature of `signedUninstaller`, which must be
// UninstallerImage(installer) signed (nothing else changed, nothing after the signature):
// the installer to sign next. Unsigned; its resources rebuilt, its uninstaller image the
// same. Raises EPeError naming what does not fit.
std::string CarryUninstallerSignature(const PeFileBytes& installer,
                                      std::string_view signedUninstaller);

// How much larger than the installer's stub (the installer without its payload items) the
// uninstaller may be: room for its own signature and the resource section's alignment.
inline constexpr std::uint64_t UninstallerAllowance = 16 * 1024;

// The promise an uninstaller keeps, checked on every installer the build links: it
// carries no payload item; of resources, only those the program reads (its manifest, its
// icons and their group, its version, and by name the window layouts and the DOSBox
// template), so that a resource added to the installer does not ride along unnoticed
// whatever its size; and it is no larger than the stub and UninstallerAllowance.
// `uninstaller` is what `installer` writes (UninstallerBytes).
struct UninstallerCheck {
    std::uint64_t stub = 0;          // the installer's bytes without its payload items
    std::vector<std::string> broken; // one line for each breach; empty: the promise holds
};
// Raises EPeError for a file it cannot read.
UninstallerCheck CheckUninstaller(std::string_view installer, std::string_view uninstaller);
