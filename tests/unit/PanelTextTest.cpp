// The status panel's text formats.
#include "ui/PanelText.h"

#include <gtest/gtest.h>

namespace hb::panel {
namespace {

struct Row {
    const char* name;
    std::string actual;
    const char* expected;
};

TEST(PanelTextTest, Formats) {
    const Row rows[] = {
        {"decimal zero", Decimal(0), "0"},
        {"decimal negative", Decimal(-5), "-5"},
        {"short hresult success", HResultShort(0), "0x0"},
        {"short hresult failure is lower case", HResultShort(static_cast<HResult>(0x8007001Fu)),
         "0x8007001f"},
        {"long hresult success", HResultLong(0), "0x00000000"},
        {"long hresult failure is upper case", HResultLong(static_cast<HResult>(0x80004005u)),
         "0x80004005"},
        {"code below 16 gets two digits", CodeString(5), "0x05"},
        {"code upper case", CodeString(31), "0x1F"},
        {"code above one byte keeps every digit", CodeString(256), "0x100"},
        {"code full width", CodeString(0xDEADBEEF), "0xDEADBEEF"},
        {"rc5 toggle", ToggleText(256, 1, 0, "0x10"), "Toggle 1"},
        {"rc6 toggle with oem", ToggleText(257, 0, 128, "0x10"), "Toggle 0 OEM Code 0x80"},
        {"258 shown like rc6", ToggleText(258, 1, 5, "0x10"), "Toggle 1 OEM Code 0x05"},
        {"259 shown like rc6", ToggleText(259, 0, 0, "0x10"), "Toggle 0 OEM Code 0x00"},
        {"unknown protocol keeps the code string", ToggleText(0, 1, 5, "0x10"), "0x10"},
        {"protocol 260 is unknown", ToggleText(260, 1, 5, "0x1F"), "0x1F"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.actual, row.expected);
    }
}

} // namespace
} // namespace hb::panel
