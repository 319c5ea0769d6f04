// Windows headers and the conversions between the seam's opaque handles and the real ones.
// Only platform/win32 and the program's entry include this.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "platform/Types.h"
#include "platform/UniqueHandle.h"

#include <cstdint>

namespace hb::win32 {

inline HWND ToNative(Hwnd h) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h));
}
inline Hwnd FromNative(HWND h) {
    return Hwnd{reinterpret_cast<std::uintptr_t>(h)};
}
inline HICON ToNative(IconHandle h) {
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(h));
}
inline IconHandle FromNative(HICON h) {
    return IconHandle{reinterpret_cast<std::uintptr_t>(h)};
}
inline HMENU ToNative(MenuHandle h) {
    return reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(h));
}
inline MenuHandle FromNative(HMENU h) {
    return MenuHandle{reinterpret_cast<std::uintptr_t>(h)};
}
inline HDC ToNative(DcHandle h) {
    return reinterpret_cast<HDC>(static_cast<std::uintptr_t>(h));
}
inline DcHandle FromNative(HDC h) {
    return DcHandle{reinterpret_cast<std::uintptr_t>(h)};
}

inline GUID ToNative(const Guid& g) {
    GUID out{};
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (std::size_t i = 0; i < 8; ++i) {
        out.Data4[i] = g.data4[i];
    }
    return out;
}

// Kernel objects closed with CloseHandle; both NULL and INVALID_HANDLE_VALUE mean "none".
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { ::DestroyMenu(h); }
};
using UniqueMenu = UniqueHandle<MenuTraits>;

struct IconTraits {
    using Type = HICON;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr; }
    static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

} // namespace hb::win32
