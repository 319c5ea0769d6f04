// Recognising a message box's icon by handle or by its pixels on the screen.
#include "icon_match.h"

#include "common.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>

namespace hbtool {

namespace {

struct Candidate {
    const char* name;
    WORD resource; // the IDI_ value
};

// The icons MessageBox uses for MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION and
// MB_ICONASTERISK.
constexpr std::array<Candidate, 4> kCandidates{{
    {"hand", 32513},
    {"question", 32514},
    {"exclamation", 32515},
    {"asterisk", 32516},
}};

// A candidate matches when at least this share of its opaque pixels equal the screen's, and
// the icon covers at least kMinOpaqueShare of the area (so an almost empty drawing proves nothing).
constexpr double kMinMatchShare = 0.95;
constexpr double kMinOpaqueShare = 0.25;
constexpr int kChannelTolerance = 8;

HICON system_icon(WORD resource) {
    return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(resource)));
}

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) {
            ReleaseDC(nullptr, dc_);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    [[nodiscard]] HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A memory device context drawing into a 32-bit top-down bitmap whose pixels can be read.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (dc_ && bitmap_) {
            previous_ = SelectObject(dc_, bitmap_);
            bits_ = static_cast<std::uint32_t*>(bits);
        }
    }
    ~Canvas() {
        if (previous_) {
            SelectObject(dc_, previous_);
        }
        if (bitmap_) {
            DeleteObject(bitmap_);
        }
        if (dc_) {
            DeleteDC(dc_);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    [[nodiscard]] bool valid() const { return bits_ != nullptr; }
    [[nodiscard]] HDC dc() const { return dc_; }

    // `xrgb` as the DIB stores it: 0x00RRGGBB.
    void fill(std::uint32_t xrgb) {
        for (std::uint32_t& pixel : pixels_mutable()) {
            pixel = xrgb;
        }
    }

    [[nodiscard]] std::span<const std::uint32_t> pixels() const {
        GdiFlush(); // drawing into a DIB section may be batched
        return {bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)};
    }

private:
    std::span<std::uint32_t> pixels_mutable() {
        GdiFlush();
        return {bits_, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)};
    }

    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

bool close(std::uint32_t a, std::uint32_t b) {
    for (unsigned shift = 0; shift < 24; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFFU);
        const int cb = static_cast<int>((b >> shift) & 0xFFU);
        if (std::abs(ca - cb) > kChannelTolerance) {
            return false;
        }
    }
    return true;
}

// Share of the candidate's opaque pixels that the screen shows unchanged; nullopt when the
// candidate cannot be drawn or is mostly transparent at this size.
std::optional<double> match_share(HICON icon, std::span<const std::uint32_t> screen, int width,
                                  int height) {
    Canvas on_black(width, height);
    Canvas on_white(width, height);
    if (!on_black.valid() || !on_white.valid()) {
        return std::nullopt;
    }
    on_black.fill(0x000000U);
    on_white.fill(0xFFFFFFU);
    if (!DrawIconEx(on_black.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL) ||
        !DrawIconEx(on_white.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) {
        return std::nullopt;
    }
    const auto black = on_black.pixels();
    const auto white = on_white.pixels();
    std::size_t opaque = 0;
    std::size_t equal = 0;
    for (std::size_t i = 0; i < screen.size(); ++i) {
        if ((black[i] & 0xFFFFFFU) != (white[i] & 0xFFFFFFU)) {
            continue; // transparent or blended: depends on the background
        }
        ++opaque;
        equal += close(black[i], screen[i]) ? 1U : 0U;
    }
    if (static_cast<double>(opaque) < kMinOpaqueShare * static_cast<double>(screen.size())) {
        return std::nullopt;
    }
    return static_cast<double>(equal) / static_cast<double>(opaque);
}

IconVerdict by_pixels(HWND icon_static) {
    RECT client{};
    GetClientRect(icon_static, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    POINT origin{0, 0};
    if (width <= 0 || height <= 0 || !ClientToScreen(icon_static, &origin)) {
        return {"unknown", "pixels"};
    }

    Canvas screen(width, height);
    const ScreenDc screen_dc;
    if (!screen.valid() || !screen_dc.get() ||
        !BitBlt(screen.dc(), 0, 0, width, height, screen_dc.get(), origin.x, origin.y, SRCCOPY)) {
        return {"unknown", "pixels"};
    }

    IconVerdict best{"unknown", "pixels"};
    double best_share = kMinMatchShare;
    for (const Candidate& candidate : kCandidates) {
        const auto share =
            match_share(system_icon(candidate.resource), screen.pixels(), width, height);
        if (share && *share >= best_share) {
            best_share = *share;
            best.name = candidate.name;
        }
    }
    return best;
}

} // namespace

IconVerdict identify_icon(HWND icon_static) {
    if (!icon_static || !IsWindowVisible(icon_static)) {
        return {"none", "hidden"};
    }
    DWORD_PTR shown = 0;
    if (!SendMessageTimeoutW(icon_static, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &shown)) {
        return {"unknown", "handle"};
    }
    if (shown == 0) {
        return {"none", "handle"};
    }
    for (const Candidate& candidate : kCandidates) {
        if (reinterpret_cast<DWORD_PTR>(system_icon(candidate.resource)) == shown) {
            return {candidate.name, "handle"};
        }
    }
    return by_pixels(icon_static);
}

} // namespace hbtool
