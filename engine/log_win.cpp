#include "engine/log.h"

#include "toolkit/format.h"
#include "toolkit/handles_win.h"

#include <windows.h>

void InstallLog::Write(const std::string& heading, const std::string& text) {
    if (path_.empty() || !working_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string stamp = tk::Format("%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
                                   now.wHour, now.wMinute, now.wSecond);
    held_ += LogEntry(stamp, heading, text);
    if (releasing_) Append();
}

void InstallLog::Release() {
    releasing_ = true;
    if (!path_.empty() && working_ && !held_.empty()) Append();
}

void InstallLog::Append() {
    // FILE_APPEND_DATA alone: every write goes to the end, also when another instance
    // appends to the same log between two entries.
    tk::FileHandle file(CreateFileA(path_.c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        // A folder still to be made (the install folder, say): the entries wait for it.
        if (GetLastError() != ERROR_PATH_NOT_FOUND) working_ = false;
        return;
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), held_.data(), static_cast<DWORD>(held_.size()), &written, nullptr) ||
        written != held_.size())
        working_ = false;
    held_.clear();
}
