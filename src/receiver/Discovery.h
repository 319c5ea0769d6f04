// Discovery of the receiver devices of one device category.
#pragma once

#include "platform/Platform.h"
#include "receiver/DeviceRecord.h"

#include <memory>
#include <vector>

namespace hb::receiver {

// Appends one record per device of the category whose filter can be bound. Returns S_OK after
// a complete enumeration, else the first error (records appended before it stay).
HResult FindFilterByName(platform::Platform& os, const Guid& category,
                         std::vector<std::unique_ptr<DeviceRecord>>& devices);

// The function GUID of node descriptor `index` of the filter's BDA topology.
[[nodiscard]] bool GetNodeFunction(std::uint32_t index, platform::IFilterPort* filter,
                                   Guid& function);

} // namespace hb::receiver
