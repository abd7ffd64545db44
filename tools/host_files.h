#pragma once
// Whole-file reading and writing for the native tools.
#include "toolkit/exception.h"

#include <string>

class EHostFileError : public tk::Exception {
public:
    using tk::Exception::Exception;
};

// The file's bytes; raises EHostFileError "cannot read <path>: <reason>".
std::string ReadWholeFile(const std::string& path);
// Creates or replaces the file with `data`; raises EHostFileError "cannot write <path>...".
void WriteWholeFile(const std::string& path, const std::string& data);
// WriteWholeFile, unless the file already holds exactly `data` (its time then stays).
void WriteFileIfDifferent(const std::string& path, const std::string& data);
// True when the file exists and holds exactly `data`.
bool FileContentsAre(const std::string& path, const std::string& data);
