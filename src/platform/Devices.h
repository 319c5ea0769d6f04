// Portable counterparts of the COM interfaces the receiver code uses: the system device
// enumerator, monikers and property bags, the filter, its kernel-streaming control interface
// and its BDA topology. The Win32 backend adapts the real interfaces; the tests use a simulated
// receiver. Reference counting follows COM: ComPtr holds one reference.
#pragma once

#include "platform/ComPtr.h"
#include "platform/Types.h"

#include <cstdint>
#include <string>

namespace hb::platform {

class IRefCounted {
public:
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    virtual ~IRefCounted() = default;
};

class IKsControlPort : public IRefCounted {
public:
    virtual HResult KsProperty(void* property, std::uint32_t propertyLength, void* data,
                               std::uint32_t dataLength, std::uint32_t* bytesReturned) = 0;
    virtual HResult KsEvent(void* event, std::uint32_t eventLength, void* data,
                            std::uint32_t dataLength, std::uint32_t* bytesReturned) = 0;
};

struct BdaNodeDescriptor {
    std::uint32_t ulBdaNodeType = 0;
    Guid guidFunction{};
    Guid guidName{};
};

class ITopologyPort : public IRefCounted {
public:
    virtual HResult GetNodeDescriptors(std::uint32_t* count, std::uint32_t maxCount,
                                       BdaNodeDescriptor* descriptors) = 0;
};

// IBaseFilter, reduced to the interface queries the program makes on it.
class IFilterPort : public IRefCounted {
public:
    virtual HResult QueryKsControl(ComPtr<IKsControlPort>& out) = 0;
    virtual HResult QueryTopology(ComPtr<ITopologyPort>& out) = 0;
};

class IPropertyBagPort : public IRefCounted {
public:
    // Reads a string property; the text is converted to the calling thread's ANSI code page.
    virtual HResult ReadAnsi(const std::string& name, std::string& value) = 0;
};

class IMonikerPort : public IRefCounted {
public:
    virtual HResult BindToStorage(ComPtr<IPropertyBagPort>& out) = 0;
    virtual HResult BindToObject(ComPtr<IFilterPort>& out) = 0;
};

class IEnumMonikerPort : public IRefCounted {
public:
    virtual HResult Reset() = 0;
    // S_OK with one moniker, S_FALSE at the end.
    virtual HResult Next(ComPtr<IMonikerPort>& out) = 0;
};

class ICreateDevEnumPort : public IRefCounted {
public:
    // S_FALSE (and no enumerator) for a category without devices.
    virtual HResult CreateClassEnumerator(const Guid& category, ComPtr<IEnumMonikerPort>& out,
                                          std::uint32_t flags) = 0;
};

class IDevices {
public:
    virtual ~IDevices() = default;
    // CoCreateInstance of the system device enumerator, in-process.
    virtual HResult CreateSystemDeviceEnum(ComPtr<ICreateDevEnumPort>& out) = 0;
};

} // namespace hb::platform
