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

std::string LoadRcData(const std::string& name) {
    // Resource memory is read-only; these callers get a copy they may change.
    return std::string(FindRcData(name));
}

} // namespace tk
