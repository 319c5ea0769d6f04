// Receiver discovery, selection and event control against simulated receivers.
#include "receiver/DevicePath.h"
#include "receiver/Discovery.h"
#include "res/resource.h"
#include "tests/unit/ControllerFixture.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace hb::testing {
namespace {

using receiver::kReceiverCategory;

TEST(DevicePathTest, TagAndInstancePath) {
    struct Row {
        const char* path;
        const char* tag;
        const char* instance;
    };
    const Row rows[] = {
        {"\\\\?\\pci#ven_1131&dev_7160#4&2a1b&0&00e0#{71985f48-1ca1-11d3-9cc8-00c04f7971e0}", "e0",
         "#4&2a1b&0&00e0#"},
        {"bus#dev#inst#class", "as", "#inst#"},
        {"a#b#c", "b#", "#"},    // exactly two '#'
        {"ab#cd", "#c", "ab#c"}, // one '#': the clamped start and count reach past it
        {"abcdef", "de", "a"},   // no '#': a count of one from the start
        {"xy", "xy", "x"},
        {"", "", ""},
        {"###", "##", "##"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(receiver::PathTag(row.path), row.tag);
        EXPECT_EQ(receiver::InstancePath(row.path), row.instance);
    }
}

constexpr Guid kNode0{0x11111111, 0, 0, {}};
constexpr Guid kNode1{0x22222222, 0, 0, {}};

class DiscoveryTest : public ControllerTest {
protected:
    std::vector<std::unique_ptr<receiver::DeviceRecord>> devices;
    HResult Discover() {
        return receiver::FindFilterByName(os.platform, kReceiverCategory, devices);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& record : devices) {
            names.push_back(record->m_strFriendlyName);
        }
        return names;
    }
};

TEST_F(DiscoveryTest, EveryBindableDeviceGetsARecordInOrder) {
    os.devices.Add({"A", "bus#dev#inst-a#class", false, false, true, {kNode0, kNode1}});
    os.devices.Add({"B", "bus#dev#inst-b#class", false, true, true, {}}); // filter won't bind
    os.devices.Add({"C", "", false, false, true, {kNode0}});
    os.devices.Add({"", "x#y#z", false, false, true, {}});
    EXPECT_EQ(Discover(), kSOk);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "C", ""}));
    EXPECT_EQ(devices[0]->m_guidCategory, kReceiverCategory);
    EXPECT_EQ(devices[0]->m_strPathTag, "as");
    EXPECT_EQ(devices[0]->m_strInstancePath, "#inst-a#");
    EXPECT_EQ(devices[0]->m_guidNodeFunction, kNode1); // the second node's function
    EXPECT_EQ(devices[1]->m_guidNodeFunction, Guid{}); // only one node
    EXPECT_EQ(devices[2]->m_guidNodeFunction, Guid{}); // no topology
    EXPECT_EQ(devices[2]->m_strPathTag, "y#");

    dlg.BuildDeviceLabels(devices);
    EXPECT_EQ(dlg.m_deviceLabels, (std::deque<std::string>{"2: ", "1: C", "0: A"}));
}

TEST_F(DiscoveryTest, APropertyBagThatWontBindEndsTheSearchKeepingWhatWasFound) {
    os.devices.Add({"A", "", false, false, true, {}});
    os.devices.Add({"B", "", true, false, true, {}});
    os.devices.Add({"C", "", false, false, true, {}});
    EXPECT_EQ(Discover(), kEFail);
    EXPECT_EQ(Names(), std::vector<std::string>{"A"});
}

TEST_F(DiscoveryTest, EmptyCategoryAndMissingEnumerator) {
    EXPECT_EQ(Discover(), kSFalse);
    EXPECT_TRUE(devices.empty());
    EXPECT_TRUE(os.shell.MessageBoxes().empty());

    os.devices.failEnumeratorCreation = true;
    EXPECT_EQ(Discover(), kEFail);
    ASSERT_EQ(os.shell.MessageBoxes().size(), 1u);
    EXPECT_EQ(os.shell.MessageBoxes()[0].text,
              "FindFilterByName -> Create system device enumerator failed!");
    EXPECT_EQ(os.shell.MessageBoxes()[0].type, win::kMbOk);
}

