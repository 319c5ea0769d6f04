// Every keystroke the program produces: one press or release of one key, with the key's own
// scan code and the extended-key flag.
#pragma once

#include "platform/Platform.h"

#include <cstdint>

namespace hb::actions {

void SendKeyEvent(platform::IKeyboard& keyboard, std::uint8_t virtualKey, bool release);

} // namespace hb::actions
