/* Stands in for the web browser in the test prefixes: the prefix's http and https
   handlers run this program, which appends its arguments (the page address) as one
   line to C:\url-recorder.txt, so that nothing leaves the machine. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
    HANDLE file = CreateFileA("C:\\url-recorder.txt", FILE_APPEND_DATA, FILE_SHARE_READ, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    (void)instance;
    (void)previous;
    (void)show;
    if (file == INVALID_HANDLE_VALUE) return 1;
    WriteFile(file, arguments, (DWORD)lstrlenA(arguments), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
    return 0;
}