// A controller with two discovered receivers, device 0 selected, as after start-up.
class EventControlTest : public ControllerTest {
protected:
    void SetUp() override {
        os.devices.Add({"A", "", false, false, true, {}});
        os.devices.Add({"B", "", false, false, true, {}});
        ASSERT_EQ(receiver::FindFilterByName(os.platform, kReceiverCategory, dlg.m_devices), kSOk);
        dlg.m_hIrEvent = os.kernel.CreateEvent(false, false);
        dlg.m_cbDevices.SubclassDlgItem(IDC_DEVICE_COMBO, dlg);
        dlg.m_cbDevices.InsertString(0, "0: A");
        dlg.m_cbDevices.InsertString(1, "1: B");
        Select(0);
        dlg.CheckRadioButton(IDC_RADIO_RC5, IDC_RADIO_RC6, IDC_RADIO_RC5);
    }
    void Select(int index) {
        dlg.m_cbDevices.SetCurSel(index);
        dlg.OnSelchangeDevice();
    }
    fakes::FakeDriver& Driver(std::size_t i) { return os.devices.Driver(i); }
    static receiver::IrEventData Block(const fakes::DriverRequest& request) {
        receiver::IrEventData block{};
        EXPECT_EQ(request.data.size(), sizeof block);
        std::memcpy(&block, request.data.data(), std::min(sizeof block, request.data.size()));
        return block;
    }
};

TEST_F(EventControlTest, StartAndStop) {
    struct Row {
        const char* name;
        int radio;
        std::deque<HResult> results;
        bool startsCapturing;
        const char* status;
    };
    const Row rows[] = {
        {"RC5", IDC_RADIO_RC5, {}, true, "0x0"},
        {"RC6", IDC_RADIO_RC6, {}, true, "0x0"},
        {"driver refuses", IDC_RADIO_RC5, {static_cast<HResult>(0x80070057u)}, false, "0x80070057"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dlg.m_bCapturing = 0;
        dlg.m_nIrEventCount = 9;
        os.window.SetText(IDC_START_STOP, "Start");
        dlg.CheckRadioButton(IDC_RADIO_RC5, IDC_RADIO_RC6, row.radio);
        Driver(0).results = row.results;
        const auto before = Driver(0).Journal().size();

        dlg.OnStartStop();
        EXPECT_EQ(dlg.m_nIrEventCount, 0); // reset by every Start, even a failed one
        EXPECT_EQ(dlg.m_bCapturing, row.startsCapturing ? 1 : 0);
        EXPECT_EQ(os.window.Text(IDC_START_STOP), row.startsCapturing ? "Stop" : "Start");
        EXPECT_EQ(os.window.Text(IDC_STATUS), row.status);
        const auto journal = Driver(0).Journal();
        ASSERT_EQ(journal.size(), before + 1);
        const fakes::DriverRequest enable = journal.back();
        ASSERT_TRUE(enable.head.has_value());
        EXPECT_EQ(enable.head->Set, receiver::kKsEventSetIrRemote);
        EXPECT_EQ(enable.head->Flags, receiver::kKsEventTypeEnable);
        EXPECT_EQ(enable.headLength, 24u);
        const receiver::IrEventData block = Block(enable);
        EXPECT_EQ(block.Protocol, row.radio == IDC_RADIO_RC6 ? 257 : 256);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.EventData.EventHandle),
                  dlg.m_hIrEvent->NativeHandle());
        if (!row.startsCapturing) {
            continue;
        }
        dlg.OnStartStop(); // Stop: a null event with the very same block
        const fakes::DriverRequest disable = Driver(0).Journal().back();
        EXPECT_FALSE(disable.head.has_value());
        EXPECT_EQ(disable.headLength, 0u);
        EXPECT_EQ(disable.data, enable.data);
        EXPECT_EQ(dlg.m_bCapturing, 0);
        EXPECT_EQ(os.window.Text(IDC_START_STOP), "Start");
        EXPECT_FALSE(Driver(0).EventEnabled());
    }
}

