#pragma once
// Placement and text rules of the installer's windows that need no window system.
#include <cstdint>
#include <string>

// The left edge that centres something `ownWidth` wide in a parent `parentWidth` wide:
// the difference halved, rounded toward zero (-7 gives -3).
int CenteredLeft(int parentWidth, int ownWidth);

// `value` in decimal with `separator` between groups of three digits, no decimals:
// 1234567 with "," gives "1,234,567" (the "%.0n" number format).
std::string FormatThousands(std::uint32_t value, const std::string& separator);

// The progress window's status line: "<done> of <total> bytes", both numbers formatted
// with FormatThousands.
std::string BytesDoneText(std::uint32_t done, std::uint32_t total, const std::string& separator);

// The root whose drive type decides whether a folder may receive the installation: its
// first three characters ("c:\" for "c:\tq"), all of it when shorter.
std::string InstallRoot(const std::string& folder);

// True when `root` (an InstallRoot) is a drive letter and a colon, alone or followed by a
// separator ("c:\", "c:/", "c:"; the run makes "c:" the root "c:\"). Only such a root
// names a drive: Windows answers other text with "no such root", but Wine resolves a
// relative one ("tq", "c:t") against the current folder and may call it a fixed drive.
bool IsDriveRoot(const std::string& root);

// The refusal of a folder picked in the browser whose name the installer's 8-bit text
// cannot hold exactly; `shown` is the path with '?' for such characters.
std::string UnusableFolderMessage(const std::string& shown);

// Removable (2), fixed (3) and remote (4) drives may receive the installation; unknown,
// missing roots, CD-ROMs and RAM disks may not.
bool IsInstallableDriveType(unsigned driveType);

// The logo's "P+": font cell height for an image `height` high framed by a pen
// `penWidth` wide, and where text `textWidth` x `textHeight` goes in an image
// `width` x `height` (both quotients rounded toward zero).
int LogoFontHeight(int height, int penWidth);
int LogoTextLeft(int width, int textWidth);
int LogoTextTop(int height, int textHeight);
