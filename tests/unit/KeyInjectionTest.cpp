// Key injection: one platform event per press or release, each with its own key's scan code.
#include "actions/KeyInjection.h"
#include "tests/fakes/FakeInput.h"

#include <gtest/gtest.h>

namespace hb::actions {
namespace {

TEST(KeyInjectionTest, EveryEventCarriesItsOwnScanCodeAndTheExtendedFlag) {
    struct Row {
        const char* name;
        std::uint8_t vk;
        bool release;
        std::uint32_t flags;
    };
    const Row rows[] = {
        {"press of a letter", 0x41, false, 1},
        {"release of a letter", 0x41, true, 3},
        {"press of Shift", 0x10, false, 1},
        {"release of the Windows key", 0x5B, true, 3},
        {"a key without a scan code is still sent", 0xB3, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fakes::CallLog log;
        fakes::FakeKeyboard keyboard(log);
        SendKeyEvent(keyboard, row.vk, row.release);
        // The layout answers with bits above the low byte; only the low byte is sent.
        const fakes::KeyEvent expected{row.vk, fakes::FakeKeyboard::ScanOf(row.vk), row.flags, 0};
        EXPECT_EQ(keyboard.Events(), std::vector<fakes::KeyEvent>{expected});
    }
}

} // namespace
} // namespace hb::actions
