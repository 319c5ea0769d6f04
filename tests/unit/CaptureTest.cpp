// The capture thread of a running controller: one record read, shown and dispatched per
// signal of the IR event.
#include "app/HandsetBridgeApp.h"
#include "res/resource.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/KeyScript.h"
#include "ui/HandsetBridgeDlg.h"

#include <cstring>

namespace hb::testing {
namespace {

class CaptureTest : public ::testing::Test {
protected:
    fakes::FakePlatform os;
    CHandsetBridgeApp app{os.platform};

    void SetUp() override {
        os.devices.Add({"Receiver A", "", false, false, true, {}});
        os.registry.SetString(kInstallKey, "V5120remote", kInstallFolder);
        os.profile.Set(kKeyMapPath, "TotalButton", "Count", "1");
        os.profile.Set(kKeyMapPath, "Button", "1", "0x05");
        os.profile.Set(kKeyMapPath, "FunctionMap", "1", "Enter");
    }
    CHandsetBridgeDlg& Dialog() { return *static_cast<CHandsetBridgeDlg*>(app.m_pMainWnd); }
    fakes::FakeDriver& Driver() { return os.devices.Driver(0); }

    // Runs the program with `body` inside its modal loop, then exits through the Exit button.
    void WhileRunning(const std::function<void()>& body) {
        os.window.Script([&] {
            body();
            os.window.Deliver(win::kWmCommand, MakeWParam(win::kIdOk, 0), 0);
        });
        AfxWinMain(app);
    }

    // Signals one received code; returns the log entries of the whole pass.
    std::vector<std::string> Receive(const receiver::IrCodeRecord& record,
                                     std::uint32_t length = sizeof(receiver::IrCodeRecord)) {
        Driver().record = record;
        Driver().recordLength = length;
        const std::size_t from = Signal();
        // A pass ends with the toggle text, or, for a dropped record, with the request's status;
        // a second, well-formed record marks the end of a dropped one.
        const auto count = os.log.WaitFor("SetDlgItemText 1019 " + std::to_string(m_passes), from);
        EXPECT_TRUE(count.has_value());
        if (length >= receiver::kMinimumRecordLength) {
            const auto end = os.log.WaitFor("SetDlgItemText 1021 " + m_expectedToggle, from);
            EXPECT_TRUE(end.has_value()) << m_expectedToggle;
        } else {
            EXPECT_TRUE(os.log.WaitFor("SetDlgItemText 1016 0x0", *count).has_value());
        }
        const auto log = os.log.Entries();
        return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(from), log.end());
    }
    void ExpectToggle(std::string text) { m_expectedToggle = std::move(text); }
    // Signals the event without waiting for the pass; returns where the pass's log starts.
    std::size_t Signal() {
        const std::size_t from = os.log.Size();
        ++m_passes;
        Dialog().m_hIrEvent->Set();
        return from;
    }

private:
    int m_passes = 0;
    std::string m_expectedToggle;
};

receiver::IrCodeRecord Record(std::uint16_t protocol, std::uint32_t address, std::uint32_t command,
                              std::int32_t toggle = 0, std::uint32_t oem = 0) {
    receiver::IrCodeRecord record{};
    record.Protocol = protocol;
    record.Address = address;
    record.Command = command;
    record.Toggle = toggle;
    record.OemCode = oem;
    return record;
}

TEST_F(CaptureTest, ShowsEachRecordInOrderAndDispatchesBetween) {
    WhileRunning([&] {
        ExpectToggle("Toggle 1");
        EXPECT_EQ(Receive(Record(256, 0x1A, 5, 1)),
                  (std::vector<std::string>{"SetDlgItemText 1019 1", "KsProperty Receiver A",
                                            "SetDlgItemText 1016 0x0", "SetDlgItemText 1012 0x1A",
                                            "SetDlgItemText 1014 0x05", "SetDlgItemText 1015 1",
                                            "key 0D down", "key 0D up", "SetTimer 0 200",
                                            "SetDlgItemText 1021 Toggle 1"}));
        // The request: the code property set, the record buffer's size and a 4-byte length.
        const fakes::DriverRequest request = Driver().Journal().back();
        ASSERT_EQ(request.request.size(), sizeof(receiver::IrCodeRequest));
        receiver::IrCodeRequest sent{};
        std::memcpy(&sent, request.request.data(), sizeof sent);
        EXPECT_EQ(sent.Property.Set, receiver::kKsPropSetIrRemoteCode);
        EXPECT_EQ(sent.Property.Flags, receiver::kKsPropertyTypeGet);
        EXPECT_EQ(sent.Selector, 0);
        EXPECT_EQ(sent.BufferSize, 28u);
        EXPECT_EQ(request.dataLength, 4u);
        EXPECT_EQ(request.data, (std::vector<std::uint8_t>{0, 0, 0, 0})); // zeroed before
    });
}

TEST_F(CaptureTest, ToggleTextsAndCodeStrings) {
    struct Row {
        const char* name;
        receiver::IrCodeRecord record;
        const char* address;
        const char* command;
        const char* toggle;
    };
    const Row rows[] = {
        {"rc5", Record(256, 0, 0x3C, 1), "0x00", "0x3C", "Toggle 1"},
        {"rc6 with oem code", Record(257, 0x10, 0x3C, 0, 128), "0x10", "0x3C",
         "Toggle 0 OEM Code 0x80"},
        {"258 like rc6", Record(258, 1, 2, 1, 5), "0x01", "0x02", "Toggle 1 OEM Code 0x05"},
        {"259 like rc6", Record(259, 1, 2, 0, 0), "0x01", "0x02", "Toggle 0 OEM Code 0x00"},
        {"unknown protocol shows the code string", Record(0, 7, 0x100), "0x07", "0x100", "0x100"},
    };
    WhileRunning([&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            ExpectToggle(row.toggle);
            const auto pass = Receive(row.record);
            EXPECT_NE(std::find(pass.begin(), pass.end(),
                                std::string("SetDlgItemText 1012 ") + row.address),
                      pass.end());
            EXPECT_NE(std::find(pass.begin(), pass.end(),
                                std::string("SetDlgItemText 1014 ") + row.command),
                      pass.end());
        }
    });
}

