// Key injection.
#include "actions/KeyInjection.h"

#include "platform/Constants.h"

namespace hb::actions {

void SendKeyEvent(platform::IKeyboard& keyboard, std::uint8_t virtualKey, bool release) {
    const unsigned scanCode = keyboard.MapVirtualKey(virtualKey, win::kMapVkVkToVsc);
    const std::uint32_t flags =
        win::kKeyEventfExtendedKey | (release ? win::kKeyEventfKeyUp : std::uint32_t{0});
    keyboard.KeybdEvent(virtualKey, static_cast<std::uint8_t>(scanCode & 0xFFu), flags, 0);
}

} // namespace hb::actions
