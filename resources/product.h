#pragma once
// The product's vocabulary, fixed in the installer: its name, maker, version and the
// names of its files. The one home of each of these values; the version resource
// (PentaroSetup.rc, which sees only the macros) and the build (CMakeLists.txt reads the
// version numbers from here) use it too.

#define PENTARO_VERSION_MAJOR 3
#define PENTARO_VERSION_MINOR 24
#define PENTARO_TEXT_OF(x) #x
#define PENTARO_TEXT(x) PENTARO_TEXT_OF(x)
// "3.24"
#define PENTARO_VERSION_TEXT                                                                       \
    PENTARO_TEXT(PENTARO_VERSION_MAJOR) "." PENTARO_TEXT(PENTARO_VERSION_MINOR)
#define PENTARO_PRODUCT_NAME "Pentaro"
#define PENTARO_MAKER "Corvane"
// The maker's web address, which the installer's signature shows (scripts/sign reads it).
#define PENTARO_MAKER_URL "https://www.corvane.com/"

#ifndef RC_INVOKED

inline constexpr char ProductName[] = PENTARO_PRODUCT_NAME;
inline constexpr char ProductVersion[] = PENTARO_VERSION_TEXT;
// "Pentaro 3.24": what Windows lists the product as (Apps & Features, the Start menu).
inline constexpr char ProductDisplayName[] = PENTARO_PRODUCT_NAME " " PENTARO_VERSION_TEXT;
inline constexpr char ProductMaker[] = PENTARO_MAKER;
// The date of this version, as the main window shows it beside the version.
inline constexpr char ProductReleaseDate[] = "05/11/04";
// The short mark, the name of the product's icon in messages.
inline constexpr char ProductMark[] = "P+";
// The maker's sibling product, from inside which this one is normally started with the
// function key, and the title of that product's installer, which this installer's
// start-up warning carries too.
inline constexpr char SiblingProductName[] = "Helmstar";
inline constexpr char SiblingFunctionKey[] = "F6";
inline constexpr char SiblingInstallerTitle[] = "Helmstar355 Installer";

// Files of the product, in the install folder.
inline constexpr char ProductProgramFile[] = "pentaro.exe"; // the 32-bit desktop shortcut's target
inline constexpr char DosProgramFile[] = "tarnw.exe";       // what dosbox.conf starts
inline constexpr char ProductIconFile[] = "penta.ico";      // every shortcut's icon
inline constexpr char PrintUtilityFile[] = "spool32.exe"; // sends the print file to the printer
inline constexpr char PrintFile[] = "f"; // what the product's "print to file" writes
// Files of the maker's other products that the installer looks for.
inline constexpr char SiblingProgramFile[] = "tarn.exe"; // in the install folder
inline constexpr char MenuProgramFile[] = "tqmenu.exe";  // in the install folder's parent

// The product's Apps & Features entry, a key under
// Software\Microsoft\Windows\CurrentVersion\Uninstall; administrators' detection rules
// name it, so it never changes.
inline constexpr char UninstallKeyName[] = "Corvane Pentaro";
// Written into the install folder beside the product's files: the uninstaller and the
// record of what the install made, which the uninstaller reads.
inline constexpr char UninstallerFile[] = "uninstall.exe";
inline constexpr char InstallRecordFile[] = "uninstall.rec";

#endif
