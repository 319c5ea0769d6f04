// Path tag and instance path of a DevicePath.
#include "receiver/DevicePath.h"

#include <algorithm>

namespace hb::receiver {

std::string PathTag(const std::string& devicePath) {
    const std::size_t size = devicePath.size();
    const std::string lastThree = devicePath.substr(size >= 3 ? size - 3 : 0);
    return lastThree.substr(0, 2);
}

std::string InstancePath(const std::string& devicePath) {
    // Positions as signed numbers, -1 for "none", exactly as the derivation is defined: a
    // negative start counts as 0, a negative count as 0, and the count stops at the end.
    const auto position = [](std::size_t p) {
        return p == std::string::npos ? -1L : static_cast<long>(p);
    };
    const long size = static_cast<long>(devicePath.size());
    const long first = position(devicePath.find('#'));
    const long second = first + 1 < size && first >= 0
                            ? position(devicePath.find('#', static_cast<std::size_t>(first + 1)))
                            : -1L;
    const long last = position(devicePath.rfind('#'));
    const long start = std::max(second, 0L);
    const long count = std::min(std::max(last - second + 1, 0L), std::max(size - start, 0L));
    return devicePath.substr(static_cast<std::size_t>(std::min(start, size)),
                             static_cast<std::size_t>(count));
}

} // namespace hb::receiver
