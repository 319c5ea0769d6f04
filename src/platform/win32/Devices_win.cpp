// Device enumeration and the receiver's interfaces over DirectShow and kernel streaming: thin
// adapters from the real COM interfaces to the seam's portable ones.
#define STRSAFE_NO_DEPRECATE
#include "platform/win32/Win32.h"

#include <bdaiface.h>
#include <dshow.h>
#include <ks.h>
#include <ksproxy.h>

#include "platform/RefCountedImpl.h"
#include "platform/win32/Win32Platform.h"

#include <array>
#include <string>

namespace hb::win32 {
namespace {

// Interface and class identifiers, with their documented values.
constexpr GUID kClsidSystemDeviceEnum{
    0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr GUID kIidCreateDevEnum{
    0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr GUID kIidPropertyBag{
    0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
constexpr GUID kIidBaseFilter{
    0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr GUID kIidKsControl{
    0x28F54685, 0x06FD, 0x11D2, {0xB2, 0x7A, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
constexpr GUID kIidBdaTopology{
    0x79B56888, 0x7FEA, 0x4690, {0xB4, 0x5D, 0x38, 0xFD, 0x3C, 0x78, 0x49, 0xBE}};

Guid FromNative(const GUID& g) {
    Guid out{g.Data1, g.Data2, g.Data3, {}};
    for (std::size_t i = 0; i < 8; ++i) {
        out.data4[i] = g.Data4[i];
    }
    return out;
}

template <class T> HResult Query(IUnknown* from, const GUID& iid, ComPtr<T>& out) {
    out.Reset();
    return from->QueryInterface(iid, reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}

class KsControlAdapter final : public RefCountedImpl<platform::IKsControlPort> {
public:
    explicit KsControlAdapter(ComPtr<IKsControl> control) : m_control(std::move(control)) {}
    HResult KsProperty(void* property, std::uint32_t propertyLength, void* data,
                       std::uint32_t dataLength, std::uint32_t* bytesReturned) override {
        ULONG returned = 0;
        const HRESULT hr = m_control->KsProperty(static_cast<PKSPROPERTY>(property), propertyLength,
                                                 data, dataLength, &returned);
        if (bytesReturned != nullptr) {
            *bytesReturned = returned;
        }
        return hr;
    }
    HResult KsEvent(void* event, std::uint32_t eventLength, void* data, std::uint32_t dataLength,
                    std::uint32_t* bytesReturned) override {
        ULONG returned = 0;
        const HRESULT hr = m_control->KsEvent(static_cast<PKSEVENT>(event), eventLength, data,
                                              dataLength, &returned);
        if (bytesReturned != nullptr) {
            *bytesReturned = returned;
        }
        return hr;
    }

private:
    ComPtr<IKsControl> m_control;
};

class TopologyAdapter final : public RefCountedImpl<platform::ITopologyPort> {
public:
    explicit TopologyAdapter(ComPtr<IBDA_Topology> topology) : m_topology(std::move(topology)) {}
    HResult GetNodeDescriptors(std::uint32_t* count, std::uint32_t maxCount,
                               platform::BdaNodeDescriptor* descriptors) override {
        std::array<BDANODE_DESCRIPTOR, 10> native{};
        ULONG got = 0;
        const ULONG room = std::min<ULONG>(maxCount, static_cast<ULONG>(native.size()));
        const HRESULT hr = m_topology->GetNodeDescriptors(&got, room, native.data());
        *count = got;
        if (SUCCEEDED(hr)) {
            for (ULONG i = 0; i < got && i < room; ++i) {
                descriptors[i].ulBdaNodeType = native[i].ulBdaNodeType;
                descriptors[i].guidFunction = FromNative(native[i].guidFunction);
                descriptors[i].guidName = FromNative(native[i].guidName);
            }
        }
        return hr;
    }

private:
    ComPtr<IBDA_Topology> m_topology;
};

class FilterAdapter final : public RefCountedImpl<platform::IFilterPort> {
public:
    explicit FilterAdapter(ComPtr<IBaseFilter> filter) : m_filter(std::move(filter)) {}
    HResult QueryKsControl(ComPtr<platform::IKsControlPort>& out) override {
        ComPtr<IKsControl> control;
        const HResult hr = Query(m_filter.Get(), kIidKsControl, control);
        out = SUCCEEDED(hr) && control ? MakeRefCounted<KsControlAdapter>(std::move(control))
                                       : ComPtr<KsControlAdapter>();
        return hr;
    }
    HResult QueryTopology(ComPtr<platform::ITopologyPort>& out) override {
        ComPtr<IBDA_Topology> topology;
        const HResult hr = Query(m_filter.Get(), kIidBdaTopology, topology);
        out = SUCCEEDED(hr) && topology ? MakeRefCounted<TopologyAdapter>(std::move(topology))
                                        : ComPtr<TopologyAdapter>();
        return hr;
    }

private:
    ComPtr<IBaseFilter> m_filter;
};

// Frees a VARIANT's contents when it goes out of scope.
struct ScopedVariant {
    VARIANT value;
    ScopedVariant() { ::VariantInit(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { ::VariantClear(&value); }
};

class PropertyBagAdapter final : public RefCountedImpl<platform::IPropertyBagPort> {
public:
    explicit PropertyBagAdapter(ComPtr<IPropertyBag> bag) : m_bag(std::move(bag)) {}
    HResult ReadAnsi(const std::string& name, std::string& value) override {
        const std::wstring wideName(name.begin(), name.end());
        ScopedVariant variant;
        variant.value.vt = VT_BSTR;
        const HRESULT hr = m_bag->Read(wideName.c_str(), &variant.value, nullptr);
        if (FAILED(hr)) {
            return hr;
        }
        if (variant.value.vt != VT_BSTR || variant.value.bstrVal == nullptr) {
            value.clear();
            return S_OK;
        }
        const BSTR text = variant.value.bstrVal;
        const int wideLength = static_cast<int>(::SysStringLen(text));
        const int length =
            ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
        value.assign(static_cast<std::size_t>(length), '\0');
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text, wideLength, value.data(), length, nullptr,
                              nullptr);
        return S_OK;
    }

private:
    ComPtr<IPropertyBag> m_bag;
};

class MonikerAdapter final : public RefCountedImpl<platform::IMonikerPort> {
public:
    explicit MonikerAdapter(ComPtr<IMoniker> moniker) : m_moniker(std::move(moniker)) {}
    HResult BindToStorage(ComPtr<platform::IPropertyBagPort>& out) override {
        ComPtr<IPropertyBag> bag;
        const HRESULT hr =
            m_moniker->BindToStorage(nullptr, nullptr, kIidPropertyBag,
                                     reinterpret_cast<void**>(bag.ReleaseAndGetAddressOf()));
        out = SUCCEEDED(hr) && bag ? MakeRefCounted<PropertyBagAdapter>(std::move(bag))
                                   : ComPtr<PropertyBagAdapter>();
        return hr;
    }
    HResult BindToObject(ComPtr<platform::IFilterPort>& out) override {
        ComPtr<IBaseFilter> filter;
        const HRESULT hr =
            m_moniker->BindToObject(nullptr, nullptr, kIidBaseFilter,
                                    reinterpret_cast<void**>(filter.ReleaseAndGetAddressOf()));
        out = SUCCEEDED(hr) && filter ? MakeRefCounted<FilterAdapter>(std::move(filter))
                                      : ComPtr<FilterAdapter>();
        return hr;
    }

private:
    ComPtr<IMoniker> m_moniker;
};

class EnumMonikerAdapter final : public RefCountedImpl<platform::IEnumMonikerPort> {
public:
    explicit EnumMonikerAdapter(ComPtr<IEnumMoniker> monikers) : m_monikers(std::move(monikers)) {}
    HResult Reset() override { return m_monikers->Reset(); }
    HResult Next(ComPtr<platform::IMonikerPort>& out) override {
        ComPtr<IMoniker> moniker;
        const HRESULT hr = m_monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr);
        out = hr == S_OK && moniker ? MakeRefCounted<MonikerAdapter>(std::move(moniker))
                                    : ComPtr<MonikerAdapter>();
        return hr;
    }

private:
    ComPtr<IEnumMoniker> m_monikers;
};

class CreateDevEnumAdapter final : public RefCountedImpl<platform::ICreateDevEnumPort> {
public:
    explicit CreateDevEnumAdapter(ComPtr<ICreateDevEnum> devices) : m_devices(std::move(devices)) {}
    HResult CreateClassEnumerator(const Guid& category, ComPtr<platform::IEnumMonikerPort>& out,
                                  std::uint32_t flags) override {
        ComPtr<IEnumMoniker> monikers;
        const HRESULT hr = m_devices->CreateClassEnumerator(
            ToNative(category), monikers.ReleaseAndGetAddressOf(), flags);
        out = hr == S_OK && monikers ? MakeRefCounted<EnumMonikerAdapter>(std::move(monikers))
                                     : ComPtr<EnumMonikerAdapter>();
        return hr;
    }

private:
    ComPtr<ICreateDevEnum> m_devices;
};

class Devices final : public platform::IDevices {
public:
    HResult CreateSystemDeviceEnum(ComPtr<platform::ICreateDevEnumPort>& out) override {
        ComPtr<ICreateDevEnum> devices;
        const HRESULT hr = ::CoCreateInstance(
            kClsidSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kIidCreateDevEnum,
            reinterpret_cast<void**>(devices.ReleaseAndGetAddressOf()));
        out = SUCCEEDED(hr) && devices ? MakeRefCounted<CreateDevEnumAdapter>(std::move(devices))
                                       : ComPtr<CreateDevEnumAdapter>();
        return hr;
    }
};

} // namespace

std::unique_ptr<platform::IDevices> MakeDevices() {
    return std::make_unique<Devices>();
}

} // namespace hb::win32
