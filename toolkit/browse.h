#pragma once
// The shell's folder browser as an action: text above the tree, options, an initial
// folder; Execute runs it modally and leaves the chosen folder in Folder.
#include <windows.h>

#include <string>

namespace tk {

class TBrowseForFolder {
public:
    // Shown above the folder tree.
    std::string Text;
    // BIF_* flags (BIF_NEWDIALOGSTYLE, BIF_RETURNONLYFSDIRS, ...).
    unsigned Options = 0;
    // The initial selection before Execute, the chosen folder after a confirmation;
    // unchanged when the user cancels.
    std::string Folder;
    // After Execute: the path of a confirmed folder that has no exact form in the ANSI
    // code page (see WideToAnsiExact), '?' standing for each character without one;
    // Folder then stays as it was. Empty otherwise.
    std::string Unusable;

    // Runs the browser owned by `owner`, centred on `owner`'s monitor. True when the
    // user confirmed a folder with a file-system path that the ANSI code page holds
    // exactly. The browser works in UTF-16 throughout, so that a name such as
    // "x\uFF3C..\uFF3C..\uFF3Cevil" never comes back as its look-alike "x\..\..\evil".
    bool Execute(HWND owner);

    // Loads the shell (shell32.dll and what it brings, from the system folder) ahead of
    // Execute, for a page that offers the browser: the first shell call then finds it there
    // rather than waiting for it. Kept out of the start-up, before the first window.
    static void Prepare();
};

} // namespace tk
