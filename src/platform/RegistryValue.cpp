// Registry string reads with a guaranteed terminator.
#include "platform/RegistryValue.h"

#include "platform/Constants.h"

#include <algorithm>
#include <vector>

namespace hb::platform {

bool ReadRegistryString(IRegistry& registry, RegistryRoot root, const std::string& subKey,
                        const std::string& valueName, std::size_t maxBytes, std::string& value) {
    RegistryKey key{};
    if (registry.RegOpenKeyEx(root, subKey, win::kKeyQueryValue, key) != win::kErrorSuccess) {
        return false;
    }
    std::vector<std::uint8_t> buffer(maxBytes, 0);
    auto size = static_cast<std::uint32_t>(maxBytes);
    const long query = registry.RegQueryValueEx(key, valueName, buffer.data(), size);
    const long close = registry.RegCloseKey(key);
    if (query != win::kErrorSuccess || close != win::kErrorSuccess || size > maxBytes) {
        return false;
    }
    const auto end = buffer.begin() + static_cast<std::ptrdiff_t>(size);
    const auto terminator = std::find(buffer.begin(), end, std::uint8_t{0});
    if (terminator == end && size == maxBytes) {
        return false; // no room left for a terminator: the value is longer than we read
    }
    value.assign(buffer.begin(), terminator);
    return true;
}

} // namespace hb::platform
