/* A DLL that lies beside a test program, as a planted DLL would lie beside the installer.
 * Loaded into a process, it leaves a marker C:\dll-markers\<its own file name>.txt holding
 * the program's path, when that folder exists. */
#include <windows.h>

__declspec(dllexport) int PentaroDllProbe(void) {
    return 42;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH], program[MAX_PATH], marker[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/') name = c + 1;
    lstrcpyA(marker, "C:\\dll-markers\\");
    lstrcatA(marker, name);
    lstrcatA(marker, ".txt");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written;
    length = GetModuleFileNameA(NULL, program, MAX_PATH);
    WriteFile(file, program, length < MAX_PATH ? length : 0, &written, NULL);
    CloseHandle(file);
    return TRUE;
}
