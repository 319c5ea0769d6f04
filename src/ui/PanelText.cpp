// Status-panel text formats.
#include "ui/PanelText.h"

#include <array>
#include <cstdio>

namespace hb::panel {
namespace {

template <class... Args> std::string Format(const char* format, Args... args) {
    std::array<char, 64> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), format, args...);
    return length < 0 ? std::string() : std::string(buffer.data());
}

} // namespace

std::string Decimal(std::int32_t value) {
    return Format("%d", value);
}

std::string HResultShort(HResult hr) {
    return Format("0x%x", static_cast<std::uint32_t>(hr));
}

std::string HResultLong(HResult hr) {
    return Format("0x%08X", static_cast<std::uint32_t>(hr));
}

std::string CodeString(std::uint32_t value) {
    return Format("0x%02X", value);
}

std::string ToggleText(std::uint16_t protocol, std::int32_t toggle, std::uint32_t oemCode,
                       const std::string& codeString) {
    switch (protocol) {
    case 256:
        return Format("Toggle %d", toggle);
    case 257:
    case 258:
    case 259:
        return Format("Toggle %d OEM Code 0x%02X", toggle, oemCode);
    default:
        return codeString;
    }
}

} // namespace hb::panel
