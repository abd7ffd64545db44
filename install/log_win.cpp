#include "install/log.h"

#include "toolkit/format.h"
#include "toolkit/handles_win.h"

#include <windows.h>

void InstallLog::Write(const std::string& heading, const std::string& text) {
    if (path_.empty() || !working_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string stamp = tk::Format("%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                                   now.wHour, now.wMinute, now.wSecond);
    std::string entry = LogEntry(stamp, heading, text);
    // FILE_APPEND_DATA alone: every write goes to the end, also when another instance
    // appends to the same log between two entries.
    tk::FileHandle file(CreateFileA(path_.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.Valid() ||
        !WriteFile(file.Get(), entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr) ||
        written != entry.size())
        working_ = false;
}
