// Plain value types that cross the platform seam: window and resource handles, message
// parameters, HRESULTs and GUIDs. Handles are opaque to the portable code; only the Win32
// backend turns them back into the real ones.
#pragma once

#include <array>
#include <cstdint>

namespace hb {

using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using HResult = std::int32_t;

enum class Hwnd : std::uintptr_t {};
enum class IconHandle : std::uintptr_t {};
enum class MenuHandle : std::uintptr_t {};
enum class DcHandle : std::uintptr_t {};

inline constexpr Hwnd kNoWindow{};

constexpr bool Succeeded(HResult hr) {
    return hr >= 0;
}

inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
inline constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::array<std::uint8_t, 8> data4;

    friend bool operator==(const Guid&, const Guid&) = default;
};

struct Point {
    int x;
    int y;
};

struct Rect {
    int left;
    int top;
    int right;
    int bottom;

    friend bool operator==(const Rect&, const Rect&) = default;
};

constexpr std::uint16_t LoWord(WParam value) {
    return static_cast<std::uint16_t>(value & 0xFFFFu);
}
constexpr std::uint16_t HiWord(WParam value) {
    return static_cast<std::uint16_t>((value >> 16) & 0xFFFFu);
}
constexpr WParam MakeWParam(unsigned low, unsigned high) {
    return static_cast<WParam>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

} // namespace hb
