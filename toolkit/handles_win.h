#pragma once
// Owners for the system handles the installer holds outside GDI (which has toolkit/gdi.h):
// files, file searches, registry keys, shell item ID lists, loaded libraries, security
// descriptors made from SDDL, the thread's COM level and COM interface pointers. Each releases what it holds on every path and
// cannot be copied.
#include <windows.h>

#include <objbase.h>
#include <sddl.h>
#include <shtypes.h>

#include <string>
#include <utility>

namespace tk {

// A file handle from CreateFileA (INVALID_HANDLE_VALUE when the open failed).
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    // Closes the handle now. False when CloseHandle failed (the system's last error says
    // why: a network file may report a lost write only here); true when nothing was open.
    bool Close() {
        if (!Valid()) return true;
        const bool closed = CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != FALSE;
        return closed;
    }
    // Hands the handle over to the caller, who closes it.
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

private:
    HANDLE handle_;
};

// A search from FindFirstFileA, closed with FindClose.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (Valid()) FindClose(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// A shell item ID list that the shell allocated for us, freed with CoTaskMemFree.
class ItemIdList {
public:
    ItemIdList() = default;
    explicit ItemIdList(LPITEMIDLIST list) : list_(list) {}
    ItemIdList(const ItemIdList&) = delete;
    ItemIdList& operator=(const ItemIdList&) = delete;
    ~ItemIdList() { CoTaskMemFree(list_); }
    // For out-parameters: frees what is held and hands out the slot.
    LPITEMIDLIST* Receive() {
        CoTaskMemFree(std::exchange(list_, nullptr));
        return &list_;
    }
    LPITEMIDLIST Get() const { return list_; }

private:
    LPITEMIDLIST list_ = nullptr;
};

// An open registry key, closed with RegCloseKey.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    bool Valid() const { return key_ != nullptr; }
    HKEY Get() const { return key_; }
    // For out-parameters: closes what is held and hands out the slot.
    HKEY* Receive() {
        if (key_ != nullptr) RegCloseKey(std::exchange(key_, nullptr));
        return &key_;
    }

private:
    HKEY key_ = nullptr;
};

// The KERNEL32 export `name` as a function of type Proc, or null where this Windows lacks it
// (calls newer than the oldest supported system are looked up, not imported). Needs nothing
// but KERNEL32, so it serves before the C runtime starts too.
#ifdef PENTARO_TEST_SEAMS
// Test builds only: true when the environment variable PENTARO_TEST_MISSING_EXPORTS names
// `name` in its comma-separated list, so that a test under a newer system runs the way for
// the older one (as on Windows XP). Plain KERNEL32 calls, no allocation.
inline bool TestHidesExport(const char* name) {
    char list[512];
    const DWORD length = GetEnvironmentVariableA("PENTARO_TEST_MISSING_EXPORTS", list, sizeof list);
    if (length == 0 || length >= sizeof list) return false;
    for (const char* item = list; *item != '\0';) {
        const char* end = item;
        while (*end != '\0' && *end != ',')
            ++end;
        const char* wanted = name;
        const char* at = item;
        while (at != end && *wanted != '\0' && *at == *wanted) {
            ++at;
            ++wanted;
        }
        if (at == end && *wanted == '\0') return true;
        item = *end == ',' ? end + 1 : end;
    }
    return false;
}
#endif

template <typename Proc> Proc KernelExport(const char* name) {
#ifdef PENTARO_TEST_SEAMS
    if (TestHidesExport(name)) return nullptr;
#endif
    FARPROC address = GetProcAddress(GetModuleHandleA("kernel32"), name);
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(address));
}

// A DLL from the system folder only, kept loaded for the life of the process; null when
// it did not load. One of the same name beside the installer (on the CD, in the Downloads
// folder) must never be loaded. LOAD_LIBRARY_SEARCH_SYSTEM32 exists from Windows 8 on and
// on Windows 7 with KB2533623; where it does not, the call fails and the full path of the
// system folder's copy does the same.
inline HMODULE LoadSystemLibrary(const char* name) {
    const DWORD searchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    HMODULE module = LoadLibraryExA(name, nullptr, searchSystem32);
    if (module != nullptr) return module;
    char folder[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    return LoadLibraryA((std::string(folder, length) + "\\" + name).c_str());
}

// A library loaded with LoadLibraryA and freed with FreeLibrary; null when it did not load.
class Library {
public:
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    // With LoadLibraryExA's flags, such as LOAD_LIBRARY_AS_DATAFILE to read the resources
    // of an executable that is never run (also one for another processor).
    Library(const char* name, DWORD flags) : module_(LoadLibraryExA(name, nullptr, flags)) {}
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() {
        if (module_ != nullptr) FreeLibrary(module_);
    }
    HMODULE Get() const { return module_; }
    // The export `name`, or null. Exports are looked up as untyped addresses; the caller
    // knows the real signature.
    void* Find(const char* name) const {
        return module_ != nullptr ? reinterpret_cast<void*>(GetProcAddress(module_, name))
                                  : nullptr;
    }

private:
    HMODULE module_;
};

// A security descriptor made from SDDL text, freed with LocalFree (the caller's last error
// kept); Get() is null, and the system's last error says why, when the text was refused.
class SecurityDescriptor {
public:
    explicit SecurityDescriptor(const std::string& sddl) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                  &descriptor_, nullptr))
            descriptor_ = nullptr;
        attributes_ = {sizeof attributes_, descriptor_, FALSE};
    }
    SecurityDescriptor(const SecurityDescriptor&) = delete;
    SecurityDescriptor& operator=(const SecurityDescriptor&) = delete;
    ~SecurityDescriptor() {
        const DWORD error = GetLastError();
        if (descriptor_ != nullptr) LocalFree(descriptor_);
        SetLastError(error);
    }
    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }
    // For a call that creates an object with this access (not inherited by child processes).
    SECURITY_ATTRIBUTES* Attributes() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// One level of COM on the calling thread, apartment-threaded, for as long as it lives.
// When the thread already has its apartment the call only counts up (S_FALSE) and the
// destructor counts down again; when the thread is in a multithreaded apartment the call
// fails and nothing is undone.
class ComInitialization {
public:
    ComInitialization()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (initialised_) CoUninitialize();
    }
    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};

// Owns one reference to a COM interface and releases it on every way out.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** Receive() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
    }

private:
    T* pointer_ = nullptr;
};

} // namespace tk
