// One discovered receiver device.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Devices.h"
#include "platform/Types.h"

#include <string>

namespace hb::receiver {

struct DeviceRecord {
    Guid m_guidCategory{};
    std::string m_strFriendlyName;
    std::string m_strPathTag;
    std::string m_strInstancePath;
    Guid m_guidNodeFunction{};
    ComPtr<platform::IFilterPort> m_pFilter; // the record's own reference
};

} // namespace hb::receiver
