#pragma once
// The few COM pieces the shortcut maker needs: object creation and interface queries that
// raise the installer's errors instead of returning HRESULTs.
#include "toolkit/handles_win.h"

#include <objbase.h>

// The shell link class and the interfaces used, defined here rather than taken from the
// import library of all the system's GUIDs, which would add some 40 KB to the installer.
inline constexpr CLSID kClsidShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidShellLinkA = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistStream = {
    0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID kIidPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// A new object of class `clsid`, in-process or local server (CLSCTX 5), as IUnknown.
// Raises EOleSysError (dosbox/shortcuts.h) when it cannot be created.
tk::ComPtr<IUnknown> CreateComObject(const CLSID& clsid);

// The interface `iid` of `object`, which must be of type T. Raises EIntfCastError when the
// object does not support it.
void* QueryComInterfaceRaw(IUnknown* object, const IID& iid);
template <class T> tk::ComPtr<T> QueryComInterface(IUnknown* object, const IID& iid) {
    return tk::ComPtr<T>(static_cast<T*>(QueryComInterfaceRaw(object, iid)));
}
