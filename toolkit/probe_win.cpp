#include "toolkit/probe.h"

#ifdef PENTARO_PROBES

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace tk {

namespace {

struct Mark {
    const char* name;
    ULONGLONG time; // 100 ns units, as FILETIME
};

// Fixed room, filled without allocating: a probe must not change what it measures.
Mark marks[4096];
int markCount = 0;

ULONGLONG FileTimeValue(const FILETIME& t) {
    return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

// The system time (which the process creation time is given in) at the first probe,
// carried on with the performance counter, which is much finer.
ULONGLONG Now() {
    static LARGE_INTEGER frequency, first;
    static ULONGLONG firstTime = 0;
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    if (firstTime == 0) {
        QueryPerformanceFrequency(&frequency);
        first = counter;
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        firstTime = FileTimeValue(now);
    }
    return firstTime + static_cast<ULONGLONG>((counter.QuadPart - first.QuadPart) * 10000000 /
                                              frequency.QuadPart);
}

void WriteMarks() {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("PENTARO_PROBE_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const ULONGLONG start = FileTimeValue(created);
    std::FILE* out = std::fopen(path, "a");
    if (out == nullptr) return;
    for (int i = 0; i < markCount; ++i)
        std::fprintf(out, "%.3f\t%s\n",
                     (static_cast<double>(marks[i].time) - static_cast<double>(start)) / 1e4,
                     marks[i].name);
    std::fclose(out);
}

} // namespace

void Probe(const char* name) {
    if (markCount == 0) std::atexit(WriteMarks);
    if (markCount < static_cast<int>(sizeof marks / sizeof marks[0]))
        marks[markCount++] = {name, Now()};
}

} // namespace tk

#endif
