// Keyboard input synthesis and the ANSI code page.
#include "platform/win32/Win32.h"
#include "platform/win32/Win32Platform.h"

namespace hb::win32 {
namespace {

class Keyboard final : public platform::IKeyboard {
public:
    unsigned MapVirtualKey(unsigned code, unsigned mapType) override {
        return ::MapVirtualKeyA(code, mapType);
    }
    void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                    std::uintptr_t extraInfo) override {
        ::keybd_event(virtualKey, scanCode, flags, extraInfo);
    }
};

class CodePage final : public platform::ICodePage {
public:
    bool IsDbcsLeadByte(std::uint8_t byte) override { return ::IsDBCSLeadByte(byte) != FALSE; }
};

} // namespace

std::unique_ptr<platform::IKeyboard> MakeKeyboard() {
    return std::make_unique<Keyboard>();
}
std::unique_ptr<platform::ICodePage> MakeCodePage() {
    return std::make_unique<CodePage>();
}

} // namespace hb::win32
