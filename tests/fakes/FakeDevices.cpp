// Simulated receivers.
#include "tests/fakes/FakeDevices.h"

#include <cstring>

namespace hb::fakes {
namespace {

std::vector<std::uint8_t> Bytes(const void* p, std::uint32_t length) {
    const auto* bytes = static_cast<const std::uint8_t*>(p);
    return p == nullptr ? std::vector<std::uint8_t>{}
                        : std::vector<std::uint8_t>(bytes, bytes + length);
}

class FakeTopology final : public RefCountedImpl<platform::ITopologyPort> {
public:
    explicit FakeTopology(std::vector<Guid> functions) : m_functions(std::move(functions)) {}
    HResult GetNodeDescriptors(std::uint32_t* count, std::uint32_t maxCount,
                               platform::BdaNodeDescriptor* descriptors) override {
        *count = static_cast<std::uint32_t>(m_functions.size());
        for (std::uint32_t i = 0; i < *count && i < maxCount; ++i) {
            descriptors[i].guidFunction = m_functions[i];
        }
        return kSOk;
    }

private:
    std::vector<Guid> m_functions;
};

class FakeFilter final : public RefCountedImpl<platform::IFilterPort> {
public:
    FakeFilter(ComPtr<FakeDriver> driver, std::vector<Guid> functions, bool hasKsControl,
               std::shared_ptr<int> live)
        : m_driver(std::move(driver)), m_functions(std::move(functions)),
          m_hasKsControl(hasKsControl), m_live(std::move(live)) {
        ++*m_live;
    }
    ~FakeFilter() override { --*m_live; }

