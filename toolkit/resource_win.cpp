#include "toolkit/resource.h"

#include <windows.h>

namespace tk {

std::string_view FindRcData(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (info == nullptr) throw EResNotFound(name);
    DWORD size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle != nullptr ? LockResource(handle) : nullptr;
    if (data == nullptr) throw EResNotFound(name);
    // Part of the mapped image: nothing to release.
    return {static_cast<const char*>(data), size};
}

std::int64_t ImageFileOffset(std::string_view bytes) {
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* start = reinterpret_cast<const unsigned char*>(bytes.data());
    if (start < base) return -1;
    const std::uintptr_t rva = static_cast<std::uintptr_t>(start - base);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::uintptr_t begin = section->VirtualAddress;
        if (rva < begin) continue;
        const std::uintptr_t within = rva - begin;
        // Only the section's bytes from the file; the rest of its memory is zero-filled.
        if (within > section->SizeOfRawData || bytes.size() > section->SizeOfRawData - within)
            continue;
        return static_cast<std::int64_t>(section->PointerToRawData) +
               static_cast<std::int64_t>(within);
    }
    return -1;
}

std::string LoadDeflatedRcData(const std::string& name) {
    return InflateRcData(name, FindRcData(name));
}

} // namespace tk
