#pragma once
// The text of the DOSBox configuration file "dosbox.conf": the template that the installer
// carries as the RCDATA resource "rs_Conf", followed by autoexec lines that mount the install
// folder as drive C:, delete the print file of the previous run and start the product.
// Nothing here touches the file system; dosbox/conf.h writes the file.
#include <string>

// Name of the template resource.
inline constexpr char kDosBoxConfResource[] = "rs_Conf";
// Name of the configuration file in the install folder.
inline constexpr char kDosBoxConfName[] = "dosbox.conf";

// A path split the way the shell splits it: Folder is everything up to and including the last
// backslash or drive colon (empty when there is none), FileName the rest.
struct ProgramPathParts {
    std::string Folder;
    std::string FileName;
};
ProgramPathParts SplitProgramPath(const std::string& path);

// `path` as one argument of a DOSBox 0.74 command line (a shell command or its own "-conf").
// DOSBox splits such lines at blanks and reads a double-quoted stretch as one word, so a path
// with a blank is put in double quotes; any other path is returned unchanged.
std::string QuoteForDosBox(const std::string& path);

// The five autoexec lines, each ended by CR LF:
//   mount c <folder>, c:, del f, <fileName> /ns, exit
// `folder` is the install folder; its trailing backslashes are dropped and it is quoted by
// QuoteForDosBox. DOSBox runs the autoexec as a batch file, where "%" starts a variable, so every
// "%" in the folder or the file name is doubled to reach the command as written.
std::string DosBoxAutoexec(const std::string& folder, const std::string& fileName);

// The whole configuration file for the DOS program `programPath` (its folder is mounted as C:,
// its file name is run): `confTemplate` cut just before its first "mount c " (case-sensitive;
// a leftover mount line there would otherwise run before ours), then DosBoxAutoexec.
std::string BuildDosBoxConf(const std::string& confTemplate, const std::string& programPath);
