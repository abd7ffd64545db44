// The floor for the installer's load and write passes: the payload items of an installer
// inflated straight into buffers of their stated size and written with one call each,
// with their dates, and nothing else (no window, no copy of the resource, no zero-fill).
//
//   inflate_floor INSTALLER TARGET-FOLDER
//
// Reads the installer's payload resources first (not timed: the copy and the unscramble
// are the installer's costs, not the floor's), then prints "floor MS", the milliseconds
// for inflating and writing every item. Exit code 1 when the installer cannot be read or
// a file cannot be written.
#include "engine/payload.h"

#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string image; // unscrambled resource
    std::string name;
    std::uint32_t size = 0;
    std::uint32_t date = 0;
};

std::uint32_t U32(const std::string& s, std::size_t offset) {
    std::uint32_t v;
    std::memcpy(&v, s.data() + offset, 4);
    return v;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: inflate_floor INSTALLER TARGET-FOLDER\n");
        return 2;
    }
    HMODULE module = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string key = BuildPayloadKeyStream();
    std::vector<Item> items;
    std::string catalogue = PayloadCatalogue;
    for (std::size_t start = 0; start < catalogue.size();) {
        std::size_t comma = catalogue.find(',', start);
        if (comma == std::string::npos) comma = catalogue.size();
        const std::string name = catalogue.substr(start, comma - start);
        start = comma + 1;
        HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10));
        HGLOBAL handle = info != nullptr ? LoadResource(module, info) : nullptr;
        const char* data =
            handle != nullptr ? static_cast<const char*>(LockResource(handle)) : nullptr;
        if (data == nullptr) {
            std::fprintf(stderr, "no resource %s\n", name.c_str());
            return 1;
        }
        Item item;
        item.image.assign(data, SizeofResource(module, info));
        UnscrambleBytes(key, item.image.data(), item.image.size());
        item.size = U32(item.image, 4);
        item.date = U32(item.image, 12);
        item.name = item.image.substr(PayloadNameOffset + 1,
                                      static_cast<unsigned char>(item.image[PayloadNameOffset]));
        items.push_back(std::move(item));
    }
    const std::string folder = std::string(argv[2]) + "\\";
    CreateDirectoryA(argv[2], nullptr);

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (const Item& item : items) {
        // malloc, not a std::string: the floor writes into memory nobody has zero-filled.
        auto* out = static_cast<Bytef*>(std::malloc(item.size ? item.size : 1));
        z_stream z{};
        inflateInit(&z);
        z.next_in =
            reinterpret_cast<Bytef*>(const_cast<char*>(item.image.data())) + PayloadHeaderSize;
        z.avail_in = static_cast<uInt>(item.image.size() - PayloadHeaderSize);
        z.next_out = out;
        z.avail_out = item.size;
        const int ret = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (ret != Z_STREAM_END) {
            std::fprintf(stderr, "%s does not inflate\n", item.name.c_str());
            return 1;
        }
        HANDLE file = CreateFileA((folder + item.name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file == INVALID_HANDLE_VALUE || !WriteFile(file, out, item.size, &written, nullptr)) {
            std::fprintf(stderr, "cannot write %s\n", item.name.c_str());
            return 1;
        }
        FILETIME local, utc;
        DosDateTimeToFileTime(static_cast<WORD>(item.date >> 16), static_cast<WORD>(item.date),
                              &local);
        LocalFileTimeToFileTime(&local, &utc);
        SetFileTime(file, nullptr, nullptr, &utc);
        CloseHandle(file);
        std::free(out);
    }
    QueryPerformanceCounter(&end);
    std::printf("floor\t%.1f\n", Milliseconds(start, end));
    return 0;
}
