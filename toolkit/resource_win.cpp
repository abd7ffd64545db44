#include "toolkit/resource.h"

#include <windows.h>

namespace tk {

std::string LoadRcData(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (info == nullptr) throw EResNotFound(name);
    DWORD size = SizeofResource(module, info);
    HGLOBAL handle = LoadResource(module, info);
    const void* data = handle != nullptr ? LockResource(handle) : nullptr;
    if (data == nullptr) throw EResNotFound(name);
    // Resource memory is part of the mapped image and read-only; callers get a copy.
    return std::string(static_cast<const char*>(data), size);
}

} // namespace tk
