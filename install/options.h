#pragma once
// The installer's command line, read once into a value. Portable: no system calls.
//
//   PentaroSetup.exe [/S|/SILENT] [/NOSHORTCUT] [/NOSTARTMENU] [/ALLUSERS] [/LOG=<f>]
//                    [/DOSBOX=<f>] [/D=<dir>]
//   PentaroSetup.exe /?
//   uninstall.exe [/S] [/LOG=<file>]
//
// Switches are case-insensitive. /D= must come last: everything after "/D=" up to the end
// of the line is the folder, blanks included, no quotes needed. The program's own path
// (quoted or not) comes first and is skipped. A word "/S" anywhere after it, also inside
// quotes or another argument, means silent: a deployment tool that asked for no window
// never gets one. So do the silent switches of other installers that administrators type
// from habit: /VERYSILENT, /QUIET, /Q and /QN; their /SILENT and /PASSIVE mean silent with
// the progress window. Their switches that change nothing here (/SUPPRESSMSGBOXES,
// /NORESTART, ...) are accepted and named. The "/t" rule of the start-up check is a
// substring search that stays outside this parser; the parser only gives it the text to
// search (testSwitchText).
#include <string>
#include <vector>

struct InstallOptions {
    // /S: install without any window, dialog or web page; the outcome is the exit code.
    bool silent = false;
    // /SILENT or /PASSIVE (and no windowless silent switch): silent, but the progress window
    // shows while the files are written. It asks nothing and cannot be stopped.
    bool showProgress = false;
    // /?, /H or /HELP: the switches and exit codes are shown instead of installing.
    bool help = false;
    // /NOSHORTCUT: the unattended answer to the desktop-shortcut question is No.
    bool noShortcut = false;
    // /NOSTARTMENU: no entry in the Start menu's programs.
    bool noStartMenu = false;
    // /ALLUSERS: install for every user of the computer (the Apps & Features entry in
    // HKLM, the shortcuts on the public desktop); needs administrator rights.
    bool allUsers = false;
    // /UNINSTALLCOPY=<process>,<pipe>: set only by the uninstaller for the copy of itself
    // that it starts from the temporary folder (uninstall/uninstaller.h): the inherited handles
    // of the first process and of the pipe that carries the result back, as decimal
    // numbers. /D= then names the folder to remove the product from.
    std::string uninstallCopy;
    // /D=<folder>: the install folder as written, quotes dropped and the blanks (and line
    // breaks) around it cut; its case is kept here (the unattended install and the main
    // window's field then use it in lower case).
    bool hasFolder = false;
    std::string folder;
    // /LOG=<file>: a plain-text log appended to; empty for none. Given once at most.
    std::string logFile;
    // /DOSBOX=<executable>: DOSBox's executable, instead of looking for it; empty for none.
    std::string dosBoxExe;
    // Other installers' switches that change nothing here, as written, for the log.
    std::vector<std::string> ignored;
    // Arguments that are none of the above, as written.
    std::vector<std::string> unknown;
    // Why the line cannot be used as given (an empty /D=, /LOG= or /DOSBOX=, a second
    // /LOG=, a switch after /D= or inside the file of /LOG= or /DOSBOX=, a /S inside
    // another argument, a quote left open, a path with blanks not quoted); empty when it can.
    std::string error;
    // The error is a path after an unquoted /LOG= or /DOSBOX= cut at a blank: told before the
    // start-up check, which would look for the cut /DOSBOX= path.
    bool pathCut = false;
    // The command line as the start-up check searches it for "/t": all of it but the values
    // of /D=, /LOG= and /DOSBOX=, which are paths that scripts write with forward slashes. A
    // word inside such a value that begins with '/' stays, since it was written as a switch.
    std::string testSwitchText;

    // True when the line has anything this parser does not accept.
    bool Bad() const { return !error.empty() || !unknown.empty(); }
    // What is wrong, for the log: the error, else the first unknown argument.
    std::string Problem() const;
};

// Parses the whole command line, as the program reads it in the ANSI code page.
InstallOptions ParseCommandLine(const std::string& commandLine);

// What /? shows: how to start `program` (the installer's file name), the switches and every
// exit code with its name; lines end in "\r\n".
std::string UsageText(const std::string& program);
