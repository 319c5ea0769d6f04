// Simulated receivers behind the device seam: the system device enumerator with its monikers
// and property bags, filters whose references are counted, and a driver that answers the
// requests the program makes and journals each one.
#pragma once

#include "platform/Platform.h"
#include "platform/RefCountedImpl.h"
#include "receiver/DriverLayouts.h"
#include "tests/fakes/CallLog.h"

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace hb::fakes {

// One request as the driver received it.
struct DriverRequest {
    enum class Kind { Property, Event } kind = Kind::Property;
    std::optional<receiver::KsIdentifier> head; // null event: disable
    std::uint32_t headLength = 0;
    std::vector<std::uint8_t> data; // the data block, byte for byte
    std::uint32_t dataLength = 0;
    std::vector<std::uint8_t> request; // the whole property/event block, byte for byte
};

// The driver of one simulated receiver.
class FakeDriver final : public RefCountedImpl<platform::IKsControlPort> {
public:
    explicit FakeDriver(CallLog& log, std::string name) : m_log(log), m_name(std::move(name)) {}

    std::uint8_t rcNumber = 3;
    bool writeRcNumber = true;
    // Results of the next requests, oldest first; S_OK when empty.
    std::deque<HResult> results;
    // The record the next code request returns, and the length the driver reports.
    receiver::IrCodeRecord record{};
    std::uint32_t recordLength = sizeof(receiver::IrCodeRecord);

    [[nodiscard]] std::vector<DriverRequest> Journal() const;
    [[nodiscard]] bool EventEnabled() const;
    [[nodiscard]] std::uintptr_t EnabledEventHandle() const;

    HResult KsProperty(void* property, std::uint32_t propertyLength, void* data,
                       std::uint32_t dataLength, std::uint32_t* bytesReturned) override;
    HResult KsEvent(void* event, std::uint32_t eventLength, void* data, std::uint32_t dataLength,
                    std::uint32_t* bytesReturned) override;

private:
    HResult NextResult();
    // Appends the request to the journal, byte for byte; the caller holds m_mutex.
    const DriverRequest& Journalize(DriverRequest::Kind kind, const void* head,
                                    std::uint32_t headLength, const void* data,
                                    std::uint32_t dataLength);

    CallLog& m_log;
    std::string m_name;
    mutable std::mutex m_mutex;
    std::vector<DriverRequest> m_journal;
    std::optional<std::uintptr_t> m_enabledHandle;
};

struct SimulatedDevice {
    std::string friendlyName;
    std::string devicePath;
    bool storageBindFails = false;
    bool objectBindFails = false;
    bool hasKsControl = true;
    std::vector<Guid> nodeFunctions; // topology node descriptors; none: no topology
};

class FakeDevices final : public platform::IDevices {
public:
    explicit FakeDevices(CallLog& log) : m_log(log) {}

    void Add(SimulatedDevice device);
    bool failEnumeratorCreation = false;

    // The driver of device i (created with the device).
    [[nodiscard]] FakeDriver& Driver(std::size_t i) { return *m_drivers.at(i); }
    // Filter objects still alive (a released last reference destroys one).
    [[nodiscard]] int LiveFilters() const { return *m_liveFilters; }

    HResult CreateSystemDeviceEnum(ComPtr<platform::ICreateDevEnumPort>& out) override;

private:
    CallLog& m_log;
    std::vector<SimulatedDevice> m_devices;
    std::vector<ComPtr<FakeDriver>> m_drivers;
    std::shared_ptr<int> m_liveFilters = std::make_shared<int>(0);
};

} // namespace hb::fakes
