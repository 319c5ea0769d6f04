// The dialog framework: message routing through the map chain, default processing, the modal
// run, and the application object.
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "tests/fakes/FakePlatform.h"

#include <gtest/gtest.h>

namespace hb {
namespace {

constexpr unsigned kCustomMessage = win::kWmUser + 7;
constexpr int kButton = 1500;

// A dialog that records which of its handlers ran and what reached default processing.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(platform::Platform& os) : CDialog(os, 777) {}

    std::vector<std::string> ran;
    std::vector<unsigned> defaulted;

    void OnButton() { ran.push_back("button"); }
    void OnExitButton() { ran.push_back("exit"); }
    void OnTimer(std::uintptr_t id) {
        ran.push_back("timer " + std::to_string(id));
        // A handler that sends its own window a message, then passes its own message on.
        SendMessage(kCustomMessage, 1, 2);
        Default();
    }
    LResult OnCustom(WParam w, LParam l) {
        ran.push_back("custom " + std::to_string(w) + " " + std::to_string(l));
        return 99;
    }

protected:
    const MessageMap* GetMessageMap() const override {
        using Self = ProbeDialog;
        static constexpr MessageMapEntry entries[] = {
            HB_ON_BN_CLICKED(kButton, Self, OnButton),
            HB_ON_BN_CLICKED(win::kIdOk, Self, OnExitButton),
            HB_ON_WM_TIMER(Self),
            HB_ON_MESSAGE(kCustomMessage, Self, OnCustom),
        };
        static const MessageMap map{CDialog::GetMessageMap(), entries};
        return &map;
    }
    LResult DefWindowProc(unsigned message, WParam wParam, LParam lParam) override {
        defaulted.push_back(message);
        return CDialog::DefWindowProc(message, wParam, lParam);
    }
};

class FrameworkTest : public ::testing::Test {
protected:
    fakes::FakePlatform os;
    ProbeDialog dialog{os.platform};

    // Runs the dialog with the given messages delivered by its modal loop.
    int Run(std::vector<std::pair<unsigned, WParam>> messages) {
        for (const auto& entry : messages) {
            os.window.Script([this, entry] { os.window.Deliver(entry.first, entry.second, 0); });
        }
        return dialog.DoModal();
    }
};

TEST_F(FrameworkTest, RoutesMessagesThroughTheMapChain) {
    struct Row {
        const char* name;
        unsigned message;
        WParam wParam;
        std::vector<std::string> ran;
        std::vector<unsigned> defaulted;
    };
    const Row rows[] = {
        {"button click", win::kWmCommand, MakeWParam(kButton, win::kBnClicked), {"button"}, {}},
        {"other notification of the same control goes to default",
         win::kWmCommand,
         MakeWParam(kButton, 5),
         {},
         {win::kWmCommand}},
        {"derived IDOK entry wins over the base class's",
         win::kWmCommand,
         MakeWParam(win::kIdOk, 0),
         {"exit"},
         {}},
        {"unmapped message goes to default", win::kWmPaint, 0, {}, {win::kWmPaint}},
        {"nested send, then the outer message passed on",
         win::kWmTimer,
         4,
         {"timer 4", "custom 1 2"},
         {win::kWmTimer}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ProbeDialog probe(os.platform);
        os.window.Script([&] {
            probe.ran.clear();
            probe.defaulted.clear();
            os.window.Deliver(row.message, row.wParam, 0);
            EXPECT_EQ(probe.ran, row.ran);
            EXPECT_EQ(probe.defaulted, row.defaulted);
            probe.EndDialog(win::kIdAbort);
        });
        EXPECT_EQ(probe.DoModal(), win::kIdAbort);
    }
}

TEST_F(FrameworkTest, CancelEndsTheModalLoopThroughTheBaseMap) {
    EXPECT_EQ(Run({{win::kWmCommand, MakeWParam(win::kIdCancel, 0)}}), win::kIdCancel);
    EXPECT_FALSE(os.window.DialogExists());
}

TEST_F(FrameworkTest, EndingTwiceKeepsTheFirstResult) {
    os.window.Script([this] {
        dialog.EndDialog(win::kIdOk);
        dialog.EndDialog(win::kIdCancel);
    });
    EXPECT_EQ(dialog.DoModal(), win::kIdOk);
}

TEST_F(FrameworkTest, ModalLoopThatIsNeverEndedIsReported) {
    EXPECT_EQ(Run({}), fakes::kLoopStarved);
}

class ProbeApp : public CWinApp {
public:
    using CWinApp::CWinApp;
    bool InitInstance() override {
        ++runs;
        return false;
    }
    int runs = 0;
};

TEST(WinAppTest, ApplicationNameIsTheExecutableNameWithoutExtension) {
    struct Row {
        const char* path;
        const char* name;
    };
    const Row rows[] = {
        {"C:\\Program Files\\Handset Bridge\\HandsetBridge.exe", "HandsetBridge"},
        {"C:\\tools\\my.remote.exe", "my.remote"},
        {"relative/Unix/style", "style"},
        {"NoExtension", "NoExtension"},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(AppNameFromModulePath(row.path), row.name);
    }
}

TEST(WinAppTest, MessageBoxesAreCaptionedWithTheApplicationNameAndOwnedByTheMainWindow) {
    fakes::FakePlatform os;
    os.kernel.modulePath = "D:\\x\\Remote Tool.exe";
    ProbeApp app(os.platform);
    EXPECT_EQ(AfxWinMain(app), 0);
    EXPECT_EQ(app.runs, 1);
    CWnd main(os.platform);
    main.m_hWnd = Hwnd{0x4242};
    app.m_pMainWnd = &main;
    AfxMessageBox("hello", win::kMbIconHand);
    ASSERT_EQ(os.shell.MessageBoxes().size(), 1u);
    const fakes::ShownMessageBox box = os.shell.MessageBoxes()[0];
    EXPECT_EQ(box.caption, "Remote Tool");
    EXPECT_EQ(box.owner, Hwnd{0x4242});
    EXPECT_EQ(box.type, win::kMbIconHand);
}

TEST(WinAppTest, CommandsTheWindowDoesNotHandleReachTheApplication) {
    fakes::FakePlatform os;
    ProbeApp app(os.platform);
    ProbeDialog dialog(os.platform);
    os.window.Script([&] {
        os.window.Deliver(win::kWmCommand, MakeWParam(win::kIdHelp, 0), 0);
        dialog.EndDialog(win::kIdOk);
    });
    dialog.DoModal();
    // Handled by the application's Help entry, so never passed to default processing.
    EXPECT_EQ(std::count(dialog.defaulted.begin(), dialog.defaulted.end(), win::kWmCommand), 0);
}

} // namespace
} // namespace hb
