#include "engine/log.h"

#include "engine/files.h"
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
    // Never through a link: as the system account, a log in a folder users share would
    // otherwise let a user's link send the text over any file.
    tk::FileHandle file(OpenToAppend(path_));
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
