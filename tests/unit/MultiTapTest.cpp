// Multi-tap letter entry in messenger mode: group letters cycle, another group or 800 ms
// commit the pending letter with Right arrow.
#include "actions/MultiTap.h"
#include "tests/unit/ControllerFixture.h"
#include "tests/unit/KeyScript.h"

namespace hb::testing {
namespace {

TEST(MultiTapLettersTest, GroupsCycleThroughTheirLetters) {
    struct Row {
        int group;
        const char* cycle; // letters from the group letter, then the wrap
    };
    const Row rows[] = {{1, "ABCA"}, {2, "DEFD"}, {3, "GHIG"}, {4, "JKLJ"}, {5, "MNOM"},
                        {6, "PQRP"}, {7, "STUS"}, {8, "VWXV"}, {9, "YZY"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.cycle);
        std::uint8_t letter = actions::GroupLetter(row.group);
        std::string seen(1, static_cast<char>(letter));
        for (std::size_t i = 1; i < std::string(row.cycle).size(); ++i) {
            letter = actions::NextTapLetter(row.group, letter);
            seen += static_cast<char>(letter);
        }
        EXPECT_EQ(seen, row.cycle);
    }
}

class MultiTapTest : public ControllerTest {
protected:
    void SetUp() override { SetInstallFolder(); }

    struct Step {
        const char* what;
        const char* function;      // pressed button's function string; null: let time pass
        unsigned waitMilliseconds; // before the step
        const char* keys;
        int group;      // state after
        char letter;    // 0 for none
        bool timerRuns; // timer 1 after
    };

    void Run(const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            os.keyboard.ClearEvents();
            os.window.AdvanceClock(step.waitMilliseconds);
            if (step.function != nullptr) {
                dlg.InterpretFunctionMSN(step.function);
            }
            EXPECT_EQ(os.keyboard.Events(), Keys(step.keys));
            EXPECT_EQ(dlg.m_nTapGroup, step.group);
            EXPECT_EQ(dlg.m_chTapLetter, static_cast<std::uint8_t>(step.letter));
            EXPECT_EQ(os.window.TimerRunning(kTimerMultiTap), step.timerRuns);
        }
    }
};

TEST_F(MultiTapTest, WorkedSequence) {
    const char* a = "Shift+Left+A";
    const char* d = "Shift+Left+D";
    Run({
        {"first press of A", a, 0, "A+ A- Shift+ Left+ Left- Shift-", 1, 'A', true},
        {"A again before the commit", a, 500, "B+ B- Shift+ Left+ Left- Shift-", 1, 'B', true},
        {"A a third time", a, 700, "C+ C- Shift+ Left+ Left- Shift-", 1, 'C', true},
        {"A a fourth time wraps", a, 100, "A+ A- Shift+ Left+ Left- Shift-", 1, 'A', true},
        {"D while group 1 is pending", d, 10, "Right+ Right- D+ D- Shift+ Left+ Left- Shift-", 2,
         'D', true},
        {"799 ms later nothing yet", nullptr, 799, "", 2, 'D', true},
        {"800 ms after the last tap", nullptr, 1, "Right+ Right-", 0, 0, false},
        {"A after the commit", a, 1000, "A+ A- Shift+ Left+ Left- Shift-", 1, 'A', true},
    });
    EXPECT_EQ(dlg.m_bTapPending, 1); // never cleared
}

TEST_F(MultiTapTest, WhatCountsAsATap) {
    Run({
        {"a group letter alone is an ordinary key", "A", 0, "A+ A-", 0, 0, false},
        {"after a named key it is a tap that sends no letter", "Right+A", 0, "", 1, 'A', true},
        {"after a modifier alone the chord is the modifier's own", "Shift+A", 0,
         "Shift+ Shift+ Shift- Shift-", 1, 'B', true},
        {"another group after a named key commits first", "Left+G", 0, "Right+ Right-", 3, 'G',
         true},
        {"non-group letters are never taps", "Shift+Left+H", 0, "G+ G- Shift+ H+ H- Shift-", 3, 'G',
         true},
    });
}

TEST_F(MultiTapTest, TapHappensBeforeTheSpecialActionAndSurvivesTheModeSwitch) {
    WriteKeyMap(1, {"0x01"}, {"Enter"});
    os.registry.SetString(kMessengerKey, "Path", "C:\\M\\");
    dlg.m_bMessengerMode = 1;
    Run({
        {"pending group 1", "Right+A", 0, "", 1, 'A', true},
        {"TV with a group letter: commit of the other group, then the switch", "TV+Right+D", 0,
         "Right+ Right-", 2, 'D', true},
    });
    EXPECT_EQ(dlg.m_bMessengerMode, 0);
    // Still committed 800 ms after the last tap, in normal mode.
    Run({{"commit after the switch", nullptr, 800, "Right+ Right-", 0, 0, false}});
}

TEST_F(MultiTapTest, OtherTimersLeaveTheLetterAlone) {
    Run({{"pending", "Right+M", 0, "", 5, 'M', true}});
    os.window.Deliver(win::kWmTimer, 0, 0);
    os.window.Deliver(win::kWmTimer, 7, 0);
    EXPECT_EQ(dlg.m_nTapGroup, 5);
    EXPECT_TRUE(os.keyboard.Events().empty());
    // Every timer message still reaches default processing.
    const auto defaulted = os.window.DefaultProcessed();
    EXPECT_EQ(std::count(defaulted.begin(), defaulted.end(), win::kWmTimer), 2);
}

} // namespace
} // namespace hb::testing
