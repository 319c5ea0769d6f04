// Device discovery, the combo-box labels and device selection.
#include "receiver/Discovery.h"

#include "framework/WinApp.h"
#include "receiver/DevicePath.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

#include <array>

namespace hb::receiver {

HResult FindFilterByName(platform::Platform& os, const Guid& category,
                         std::vector<std::unique_ptr<DeviceRecord>>& devices) {
    ComPtr<platform::ICreateDevEnumPort> deviceEnum;
    HResult hr = os.devices.CreateSystemDeviceEnum(deviceEnum);
    if (!Succeeded(hr) || !deviceEnum) {
        AfxMessageBox("FindFilterByName -> Create system device enumerator failed!", win::kMbOk);
        return Succeeded(hr) ? kEPointer : hr;
    }
    ComPtr<platform::IEnumMonikerPort> monikers;
    hr = deviceEnum->CreateClassEnumerator(category, monikers, 0);
    deviceEnum.Reset();
    if (hr != kSOk || !monikers) {
        return hr == kSOk ? kEPointer : hr;
    }

    static_cast<void>(monikers->Reset());
    ComPtr<platform::IMonikerPort> moniker;
    while (monikers->Next(moniker) == kSOk && moniker) {
        ComPtr<platform::IPropertyBagPort> bag;
        hr = moniker->BindToStorage(bag);
        if (!Succeeded(hr) || !bag) {
            return Succeeded(hr) ? kEPointer : hr;
        }
        ComPtr<platform::IFilterPort> filter;
        hr = moniker->BindToObject(filter);
        if (!Succeeded(hr) || !filter) {
            continue;
        }
        auto record = std::make_unique<DeviceRecord>();
        record->m_pFilter = std::move(filter);
        std::string path;
        if (!Succeeded(bag->ReadAnsi("FriendlyName", record->m_strFriendlyName))) {
            record->m_strFriendlyName.clear();
        }
        if (!Succeeded(bag->ReadAnsi("DevicePath", path))) {
            path.clear();
        }
        record->m_guidCategory = category;
        record->m_strPathTag = PathTag(path);
        record->m_guidNodeFunction = Guid{};
        static_cast<void>(GetNodeFunction(1, record->m_pFilter.Get(), record->m_guidNodeFunction));
        record->m_strInstancePath = InstancePath(path);
        devices.push_back(std::move(record));
    }
    return kSOk;
}

bool GetNodeFunction(std::uint32_t index, platform::IFilterPort* filter, Guid& function) {
    if (filter == nullptr) {
        return false;
    }
    ComPtr<platform::ITopologyPort> topology;
    if (!Succeeded(filter->QueryTopology(topology)) || !topology) {
        return false;
    }
    std::array<platform::BdaNodeDescriptor, 10> descriptors{};
    std::uint32_t count = 0;
    if (!Succeeded(topology->GetNodeDescriptors(
            &count, static_cast<std::uint32_t>(descriptors.size()), descriptors.data()))) {
        return false;
    }
    if (count <= index || index >= descriptors.size()) {
        return false;
    }
    function = descriptors[index].guidFunction;
    return true;
}

} // namespace hb::receiver

namespace hb {

void CHandsetBridgeDlg::BuildDeviceLabels(
    const std::vector<std::unique_ptr<receiver::DeviceRecord>>& devices) {
    std::int32_t number = 0;
    for (const auto& record : devices) {
        m_deviceLabels.push_front(panel::Decimal(number++) + ": " + record->m_strFriendlyName);
    }
}

void CHandsetBridgeDlg::OnSelchangeDevice() {
    const int selection = m_cbDevices.GetCurSel();
    if (selection < 0 || static_cast<std::size_t>(selection) >= m_devices.size()) {
        return;
    }
    std::scoped_lock lock(m_filterLock);
    m_pSelectedFilter = m_devices[static_cast<std::size_t>(selection)]->m_pFilter;
}

} // namespace hb
