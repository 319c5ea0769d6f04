// simreceiver.dll: an in-process COM server that stands in for the tuner card's receiver filter in
// the end-to-end tests. The system device enumerator creates it for a device registered under the
// receiver category (see register.sh) and hands it the device's property bag; the program then
// finds the filter, its kernel-streaming control interface and its BDA topology exactly as it
// would on a real card.
//
// Class id: {B52AB74D-CAF5-45D0-B75F-6888C21B6AF0} (ours; ThreadingModel "Both").
//
// Configuration, read through the property bag from the device's Instance key (string values):
//   FriendlyName  the device's name; it also names the control channel (SimChannel.h)
//   Journal       Windows path of a text file the driver appends its journal to
//   RcNumber      the RC number the driver reports, 0 to 255 (default 3)
//   NoKsControl   "1": the filter has no IKsControl
//   Nodes         number of BDA node descriptors, 0 to 16 (default 2); "0": no IBDA_Topology.
//                 Node i has type i, function GUID {7E3D5A00+i-14C2-4B8F-A16D-3F529C0E8421}
//                 and name GUID {7E3D5A00+i-14C3-4B8F-A16D-3F529C0E8421}.
//   FailLoad      "1": IPersistPropertyBag::Load fails, so the device's filter can't be bound
//
// Journal lines (LF line ends), besides the driver's "seq=..." request lines and the control
// channel's "control=..." lines:
//   loaded name=<FriendlyName>
//   config rc=<n> nodes=<n> kscontrol=<0|1>
//   channel-unavailable            (another loaded receiver already serves this name)
//   load-failed name=<FriendlyName>
//   released name=<FriendlyName>   (the last reference to the filter was released)
#define STRSAFE_NO_DEPRECATE
#include "ControlChannel.h"

#include <bdaiface.h>
#include <dshow.h>
#include <ks.h>
#include <ksproxy.h>

#include <atomic>
#include <cstdint>
#include <cwchar>
#include <mutex>
#include <new>
#include <optional>
#include <string>