    HResult QueryKsControl(ComPtr<platform::IKsControlPort>& out) override {
        if (!m_hasKsControl) {
            out.Reset();
            return kENoInterface;
        }
        out = m_driver;
        return kSOk;
    }
    HResult QueryTopology(ComPtr<platform::ITopologyPort>& out) override {
        if (m_functions.empty()) {
            out.Reset();
            return kENoInterface;
        }
        out = MakeRefCounted<FakeTopology>(m_functions);
        return kSOk;
    }

private:
    ComPtr<FakeDriver> m_driver;
    std::vector<Guid> m_functions;
    bool m_hasKsControl;
    std::shared_ptr<int> m_live;
};

class FakePropertyBag final : public RefCountedImpl<platform::IPropertyBagPort> {
public:
    explicit FakePropertyBag(const SimulatedDevice& device) : m_device(device) {}
    HResult ReadAnsi(const std::string& name, std::string& value) override {
        if (name == "FriendlyName" && !m_device.friendlyName.empty()) {
            value = m_device.friendlyName;
            return kSOk;
        }
        if (name == "DevicePath" && !m_device.devicePath.empty()) {
            value = m_device.devicePath;
            return kSOk;
        }
        return kEFail;
    }

private:
    SimulatedDevice m_device;
};

class FakeMoniker final : public RefCountedImpl<platform::IMonikerPort> {
public:
    FakeMoniker(SimulatedDevice device, ComPtr<FakeDriver> driver, std::shared_ptr<int> live)
        : m_device(std::move(device)), m_driver(std::move(driver)), m_live(std::move(live)) {}
    HResult BindToStorage(ComPtr<platform::IPropertyBagPort>& out) override {
        if (m_device.storageBindFails) {
            return kEFail;
        }
        out = MakeRefCounted<FakePropertyBag>(m_device);
        return kSOk;
    }
    HResult BindToObject(ComPtr<platform::IFilterPort>& out) override {
        if (m_device.objectBindFails) {
            return kEFail;
        }
        out = MakeRefCounted<FakeFilter>(m_driver, m_device.nodeFunctions, m_device.hasKsControl,
                                         m_live);
        return kSOk;
    }

private:
    SimulatedDevice m_device;
    ComPtr<FakeDriver> m_driver;
    std::shared_ptr<int> m_live;
};

class FakeEnumMoniker final : public RefCountedImpl<platform::IEnumMonikerPort> {
public:
    explicit FakeEnumMoniker(std::vector<ComPtr<platform::IMonikerPort>> monikers)
        : m_monikers(std::move(monikers)) {}
    HResult Reset() override {
        m_next = 0;
        return kSOk;
    }
    HResult Next(ComPtr<platform::IMonikerPort>& out) override {
        if (m_next >= m_monikers.size()) {
            out.Reset();
            return kSFalse;
        }
        out = m_monikers[m_next++];
        return kSOk;
    }

private:
    std::vector<ComPtr<platform::IMonikerPort>> m_monikers;
    std::size_t m_next = 0;
};

class FakeCreateDevEnum final : public RefCountedImpl<platform::ICreateDevEnumPort> {
public:
    explicit FakeCreateDevEnum(std::vector<ComPtr<platform::IMonikerPort>> monikers)
        : m_monikers(std::move(monikers)) {}
    HResult CreateClassEnumerator(const Guid& category, ComPtr<platform::IEnumMonikerPort>& out,
                                  std::uint32_t) override {
        if (category != receiver::kReceiverCategory || m_monikers.empty()) {
            out.Reset();
            return kSFalse;
        }
        out = MakeRefCounted<FakeEnumMoniker>(m_monikers);
        return kSOk;
    }

private:
    std::vector<ComPtr<platform::IMonikerPort>> m_monikers;
};

} // namespace

std::vector<DriverRequest> FakeDriver::Journal() const {
    std::scoped_lock lock(m_mutex);
    return m_journal;
}

bool FakeDriver::EventEnabled() const {
    std::scoped_lock lock(m_mutex);
    return m_enabledHandle.has_value();
}

std::uintptr_t FakeDriver::EnabledEventHandle() const {
    std::scoped_lock lock(m_mutex);
    return m_enabledHandle.value_or(0);
}

HResult FakeDriver::NextResult() {
    if (results.empty()) {
        return kSOk;
    }
    const HResult hr = results.front();
    results.pop_front();
    return hr;
}

const DriverRequest& FakeDriver::Journalize(DriverRequest::Kind kind, const void* head,
                                            std::uint32_t headLength, const void* data,
                                            std::uint32_t dataLength) {
    DriverRequest entry;
    entry.kind = kind;
    if (head != nullptr) {
        receiver::KsIdentifier identifier{};
        std::memcpy(&identifier, head, sizeof identifier);
        entry.head = identifier;
    }
    entry.headLength = headLength;
    entry.request = Bytes(head, headLength);
    entry.data = Bytes(data, dataLength);
    entry.dataLength = dataLength;
    m_journal.push_back(std::move(entry));
    return m_journal.back();
}

HResult FakeDriver::KsProperty(void* property, std::uint32_t propertyLength, void* data,
                               std::uint32_t dataLength, std::uint32_t* bytesReturned) {
    std::scoped_lock lock(m_mutex);
    const receiver::KsIdentifier head =
        *Journalize(DriverRequest::Kind::Property, property, propertyLength, data, dataLength).head;
    m_log.Add("KsProperty " + m_name);

    const HResult hr = NextResult();
    if (hr != kSOk) {
        return hr;
    }
    if (head.Set == receiver::kKsPropSetRcNumber) {
        auto* request = static_cast<receiver::RcNumberRequest*>(property);
        if (writeRcNumber) {
            *request->Result = rcNumber;
        }
    } else if (head.Set == receiver::kKsPropSetIrRemoteCode) {
        auto* request = static_cast<receiver::IrCodeRequest*>(property);
        std::memcpy(request->Buffer, &record, sizeof record);
        std::memcpy(data, &recordLength, sizeof recordLength);
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = dataLength;
    }
    return kSOk;
}

HResult FakeDriver::KsEvent(void* event, std::uint32_t eventLength, void* data,
                            std::uint32_t dataLength, std::uint32_t* bytesReturned) {
    std::scoped_lock lock(m_mutex);
    Journalize(DriverRequest::Kind::Event, event, eventLength, data, dataLength);
    m_log.Add(std::string("KsEvent ") + m_name + (event == nullptr ? " disable" : " enable"));

    const HResult hr = NextResult();
    if (hr != kSOk) {
        return hr;
    }
    const auto* block = static_cast<const receiver::IrEventData*>(data);
    if (event != nullptr) {
        m_enabledHandle = reinterpret_cast<std::uintptr_t>(block->EventData.EventHandle);
    } else {
        m_enabledHandle.reset();
    }
    if (bytesReturned != nullptr) {
        *bytesReturned = 0;
    }
    return kSOk;
}

void FakeDevices::Add(SimulatedDevice device) {
    m_drivers.push_back(MakeRefCounted<FakeDriver>(m_log, device.friendlyName));
    m_devices.push_back(std::move(device));
}

HResult FakeDevices::CreateSystemDeviceEnum(ComPtr<platform::ICreateDevEnumPort>& out) {
    m_log.Add("CreateSystemDeviceEnum");
    if (failEnumeratorCreation) {
        return kEFail;
    }
    std::vector<ComPtr<platform::IMonikerPort>> monikers;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        monikers.push_back(MakeRefCounted<FakeMoniker>(m_devices[i], m_drivers[i], m_liveFilters));
    }
    out = MakeRefCounted<FakeCreateDevEnum>(std::move(monikers));
    return kSOk;
}

} // namespace hb::fakes
