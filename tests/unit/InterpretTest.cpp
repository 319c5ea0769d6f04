// The two interpreters: function string in, token count shown and exact key events out.
#include "res/resource.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/KeyScript.h"

namespace hb::testing {
namespace {

constexpr char kUntouched[] = "untouched";

struct Row {
    const char* function;
    const char* count; // the text control 1015 shows afterwards
    const char* keys;
};

class InterpretTest : public ControllerTest {
protected:
    void SetUp() override { SetInstallFolder(); }

    void Check(const Row& row, bool messenger) {
        SCOPED_TRACE(row.function);
        os.window.SetText(IDC_KEY_COUNT, kUntouched);
        os.keyboard.ClearEvents();
        if (messenger) {
            dlg.InterpretFunctionMSN(row.function);
        } else {
            dlg.InterpretFunction(row.function);
        }
        EXPECT_EQ(os.window.Text(IDC_KEY_COUNT), row.count);
        EXPECT_EQ(os.keyboard.Events(), Keys(row.keys));
        EXPECT_TRUE(os.keyboard.KeysDown().empty());
    }
};

// Both modes send the same events for everything but three tokens with one modifier.
const Row kCommonRows[] = {
    {"Ctrl+C", "2", "Ctrl+ C+ C- Ctrl-"},
    {"Alt+F4", "2", "Alt+ F4+ F4- Alt-"},
    {"Shift+Z", "2", "Shift+ Z+ Z- Shift-"},
    {"Windows+E", "2", "Win+ E+ E- Win-"},
    {"Ctrl+Shift+Esc", "3", "Ctrl+ Shift+ E+ E- Shift- Ctrl-"},
    {"Shift+Ctrl+X", "3", "Ctrl+ Shift+ X+ X- Shift- Ctrl-"},
    {"Windows+Alt+Tab key", "3", "Alt+ Win+ T+ T- Win- Alt-"},
    {"Ctrl+Windows+Right", "3", "Ctrl+ Win+ Right+ Right- Win- Ctrl-"},
    {"Shift+Windows+Left", "3", "Shift+ Win+ Left+ Left- Win- Shift-"},
    {"Ctrl+Alt+Shift", "3", "Ctrl+ Alt+ Shift+ Shift- Alt- Ctrl-"},
    {"Alt+Shift+Windows", "3", "Alt+ Shift+ Win+ Win- Shift- Alt-"},
    {"Ctrl+Alt+Windows", "3", "Ctrl+ Alt+ Win+ Win- Alt- Ctrl-"},
    {"Ctrl+Shift+Windows", "3", "Ctrl+ Shift+ Win+ Win- Shift- Ctrl-"},
    {"Ctrl+Alt+Shift+X", "4", ""},
    {"Ctrl+Alt", "2", "Ctrl+ Alt+ Alt- Ctrl-"},
    {"Windows+Shift", "2", "Shift+ Shift+ Shift- Shift-"},
    {"CAPLOCK", "1", "Caps+ Caps-"},
    {"CAPLOCK+A", "1", "Caps+ Caps-"},
    {"F11", "1", "F11+ F11-"},
    {"Enter", "1", "Enter+ Enter-"},
    {"", "0", ""},
    {"nothing here", "0", ""},
    {"Ctrl", "1", "Ctrl+ Ctrl-"},
};

TEST_F(InterpretTest, NormalModeEvents) {
    for (const Row& row : kCommonRows) {
        Check(row, false);
    }
    const Row normalOnly[] = {
        // Three tokens with one modifier send nothing in normal mode.
        {"Shift+Left+B", "3", ""},
        // A named key and a character, no modifier: shown, not sent.
        {"Enter+A", "2", ""},
        // The first named key ends its phase; the "D" of Down is taken as a character.
        {"Left+Up+Down", "2", ""},
    };
    for (const Row& row : normalOnly) {
        Check(row, false);
    }
}

TEST_F(InterpretTest, MessengerModeEventsWithNothingPending) {
    for (const Row& row : kCommonRows) {
        Check(row, true);
    }
    const Row messengerOnly[] = {
        // The pending letter is typed first; with none pending its code is 0.
        {"Shift+Left+B", "3", "None+ None- Shift+ B+ B- Shift-"},
        // A digit wins over every letter: no tap.
        {"Shift+Left+1", "3", "None+ None- Shift+ 1+ 1- Shift-"},
        {"SPACE", "1", "Space+ Space-"},
        {"TAB", "1", "Tab+ Tab-"},
        {"ScanCode+186", "1", "OEM1+ OEM1-"},
    };
    for (const Row& row : messengerOnly) {
        Check(row, true);
    }
    EXPECT_EQ(dlg.m_nTapGroup, 0);
    EXPECT_FALSE(os.window.TimerRunning(kTimerMultiTap));
}

TEST_F(InterpretTest, SpecialActionsSendNothingAndLeaveTheCount) {
    WriteKeyMap(1, {"0x01"}, {"Enter"});
    os.registry.SetString(kMessengerKey, "Path", "C:\\M\\");
    for (const bool messenger : {false, true}) {
        for (const char* function : {"TV", "MSN", "Sleep", "Ctrl+C+TV", "Sleep MSN"}) {
            Check({function, kUntouched, ""}, messenger);
        }
    }
    EXPECT_EQ(os.power.requests.size(), 2u); // "Sleep" once per mode; "Sleep MSN" starts MSN
    EXPECT_EQ(os.process.started.size(), 4u);
}

} // namespace
} // namespace hb::testing
