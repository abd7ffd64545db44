#include "toolkit/process_win.h"

#include "toolkit/handles_win.h"

#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

namespace tk {

unsigned long ParentProcessId() {
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot.Valid() && Process32First(snapshot.Get(), &entry); more;
         more = Process32Next(snapshot.Get(), &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) return entry.th32ParentProcessID;
    return 0;
}

namespace {

using QueryProc = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// QueryFullProcessImageNameA, which comes with the limited query right (Vista on); null on
// Windows XP.
QueryProc QueryImageName() {
    static const auto query = KernelExport<QueryProc>("QueryFullProcessImageNameA");
    return query;
}

} // namespace

unsigned long ProcessQueryRight() {
    return QueryImageName() != nullptr ? PROCESS_QUERY_LIMITED_INFORMATION
                                       : PROCESS_QUERY_INFORMATION;
}

std::string ProgramPathOfProcess(void* process, unsigned long id) {
    const QueryProc query = QueryImageName();
    if (query == nullptr) return ProgramPathFromModuleList(id);
    char image[MAX_PATH];
    DWORD length = MAX_PATH;
    return query(process, 0, image, &length) ? std::string(image, length) : std::string();
}

std::string ProgramPathFromModuleList(unsigned long id) {
    FileHandle modules(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, id));
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    return modules.Valid() && Module32First(modules.Get(), &module) ? std::string(module.szExePath)
                                                                    : std::string();
}

} // namespace tk
