#include "tools/host_files.h"

#include "toolkit/format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string ReadWholeFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        throw EHostFileError(tk::Format("cannot read %s: %s", path.c_str(), std::strerror(errno)));
    std::string data;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw EHostFileError("cannot read " + path);
    return data;
}

void WriteWholeFile(const std::string& path, const std::string& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        throw EHostFileError(tk::Format("cannot write %s: %s", path.c_str(), std::strerror(errno)));
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (std::fclose(f) != 0 || !ok) throw EHostFileError("cannot write " + path);
}

bool FileContentsAre(const std::string& path, const std::string& data) {
    try {
        return ReadWholeFile(path) == data;
    } catch (const EHostFileError&) {
        return false;
    }
}

void WriteFileIfDifferent(const std::string& path, const std::string& data) {
    if (!FileContentsAre(path, data)) WriteWholeFile(path, data);
}