TEST_F(CaptureTest, ShortOrFailedReadsAreCountedButDropped) {
    WhileRunning([&] {
        EXPECT_EQ(Receive(Record(256, 1, 5, 1), 19),
                  (std::vector<std::string>{"SetDlgItemText 1019 1", "KsProperty Receiver A",
                                            "SetDlgItemText 1016 0x0"}));
        Driver().results = {static_cast<HResult>(0x8007001Fu)};
        Driver().record = Record(256, 1, 5, 1);
        EXPECT_TRUE(os.log.WaitFor("SetDlgItemText 1016 0x8007001f", Signal()).has_value());
        ExpectToggle("Toggle 1");
        const auto full = Receive(Record(256, 1, 5, 1), 20); // 20 bytes are enough
        EXPECT_EQ(full.front(), "SetDlgItemText 1019 3");
        EXPECT_TRUE(os.keyboard.KeysDown().empty());
        EXPECT_EQ(os.keyboard.Events(), Keys("Enter+ Enter-"));
    });
}

TEST_F(CaptureTest, TheModePicksTheDispatcherAndDisabledDispatchOnlyShows) {
    WhileRunning([&] {
        ExpectToggle("Toggle 0");
        Dialog().m_bMessengerMode = 1;
        auto pass = Receive(Record(256, 1, 5));
        EXPECT_NE(std::find(pass.begin(), pass.end(), "SetTimer 0 150"), pass.end());
        os.window.AdvanceClock(200);

        Dialog().m_bDispatchDisabled = 1;
        os.keyboard.ClearEvents();
        pass = Receive(Record(256, 1, 5));
        EXPECT_NE(std::find(pass.begin(), pass.end(), "SetDlgItemText 1014 0x05"), pass.end());
        EXPECT_TRUE(os.keyboard.Events().empty());
        EXPECT_EQ(std::find(pass.begin(), pass.end(), "SetTimer 0 150"), pass.end());
    });
}

TEST_F(CaptureTest, AFailedWaitIsShownAndTheLoopGoesOn) {
    os.kernel.failNextWaits = 1;
    WhileRunning([&] {
        EXPECT_TRUE(os.log.WaitFor("SetDlgItemText 1016 Received Error").has_value());
        ExpectToggle("Toggle 0");
        Receive(Record(256, 1, 5));
    });
    EXPECT_EQ(os.kernel.TerminatedThreads(), 0);
}

} // namespace
} // namespace hb::testing