namespace simreceiver {
namespace {

constexpr CLSID kClsidSimReceiver{
    0xB52AB74D, 0xCAF5, 0x45D0, {0xB7, 0x5F, 0x68, 0x88, 0xC2, 0x1B, 0x6A, 0xF0}};

constexpr std::uint32_t kDefaultNodes = 2;
constexpr std::uint32_t kMaxNodes = 16;

constexpr GUID NodeGuid(std::uint32_t node, std::uint16_t data2) {
    return {0x7E3D5A00u + node, data2, 0x4B8F, {0xA1, 0x6D, 0x3F, 0x52, 0x9C, 0x0E, 0x84, 0x21}};
}

// Objects alive and client locks (LockServer and references to the class factory): the DLL may
// be unloaded only when both are zero, since a live object runs a worker thread in this DLL.
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// Counts an object for as long as its members live: declared first, destroyed last.
class ObjectCount {
public:
    ObjectCount() { ++g_objects; }
    ObjectCount(const ObjectCount&) = delete;
    ObjectCount& operator=(const ObjectCount&) = delete;
    ~ObjectCount() { --g_objects; }
};

class Variant {
public:
    Variant() { VariantInit(&m_value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&m_value); }
    VARIANT* Get() { return &m_value; }

private:
    VARIANT m_value;
};

std::optional<std::wstring> ReadText(IPropertyBag& bag, const wchar_t* name) {
    Variant value;
    if (bag.Read(name, value.Get(), nullptr) < 0) {
        return std::nullopt;
    }
    if (value.Get()->vt != VT_BSTR && VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR) < 0) {
        return std::nullopt;
    }
    const BSTR text = value.Get()->bstrVal;
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

// A number from the bag within [0, max]; the fallback when it is missing or not a number.
std::uint32_t ReadNumber(IPropertyBag& bag, const wchar_t* name, std::uint32_t max,
                         std::uint32_t fallback) {
    const std::optional<std::wstring> text = ReadText(bag, name);
    if (!text) {
        return fallback;
    }
    const std::optional<std::int64_t> value = ParseNumber(std::wstring_view(*text));
    if (!value || *value < 0 || *value > max) {
        return fallback;
    }
    return static_cast<std::uint32_t>(*value);
}

// COM interfaces have no virtual destructor by design: an object deletes itself in its own
// Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class SimReceiver final : public IBaseFilter,
                          public IPersistPropertyBag,
                          public IKsControl,
                          public IBDA_Topology {
public:
    static HRESULT Create(REFIID iid, void** out) {
        // The one place an object is created; its last Release deletes it.
        auto* object = new (std::nothrow) SimReceiver();
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter ||
            iid == IID_IBaseFilter) {
            *out = static_cast<IBaseFilter*>(this);
        } else if (iid == IID_IPersistPropertyBag) {
            *out = static_cast<IPersistPropertyBag*>(this);
        } else if (iid == IID_IKsControl && !m_noKsControl.load()) {
            *out = static_cast<IKsControl*>(this);
        } else if (iid == IID_IBDA_Topology && m_nodes.load() != 0) {
            *out = static_cast<IBDA_Topology*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        if (clsid == nullptr) {
            return E_POINTER;
        }
        *clsid = kClsidSimReceiver;
        return S_OK;
    }

    // IMediaFilter: a filter without pins; the states are only remembered.
    HRESULT STDMETHODCALLTYPE Stop() override { return SetState(State_Stopped); }
    HRESULT STDMETHODCALLTYPE Pause() override { return SetState(State_Paused); }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override { return SetState(State_Running); }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override {
        if (state == nullptr) {
            return E_POINTER;
        }
        *state = m_state.load();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override {
        if (clock == nullptr) {
            return E_POINTER;
        }
        *clock = nullptr;
        return S_OK;
    }

    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override {
        if (pins != nullptr) {
            *pins = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR, IPin** pin) override {
        if (pin == nullptr) {
            return E_POINTER;
        }
        *pin = nullptr;
        return VFW_E_NOT_FOUND;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override {
        if (info == nullptr) {
            return E_POINTER;
        }
        std::scoped_lock lock(m_infoLock);
        const std::size_t count =
            m_name.size() < MAX_FILTER_NAME - 1 ? m_name.size() : MAX_FILTER_NAME - 1;
        std::wmemcpy(info->achName, m_name.c_str(), count);
        info->achName[count] = L'\0';
        // A filter holds no reference to its graph; the caller gets one.
        info->pGraph = m_graph;
        if (info->pGraph != nullptr) {
            info->pGraph->AddRef();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR) override {
        std::scoped_lock lock(m_infoLock);
        m_graph = graph;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }

    // IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE InitNew() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    // IKsControl: every request goes to the driver.
    HRESULT STDMETHODCALLTYPE KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data,
                                         ULONG dataLength, ULONG* bytesReturned) override {
        return m_driver.Property(property, propertyLength, data, dataLength, bytesReturned);
    }
    HRESULT STDMETHODCALLTYPE KsMethod(PKSMETHOD method, ULONG methodLength, LPVOID data,
                                       ULONG dataLength, ULONG* bytesReturned) override {
        return m_driver.Method(method, methodLength, data, dataLength, bytesReturned);
    }
    HRESULT STDMETHODCALLTYPE KsEvent(PKSEVENT event, ULONG eventLength, LPVOID data,
                                      ULONG dataLength, ULONG* bytesReturned) override {
        return m_driver.Event(event, eventLength, data, dataLength, bytesReturned);
    }

    // IBDA_Topology: only the node descriptors.
    HRESULT STDMETHODCALLTYPE GetNodeDescriptors(ULONG* count, ULONG maxCount,
                                                 BDANODE_DESCRIPTOR descriptors[]) override {
        if (count == nullptr || (descriptors == nullptr && maxCount != 0)) {
            return E_POINTER;
        }
        const std::uint32_t nodes = m_nodes.load();
        // Room for fewer than all: the first maxCount, and the count says how many were written.
        const ULONG written = nodes < maxCount ? nodes : maxCount;
        for (ULONG i = 0; i < written; ++i) {
            descriptors[i].ulBdaNodeType = i;
            descriptors[i].guidFunction = NodeGuid(i, 0x14C2);
            descriptors[i].guidName = NodeGuid(i, 0x14C3);
        }
        *count = written;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNodeTypes(ULONG*, ULONG, ULONG[]) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNodeInterfaces(ULONG, ULONG*, ULONG, GUID[]) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetPinTypes(ULONG*, ULONG, ULONG[]) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTemplateConnections(ULONG*, ULONG,
                                                     BDA_TEMPLATE_CONNECTION[]) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreatePin(ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeletePin(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMediaType(ULONG, AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMedium(ULONG, REGPINMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateTopology(ULONG, ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetControlNode(ULONG, ULONG, ULONG, IUnknown** node) override {
        if (node != nullptr) {
            *node = nullptr;
        }
        return E_NOTIMPL;
    }

private:
    SimReceiver() = default;
    ~SimReceiver() {
        // The worker uses the driver: it ends before anything else goes.
        m_channel.Stop();
        if (m_loaded.load()) {
            m_driver.Note("released name=" + ToUtf8(Name()));
        }
    }

    HRESULT SetState(FILTER_STATE state) {
        m_state.store(state);
        return S_OK;
    }

    std::wstring Name() {
        std::scoped_lock lock(m_infoLock);
        return m_name;
    }

    ObjectCount m_count;
    std::atomic<ULONG> m_refs{1};
    std::atomic<FILTER_STATE> m_state{State_Stopped};
    std::atomic<bool> m_loaded{false};
    std::atomic<bool> m_noKsControl{false};
    std::atomic<std::uint32_t> m_nodes{kDefaultNodes};

    std::mutex m_infoLock;
    std::wstring m_name;
    IFilterGraph* m_graph = nullptr;

    ReceiverDriver m_driver;
    ControlChannel m_channel;
};

HRESULT STDMETHODCALLTYPE SimReceiver::Load(IPropertyBag* bag, IErrorLog*) {
    if (bag == nullptr) {
        return E_POINTER;
    }
    if (m_loaded.exchange(true)) {
        return E_UNEXPECTED;
    }
    const std::wstring name = ReadText(*bag, L"FriendlyName").value_or(std::wstring());
    const std::uint8_t rcNumber =
        static_cast<std::uint8_t>(ReadNumber(*bag, L"RcNumber", 255, kDefaultRcNumber));
    const std::uint32_t nodes = ReadNumber(*bag, L"Nodes", kMaxNodes, kDefaultNodes);
    const bool noKsControl = ReadText(*bag, L"NoKsControl") == L"1";
    const bool failLoad = ReadText(*bag, L"FailLoad") == L"1";
    {
        std::scoped_lock lock(m_infoLock);
        m_name = name;
    }
    m_nodes.store(nodes);
    m_noKsControl.store(noKsControl);
    m_driver.Configure(rcNumber, Journal(ReadText(*bag, L"Journal").value_or(std::wstring())));
    if (failLoad) {
        m_driver.Note("load-failed name=" + ToUtf8(name));
        return E_FAIL;
    }
    m_driver.Note("loaded name=" + ToUtf8(name));
    m_driver.Note("config rc=" + std::to_string(rcNumber) + " nodes=" + std::to_string(nodes) +
                  " kscontrol=" + (noKsControl ? "0" : "1"));
    if (!m_channel.Start(name, m_driver)) {
        m_driver.Note("channel-unavailable");
    }
    return S_OK;
}

// The class object lives as long as the DLL; references to it count as locks on the server.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_locks); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_locks); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return SimReceiver::Create(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ++g_locks;
        } else {
            --g_locks;
        }
        return S_OK;
    }
};

#pragma GCC diagnostic pop

ClassFactory g_factory;

} // namespace
} // namespace simreceiver

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (clsid != simreceiver::kClsidSimReceiver) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return simreceiver::g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return simreceiver::g_objects.load() == 0 && simreceiver::g_locks.load() == 0 ? S_OK : S_FALSE;
}
