#pragma once
// The few COM pieces the shortcut maker needs: an owning interface pointer, object creation and
// interface queries that raise the installer's errors instead of returning HRESULTs.
#include <objbase.h>

#include <utility>

// The shell link class and the interfaces used, defined here rather than taken from the
// import library of all the system's GUIDs, which would add some 40 KB to the installer.
inline constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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

// A new object of class `clsid`, in-process or local server (CLSCTX 5), as IUnknown.
// Raises EOleSysError (dosbox/shortcuts.h) when it cannot be created.
ComPtr<IUnknown> CreateComObject(const CLSID& clsid);

// The interface `iid` of `object`, which must be of type T. Raises EIntfCastError when the
// object does not support it.
void* QueryComInterfaceRaw(IUnknown* object, const IID& iid);
template <class T> ComPtr<T> QueryComInterface(IUnknown* object, const IID& iid) {
    return ComPtr<T>(static_cast<T*>(QueryComInterfaceRaw(object, iid)));
}
