#include "engine/pe_file_win.h"

#include "toolkit/win32_error.h"

#include <windows.h>

PeFileOnHandle::PeFileOnHandle(void* file) : file_(file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size)) throw tk::Exception(tk::SystemErrorMessage(GetLastError()));
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

void PeFileOnHandle::Read(std::uint64_t offset, char* out, std::size_t n) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    const bool ok = ReadFile(file_, out, static_cast<DWORD>(n), &read, &at) != 0;
    if (!ok || read != n)
        throw tk::Exception(tk::SystemErrorMessage(ok ? ERROR_HANDLE_EOF : GetLastError()));
}
