// Owned kernel handles and mapped views for the simulated receiver and simctl, on the program's
// own unique-handle template.
#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>

namespace simreceiver {

// Both NULL and INVALID_HANDLE_VALUE mean "none": creation functions differ in which they return.
struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};
using UniqueKernelHandle = hb::UniqueHandle<KernelHandleTraits>;

struct ViewTraits {
    using Type = void*;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type view) noexcept { return view != nullptr; }
    static void Close(Type view) noexcept { ::UnmapViewOfFile(view); }
};
using UniqueView = hb::UniqueHandle<ViewTraits>;

} // namespace simreceiver