TEST_F(EventControlTest, AFailedStopKeepsCapturingAndTriesTheSameWayAgain) {
    dlg.OnStartStop();
    Driver(0).results = {kEFail};
    dlg.OnStartStop();
    EXPECT_EQ(dlg.m_bCapturing, 1);
    EXPECT_EQ(os.window.Text(IDC_START_STOP), "Stop");
    EXPECT_EQ(os.window.Text(IDC_STATUS), "0x80004005");
    dlg.OnStartStop();
    EXPECT_EQ(dlg.m_bCapturing, 0);
    EXPECT_FALSE(Driver(0).Journal().back().head.has_value());
}

TEST_F(EventControlTest, WithoutASelectedDeviceNothingIsSentAndItCountsAsSuccess) {
    dlg.m_pSelectedFilter.Reset();
    dlg.OnStartStop();
    EXPECT_EQ(dlg.m_bCapturing, 1);
    EXPECT_EQ(os.window.Text(IDC_STATUS), "0x0");
    EXPECT_TRUE(Driver(0).Journal().empty());
}

TEST_F(EventControlTest, ADeviceWithoutControlInterfaceShowsTheQueryError) {
    os.devices.Add({"C", "", false, false, false, {}});
    dlg.m_devices.clear();
    ASSERT_EQ(receiver::FindFilterByName(os.platform, kReceiverCategory, dlg.m_devices), kSOk);
    dlg.m_cbDevices.InsertString(2, "2: C");
    Select(2);
    dlg.OnStartStop();
    EXPECT_EQ(dlg.m_bCapturing, 0);
    EXPECT_EQ(os.window.Text(IDC_STATUS), "0x80004002");
}

TEST_F(EventControlTest, SelectionMovesLaterRequestsButNotTheEnabledEvent) {
    dlg.OnStartStop(); // enabled on A
    Select(1);
    EXPECT_EQ(dlg.m_bCapturing, 1);
    EXPECT_EQ(os.window.Text(IDC_START_STOP), "Stop");
    EXPECT_TRUE(Driver(0).EventEnabled());
    dlg.OnStartStop(); // Stop goes to B, selected now
    EXPECT_TRUE(Driver(0).EventEnabled());
    EXPECT_EQ(Driver(1).Journal().size(), 1u);
    Select(0);
    Select(1);
    Select(0);
    // Every selection holds its own reference; the records keep theirs.
    EXPECT_EQ(os.devices.LiveFilters(), 2);
    dlg.OnStartStop();
    EXPECT_EQ(Driver(0).Journal().size(), 2u);
}

// The capture thread's requests run while the window's thread switches devices: every
// request must find a live filter (AddressSanitizer) and no unguarded access (ThreadSanitizer).
TEST_F(EventControlTest, SwitchingDevicesNeverReleasesAFilterInUse) {
    std::atomic<bool> stop{false};
    std::atomic<int> requests{0};
    std::thread capture([&] {
        receiver::IrCodeRequest request{};
        receiver::IrCodeRecord record{};
        request.Property = {receiver::kKsPropSetIrRemoteCode, 0, receiver::kKsPropertyTypeGet};
        request.BufferSize = sizeof record;
        request.Buffer = &record;
        while (!stop) {
            std::uint32_t length = 0;
            dlg.SendKsProperty(&request, sizeof request, &length, sizeof length);
            ++requests;
        }
    });
    for (int i = 0; i < 2000 || requests < 500; ++i) {
        Select(i % 2);
    }
    stop = true;
    capture.join();
    EXPECT_GT(Driver(0).Journal().size() + Driver(1).Journal().size(), 0u);
}

} // namespace
} // namespace hb::testing
