#include "app/usage.h"

#include "app/startup.h"
#include "ui/dialogs.h"

#include <windows.h>

namespace {

void WriteAll(HANDLE out, const std::string& text) {
    DWORD written = 0;
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A program of the GUI subsystem has no console of its own: its standard output leads
// somewhere only when the caller redirected it; otherwise the console of the command
// prompt that started it is borrowed for the one write.
void WriteToStandardOutput(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) {
        WriteAll(out, text);
        return;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        // The prompt does not wait for a GUI program and stands already on the last line.
        WriteAll(console, "\r\n" + text);
        CloseHandle(console);
    }
    FreeConsole();
}

// The name the program was started under, without its folder.
std::string ProgramName() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "PentaroSetup.exe";
    const std::string full(path, length);
    return full.substr(full.find_last_of("\\/") + 1);
}

} // namespace

int ShowUsage(const InstallOptions& options) {
    const std::string text = UsageText(ProgramName());
    WriteToStandardOutput(text);
    if (!options.silent) ShowInfoCaption(ApplicationTitle(), text);
    return 0;
}
