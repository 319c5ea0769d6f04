// Requests to the receiver's driver and the capture toggle (Start/Stop).
#include "res/resource.h"
#include "ui/HandsetBridgeDlg.h"
#include "ui/PanelText.h"

#include "framework/WinApp.h"

namespace hb {

ComPtr<platform::IFilterPort> CHandsetBridgeDlg::SelectedFilter() {
    std::scoped_lock lock(m_filterLock);
    return m_pSelectedFilter;
}

namespace {

// No selected filter: nothing is sent and the request counts as a success. A filter without a
// control interface gets no request; the caller sees the query's error.
template <class Send>
HResult SendThroughControl(const ComPtr<platform::IFilterPort>& filter, Send send) {
    if (!filter) {
        return kSOk;
    }
    ComPtr<platform::IKsControlPort> control;
    const HResult query = filter->QueryKsControl(control);
    if (!Succeeded(query) || !control) {
        return Succeeded(query) ? kENoInterface : query;
    }
    std::uint32_t returned = 0;
    return send(*control, returned);
}

} // namespace

HResult CHandsetBridgeDlg::SendKsEvent(void* event, std::uint32_t eventLength, void* data,
                                       std::uint32_t dataLength) {
    const HResult hr = SendThroughControl(
        SelectedFilter(), [&](platform::IKsControlPort& control, std::uint32_t& returned) {
            return control.KsEvent(event, eventLength, data, dataLength, &returned);
        });
    SetDlgItemText(IDC_STATUS, panel::HResultShort(hr));
    return hr;
}

HResult CHandsetBridgeDlg::SendKsProperty(void* property, std::uint32_t propertyLength, void* data,
                                          std::uint32_t dataLength) {
    // The capture thread's own reference keeps the filter alive even if the window's thread
    // selects another device while the request runs.
    const HResult hr = SendThroughControl(
        SelectedFilter(), [&](platform::IKsControlPort& control, std::uint32_t& returned) {
            return control.KsProperty(property, propertyLength, data, dataLength, &returned);
        });
    SetDlgItemText(IDC_STATUS, panel::HResultShort(hr));
    return hr;
}

bool CHandsetBridgeDlg::GetKsControl(ComPtr<platform::IKsControlPort>& control) {
    const ComPtr<platform::IFilterPort> filter = SelectedFilter();
    const HResult hr = filter ? filter->QueryKsControl(control) : kEPointer;
    if (hr != kSOk || !control) {
        AfxMessageBox("Couldn't get interface handle!", win::kMbIconHand | win::kMbOk);
        return false;
    }
    return true;
}

void CHandsetBridgeDlg::QueryRcNumber(platform::IKsControlPort& control) {
    std::uint8_t result = 0;
    receiver::RcNumberRequest request{};
    request.Property = {receiver::kKsPropSetRcNumber, 0, receiver::kKsPropertyTypeGet};
    request.Parameter = receiver::kRcNumberParameter;
    request.Count = receiver::kRcNumberCount;
    request.Result = &result;
    std::uint8_t data = receiver::kRcNumberPreset;
    std::uint32_t returned = 0;
    const HResult hr = control.KsProperty(&request, sizeof request, &data, sizeof data, &returned);
    SetDlgItemText(IDC_RC_COUNT, panel::Decimal(result));
    SetDlgItemText(IDC_STATUS, panel::HResultLong(hr));
}

void CHandsetBridgeDlg::OnStartStop() {
    receiver::KsEvent event{receiver::kKsEventSetIrRemote, 0, receiver::kKsEventTypeEnable};
    if (m_bCapturing == 0) {
        m_nIrEventCount = 0;
        m_eventData.EventData.NotificationType = receiver::kKsEventfEventHandle;
        m_eventData.EventData.EventHandle =
            m_hIrEvent ? reinterpret_cast<void*>(m_hIrEvent->NativeHandle()) : nullptr;
        m_eventData.EventData.Reserved[0] = 0;
        m_eventData.EventData.Reserved[1] = 0;
        m_eventData.Protocol = GetCheckedRadioButton(IDC_RADIO_RC5, IDC_RADIO_RC6) == IDC_RADIO_RC6
                                   ? receiver::kProtocolRc6
                                   : receiver::kProtocolRc5;
        m_eventData.Selector = 0;
        if (SendKsEvent(&event, sizeof event, &m_eventData, sizeof m_eventData) == kSOk) {
            SetDlgItemText(IDC_START_STOP, "Stop");
            m_bCapturing = 1;
        }
    } else {
        if (SendKsEvent(nullptr, 0, &m_eventData, sizeof m_eventData) == kSOk) {
            SetDlgItemText(IDC_START_STOP, "Start");
            m_bCapturing = 0;
        }
    }
}

} // namespace hb
