// The yardstick for the installer's write pass: the same files copied with the system's
// plain file copy.   plain_copy SOURCE-FOLDER TARGET-FOLDER FILE...
// Prints "copy MS" (the milliseconds for all files together, timed inside the program so
// that process start-up is not counted). Exit code 1 when a file cannot be copied.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: plain_copy SOURCE-FOLDER TARGET-FOLDER FILE...\n");
        return 2;
    }
    std::string source = std::string(argv[1]) + "\\";
    std::string target = std::string(argv[2]) + "\\";
    CreateDirectoryA(argv[2], nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 3; i < argc; ++i) {
        std::string name = argv[i];
        std::string base = name.substr(name.find_last_of("\\/") + 1);
        if (!CopyFileA((source + name).c_str(), (target + base).c_str(), FALSE)) {
            std::fprintf(stderr, "cannot copy %s: error %lu\n", name.c_str(), GetLastError());
            return 1;
        }
    }
    QueryPerformanceCounter(&end);
    std::printf("copy\t%.1f\n", static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                                    static_cast<double>(frequency.QuadPart));
    return 0;
}
